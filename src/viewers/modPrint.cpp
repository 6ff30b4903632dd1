#include "modPrint.h"

#include "EditorSurface.h"
#include "PrinterDevice.h"

#include <algorithm>

namespace modPrint {

namespace {

// Past this many characters beyond the last fitting prefix a prefix is first measured shortened:
// when the shortened one is already too wide the full one is too, and a megabyte-long word is
// not measured whole for every line it is cut into.
constexpr qsizetype kMeasureSlack = 4096;

class Paginator {
public:
    Paginator(PrinterDevice &printer, double width, double left, double top, double bottom)
        : m_printer(printer)
        , m_width(width)
        , m_left(left)
        , m_top(top)
        , m_limit(printer.pageHeight() - bottom)
    {
    }

    void printParagraph(QStringView rest)
    {
        if (rest.isEmpty()) {
            printLine(QString());
            return;
        }
        while (!rest.isEmpty()) {
            const qsizetype fit = fittingBreak(rest);
            qsizetype taken = 0;
            if (fit > rest.size())
                taken = rest.size();
            else if (fit > 0)
                taken = fit;
            else
                taken = longestFittingPrefix(rest);
            printLine(rest.left(taken).toString());
            rest = rest.mid(taken);
            while (!rest.isEmpty() && rest.front() == u' ')
                rest = rest.mid(1);
        }
    }

private:
    bool tooWide(QStringView text, qsizetype known) const
    {
        if (text.size() > known + kMeasureSlack
            && m_printer.textWidth(text.left(known + kMeasureSlack).toString()) > m_width)
            return true;
        return m_printer.textWidth(text.toString()) > m_width;
    }

    // The last break candidate (one-based; length + 1 for the whole) whose text before it fits, or 0.
    qsizetype fittingBreak(QStringView r) const
    {
        qsizetype fit = 0;
        qsizetype candidate = 0;
        while (true) {
            const qsizetype space = r.indexOf(u' ', candidate);
            const qsizetype tab = r.indexOf(u'\t', candidate);
            qsizetype next = r.size();
            if (space >= 0)
                next = space;
            if (tab >= 0 && tab < next)
                next = tab;
            candidate = next + 1;
            if (tooWide(r.left(candidate - 1), std::max<qsizetype>(fit - 1, 0)))
                break;
            fit = candidate;
            if (candidate == r.size() + 1)
                break;
        }
        return fit;
    }

    // The longest start of r that fits, at least one character; a surrogate pair is never split.
    qsizetype longestFittingPrefix(QStringView r) const
    {
        qsizetype good = 1;
        qsizetype bad = r.size() + 1;
        // Grow until too wide, then halve the gap: few measurements even for a very long word.
        for (qsizetype probe = 2; probe <= r.size(); probe *= 2) {
            if (tooWide(r.left(probe), good)) {
                bad = probe;
                break;
            }
            good = probe;
        }
        if (bad == r.size() + 1 && good < r.size()) {
            if (tooWide(r, good))
                bad = r.size();
            else
                good = r.size();
        }
        while (bad - good > 1) {
            const qsizetype middle = good + (bad - good) / 2;
            if (tooWide(r.left(middle), good))
                bad = middle;
            else
                good = middle;
        }
        if (good < r.size() && r[good - 1].isHighSurrogate() && r[good].isLowSurrogate())
            good = good > 1 ? good - 1 : 2;
        return good;
    }

    void printLine(const QString &line)
    {
        // A page that has nothing on it yet takes the line even when it does not fit, or a line
        // taller than the page would print nothing but empty pages.
        if (m_printed && m_printer.currentY() + m_printer.textHeight(line) > m_limit) {
            m_printer.newPage();
            m_printer.setCurrentY(m_top);
            m_printed = false;
        }
        m_printer.setCurrentX(m_left);
        m_printer.printLine(line);
        m_printed = true;
    }

    PrinterDevice &m_printer;
    double m_width;
    double m_left;
    double m_top;
    double m_limit;
    bool m_printed = false;
};

} // namespace

PrintOutcome PrintPlainText(const QString &text, const QFont &font, PrinterDevice &printer, double left, double right,
                            double top, double bottom)
{
    if (text.isEmpty())
        return {};
    const double width = printer.pageWidth() - left - right;
    if (width <= 0 || printer.pageHeight() - top - bottom <= 0)
        return {};
    printer.setFont(font);
    if (printer.currentY() < top)
        printer.setCurrentY(top);

    Paginator pages(printer, width, left, top, bottom);
    const QStringView all(text);
    qsizetype pos = 0;
    while (true) {
        qsizetype end = all.indexOf(u"\r\n", pos);
        const bool last = end < 0;
        if (last)
            end = all.size();
        pages.printParagraph(all.mid(pos, end - pos));
        if (last)
            break;
        pos = end + 2;
    }
    const QString error = printer.endDocument();
    if (!error.isEmpty())
        return {PrintResult::PrinterFailed, error};
    return {PrintResult::Printed, QString()};
}

PrintOutcome PrintText(EditorSurface &surface, PrinterDevice &printer, double left, double right, double top,
                       double bottom)
{
    const CharFormat format = surface.defaultFormat();
    QFont font(format.fontName);
    font.setBold(format.bold);
    font.setItalic(format.italic);
    if (format.fontSize > 0)
        font.setPointSizeF(format.fontSize);
    return PrintPlainText(surface.text(), font, printer, left, right, top, bottom);
}

std::vector<PrintOutcome> PrintCopies(EditorSurface &surface, PrinterDevice &printer, const Margins &margins, int copies)
{
    std::vector<PrintOutcome> outcomes;
    for (int copy = 1; copy <= copies; ++copy)
        outcomes.push_back(PrintText(surface, printer, margins.left, margins.right, margins.top, margins.bottom));
    return outcomes;
}

QString outcomeMessage(const PrintOutcome &outcome)
{
    switch (outcome.result) {
    case PrintResult::Printed:
        return {};
    case PrintResult::NothingPrinted:
        return QStringLiteral("Failed to print");
    case PrintResult::PrinterFailed:
        return outcome.error;
    }
    return {};
}

} // namespace modPrint
