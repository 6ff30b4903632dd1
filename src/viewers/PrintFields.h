#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The rules of the page-setup and printer-selection fields, and the printer list.
namespace PrintFields {

inline constexpr int MaxCopies = 99;

// A number as the user may type it (blanks around it allowed); nullopt otherwise.
std::optional<double> parseNumber(const QString &text);

// What a margin box shows after its text changed: the text itself when it is a number, else "1".
QString marginText(const QString &text);
// A margin box's value: rounded to the nearest whole number, halves to the even one; a value
// beyond the range of a margin is pulled back to it.
qint32 marginValue(const QString &text);

// What the copies box shows after its text changed: "1" for a non-number or a value below 1,
// "99" above 99, else the text itself.
QString copiesText(const QString &text);
// The number of copies the box asks for (its whole part, 1 to 99).
int copies(const QString &text);
// The copies box follows the spinner: its top position gives the most copies.
int copiesForSpinner(int position);

// The entry that prints into a PDF file, always last in the printer list.
QString pdfEntry();

// The list shown: the installed printers in the system's order, then the PDF entry.
QStringList printerEntries(const QStringList &installed);
// The entry to select for the current printer (exact name), the PDF entry when printing to PDF
// or when there is no current printer; -1 when the current printer is no longer installed.
int selectedEntry(const QStringList &installed, const QString &current, bool toPdf);

// The PDF file name proposed for a document: its name with ".pdf" in its folder, or
// "Untitled.pdf" in the given folder.
QString proposedPdfName(const QString &documentPath, const QString &fallbackFolder);

} // namespace PrintFields
