#pragma once

#include <QString>

// The version of the editing component the program is built with, for the About text.
QString scintillaVersion();
