#pragma once

#include <QString>

// The folder of settings, lists and shipped data: the executable's folder, or, when that is not
// writable (a system install), the per-user data folder seeded with the shipped files.
QString applicationFolder();

// Copies every file of source into target that target does not have yet.
void seedFolder(const QString &source, const QString &target);
