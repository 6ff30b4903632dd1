#pragma once

#include "PrinterDevice.h"

#include <QFont>
#include <QPainter>

class QPrinter;

// The printing routine's printer over a QPrinter (a CUPS queue or a PDF file). A document starts
// with its first output. In continuous mode (one PDF file for several copies) ending a document
// only starts the next one on a new page; finish() closes the file.
class QtPrinterDevice : public PrinterDevice {
public:
    explicit QtPrinterDevice(QPrinter &printer, bool continuous = false);
    ~QtPrinterDevice() override;

    double pageWidth() const override;
    double pageHeight() const override;
    void setFont(const QFont &font) override;
    double textWidth(const QString &text) const override;
    double textHeight(const QString &text) const override;
    double currentY() const override { return m_y; }
    void setCurrentY(double y) override { m_y = y; }
    void setCurrentX(double x) override { m_x = x; }
    void printLine(const QString &text) override;
    void newPage() override;
    QString endDocument() override;

    // Ends the open document, if any; the error text when the printer failed.
    QString finish();

private:
    bool ensureStarted();
    double toTwips(double pixels) const;
    double toPixels(double twips) const;

    QPrinter &m_printer;
    QPainter m_painter;
    QFont m_font;
    bool m_continuous;
    bool m_breakBeforeNext = false;
    QString m_error;
    double m_x = 0;
    double m_y = 0;
};
