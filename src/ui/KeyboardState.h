#pragma once

#include <optional>

// Whether Caps Lock is toggled on, read from the X keyboard extension; nullopt where the
// platform does not say (the caller then tracks the Caps Lock key itself).
std::optional<bool> capsLockState();
