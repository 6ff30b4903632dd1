#include "QtPrinterDevice.h"

#include <QFontMetricsF>
#include <QPrinter>

#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kTabColumns = 8;

} // namespace

QtPrinterDevice::QtPrinterDevice(QPrinter &printer, bool continuous)
    : m_printer(printer)
    , m_continuous(continuous)
{
}

QtPrinterDevice::~QtPrinterDevice()
{
    finish();
}

double QtPrinterDevice::toTwips(double pixels) const
{
    return pixels * kTwipsPerInch / m_printer.resolution();
}

double QtPrinterDevice::toPixels(double twips) const
{
    return twips * m_printer.resolution() / kTwipsPerInch;
}

double QtPrinterDevice::pageWidth() const
{
    return toTwips(m_printer.pageLayout().paintRectPixels(m_printer.resolution()).width());
}

double QtPrinterDevice::pageHeight() const
{
    return toTwips(m_printer.pageLayout().paintRectPixels(m_printer.resolution()).height());
}

void QtPrinterDevice::setFont(const QFont &font)
{
    m_font = font;
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

double QtPrinterDevice::textWidth(const QString &text) const
{
    // Tabs advance to the next stop of eight average characters, as they are drawn.
    const QFontMetricsF metrics(m_font, &m_printer);
    const double stop = kTabColumns * metrics.averageCharWidth();
    double x = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype tab = text.indexOf(QLatin1Char('\t'), from);
        x += metrics.horizontalAdvance(QStringView(text).mid(from, (tab < 0 ? text.size() : tab) - from).toString());
        if (tab < 0)
            break;
        x = stop > 0 ? (std::floor(x / stop) + 1) * stop : x;
        from = tab + 1;
    }
    return toTwips(x);
}

double QtPrinterDevice::textHeight(const QString &) const
{
    return toTwips(QFontMetricsF(m_font, &m_printer).lineSpacing());
}

bool QtPrinterDevice::ensureStarted()
{
    if (m_painter.isActive()) {
        if (m_breakBeforeNext) {
            // The next copy starts on a page of its own, at the position it has already set.
            m_breakBeforeNext = false;
            m_printer.newPage();
        }
        return true;
    }
    if (!m_error.isEmpty())
        return false;
    if (!m_painter.begin(&m_printer)) {
        m_error = QStringLiteral("The printer %1 could not start the document.").arg(m_printer.printerName().isEmpty()
                                                                                           ? m_printer.outputFileName()
                                                                                           : m_printer.printerName());
        return false;
    }
    m_painter.setFont(m_font);
    return true;
}

void QtPrinterDevice::printLine(const QString &text)
{
    if (ensureStarted()) {
        const QFontMetricsF metrics(m_font, &m_printer);
        const double stop = kTabColumns * metrics.averageCharWidth();
        double x = toPixels(m_x);
        const double baseline = toPixels(m_y) + metrics.ascent();
        const double start = x;
        qsizetype from = 0;
        while (true) {
            const qsizetype tab = text.indexOf(QLatin1Char('\t'), from);
            const QString piece = text.mid(from, (tab < 0 ? text.size() : tab) - from);
            m_painter.drawText(QPointF(x, baseline), piece);
            x += metrics.horizontalAdvance(piece);
            if (tab < 0)
                break;
            x = stop > 0 ? start + (std::floor((x - start) / stop) + 1) * stop : x;
            from = tab + 1;
        }
    }
    m_y += textHeight(text);
}

void QtPrinterDevice::newPage()
{
    if (m_painter.isActive())
        m_printer.newPage();
    m_x = 0;
    m_y = 0;
}

QString QtPrinterDevice::endDocument()
{
    m_x = 0;
    m_y = 0;
    if (m_continuous && m_painter.isActive()) {
        m_breakBeforeNext = true;
        return m_printer.printerState() == QPrinter::Error ? QStringLiteral("The printer reported an error.") : m_error;
    }
    return finish();
}

QString QtPrinterDevice::finish()
{
    if (m_painter.isActive() && !m_painter.end() && m_error.isEmpty())
        m_error = QStringLiteral("The printer did not accept the document.");
    if (m_error.isEmpty() && m_printer.printerState() == QPrinter::Error)
        m_error = QStringLiteral("The printer reported an error.");
    m_breakBeforeNext = false;
    const QString error = m_error;
    m_error.clear();
    return error;
}
