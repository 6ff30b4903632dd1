#pragma once

#include <QFont>
#include <QString>

// The printer as the printing routine sees it. Lengths are in twips (1/1440 inch), measured from
// the top left of the printable area. The first output starts the document.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    virtual double pageWidth() const = 0;
    virtual double pageHeight() const = 0;
    virtual void setFont(const QFont &font) = 0;
    virtual double textWidth(const QString &text) const = 0;
    virtual double textHeight(const QString &text) const = 0;
    virtual double currentY() const = 0;
    virtual void setCurrentY(double y) = 0;
    virtual void setCurrentX(double x) = 0;
    // Prints at the print position; afterwards the position is at the start of the next line.
    virtual void printLine(const QString &text) = 0;
    virtual void newPage() = 0;
    // Sends the document to the printer. Returns the printer's error text, empty when it took the job.
    virtual QString endDocument() = 0;
};
