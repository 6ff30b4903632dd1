#pragma once

#include <QFont>
#include <QString>

#include <vector>

class EditorSurface;
class PrinterDevice;

// Prints the document as plain text, word-wrapped between the margins, in the surface's font.
namespace modPrint {

enum class PrintResult {
    Printed,        // the document went to the printer
    NothingPrinted, // empty text, or margins that leave no room: nothing reached the printer
    PrinterFailed,  // the printer reported an error; its text is in the result
};

struct PrintOutcome {
    PrintResult result = PrintResult::NothingPrinted;
    QString error;
};

// Margins in twips. The whole text is printed; a paragraph ends at every CR LF.
PrintOutcome PrintText(EditorSurface &surface, PrinterDevice &printer, double left, double right, double top,
                       double bottom);

// The same for a text and font of its own (the surface's Text and default font).
PrintOutcome PrintPlainText(const QString &text, const QFont &font, PrinterDevice &printer, double left, double right,
                            double top, double bottom);

struct Margins {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
};

// Each copy as a document of its own; one outcome per copy.
std::vector<PrintOutcome> PrintCopies(EditorSurface &surface, PrinterDevice &printer, const Margins &margins, int copies);

// What the user is told about an outcome; empty when the copy was printed.
QString outcomeMessage(const PrintOutcome &outcome);

} // namespace modPrint
