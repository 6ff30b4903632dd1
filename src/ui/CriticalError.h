#pragma once

#include <QString>

class QWidget;

namespace CriticalError {

inline constexpr const char *SupportAddress = "support@orvane.dev";

// The report text shown to the user and written to error.txt.
QString reportText(long number, const QString &description, const QString &source);

// Writes <appFolder>/error.txt anew and asks whether to go on; true for Yes.
bool report(QWidget *parent, const QString &appFolder, long number, const QString &description, const QString &source);

} // namespace CriticalError
