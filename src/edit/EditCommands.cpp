#include "EditCommands.h"

#include "TextCodec.h"
#include "LineBreaks.h"
#include "OleColor.h"

#include <QMimeData>

#include <algorithm>

namespace EditCommands {

namespace {

const QString CrLf = QStringLiteral("\r\n");

bool pairAt(const QString &text, qsizetype i)
{
    return i + 1 < text.size() && text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate();
}

int characterCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); i += pairAt(text, i) ? 2 : 1)
        ++count;
    return count;
}

// count characters of text from the zero-based character first (fewer where the text is shorter).
QString characters(const QString &text, int first, int count)
{
    qsizetype i = 0;
    for (int skipped = 0; skipped < first && i < text.size(); ++skipped)
        i += pairAt(text, i) ? 2 : 1;
    qsizetype j = i;
    for (int taken = 0; taken < count && j < text.size(); ++taken)
        j += pairAt(text, j) ? 2 : 1;
    return text.mid(i, j - i);
}

} // namespace

ColumnCopy copyColumn(const EditorSurface &surface, bool unixEndings)
{
    const int start = surface.selStart();
    const int end = start + surface.selLength();
    const int line1 = surface.getLineFromChar(start);
    const int line2 = surface.getLineFromChar(end);
    const int from = surface.lineIndex(line1);
    const int lastFrom = surface.lineIndex(line2);
    // Columns count characters, so that a surrogate pair is one column and is never cut in half.
    const int column1 = characterCount(surface.textRange(from, start - from)) + 1;
    const int column2 = characterCount(surface.textRange(lastFrom, end - lastFrom));
    const int left = std::min(column1, column2);
    const int width = std::max(column1, column2) - left + 1;

    const int to = line2 + 1 < surface.lineCount() ? surface.lineIndex(line2 + 1) : surface.textLength();
    QString block = surface.textRange(from, to - from);
    if (block.endsWith(CrLf))
        block.chop(2);
    else if (block.endsWith(QLatin1Char('\n')) || block.endsWith(QLatin1Char('\r')))
        block.chop(1);
    const QString eol = unixEndings ? QStringLiteral("\n") : CrLf;
    ColumnCopy result;
    for (const QString &line : splitLines(block))
        result.text += characters(line, left - 1, width) + eol;
    result.message = QStringLiteral("Text copied from %1:%2 - %3:%4").arg(line1 + 1).arg(column1).arg(line2 + 1).arg(column2);
    return result;
}

bool isWordDelimiter(QChar c)
{
    static const QString delimiters = QStringLiteral("\"\t\r\n!\u00A4%&/()=?.,:;'*^\u00A8~ {[]}+\\\u00B4");
    return delimiters.contains(c);
}

TextRange wordRange(const QString &text, int caret)
{
    caret = std::clamp(caret, 0, int(text.size()));
    int start = caret;
    while (start > 0 && !isWordDelimiter(text.at(start - 1)))
        --start;
    int end = caret;
    while (end < text.size() && !isWordDelimiter(text.at(end)))
        ++end;
    return {start, end - start};
}

void selectWord(EditorSurface &surface)
{
    const TextRange word = wordRange(surface.text(), surface.selStart());
    surface.setSelStart(word.start);
    surface.setSelLength(word.length);
}

TextRange lineRange(const QString &text, int caret)
{
    caret = std::clamp(caret, 0, int(text.size()));
    // A caret between CR and LF belongs to the line the CR ends.
    const int from = caret > 0 && caret < text.size() && text.at(caret - 1) == QLatin1Char('\r')
            && text.at(caret) == QLatin1Char('\n')
        ? caret - 1
        : caret;
    // Lines end where the window ends them: at CR LF, a lone LF or a lone CR.
    int start = from;
    while (start > 0 && text.at(start - 1) != QLatin1Char('\r') && text.at(start - 1) != QLatin1Char('\n'))
        --start;
    const qsizetype after = nextLineBreak(text, from).at;
    const int end = after < 0 ? int(text.size()) : int(after);
    return {start, std::max(0, end - start)};
}

void selectLine(EditorSurface &surface)
{
    const TextRange line = lineRange(surface.text(), surface.selStart());
    surface.setSelStart(line.start);
    surface.setSelLength(line.length);
}

void selectAll(EditorSurface &surface)
{
    surface.setSelStart(0);
    surface.setSelLength(surface.textLength());
}

TextRange deleteLineRange(const EditorSurface &surface)
{
    const int line = surface.getLineFromChar(surface.selStart());
    const int start = surface.lineIndex(line);
    const bool last = line + 1 >= surface.lineCount();
    const int end = last ? surface.textLength() : surface.lineIndex(line + 1);
    if (last && line > 0 && end - start <= 1) {
        // Removing only the text would leave an empty line behind (or nothing at all to remove).
        const int breakLength = surface.textRange(start - 2, 2) == CrLf ? 2 : 1;
        return {start - breakLength, end - start + breakLength};
    }
    return {start, end - start};
}

bool deleteLine(EditorSurface &surface)
{
    const TextRange range = deleteLineRange(surface);
    if (range.length == 0)
        return false;
    surface.setSelStart(range.start);
    surface.setSelLength(range.length);
    surface.setSelText(QString());
    return true;
}

bool crop(EditorSurface &surface)
{
    const int length = surface.selLength();
    if (length == 0)
        return false;
    const QString kept = surface.selText();
    const std::vector<FormatRun> runs = surface.formatRuns(surface.selStart(), length);
    surface.setVisible(false);
    surface.setText(kept);
    surface.applyFormatRuns(0, runs);
    selectAll(surface);
    surface.setVisible(true);
    return true;
}

QString dateTimeText(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.time(), QLocale::LongFormat).left(5) + QLatin1Char(' ')
        + locale.toString(when.date(), QLocale::ShortFormat);
}

QString selectionsText(const EditorSurface &surface)
{
    if (surface.selectionCount() <= 1)
        return surface.selText();
    const QStringList texts = surface.selectionTexts();
    if (std::all_of(texts.begin(), texts.end(), [](const QString &t) { return t.isEmpty(); }))
        return {};
    return texts.join(QStringLiteral("\r\n"));
}

QString copiedText(const QString &selected, bool unixEndings)
{
    return unixEndings ? ToLf(selected) : selected;
}

QString appendedText(const QString &clipboard, const QString &selected, bool unixEndings)
{
    return copiedText(clipboard + selected, unixEndings);
}

QString pastedText(const QString &clipboard)
{
    return ToCrLf(clipboard);
}

QMimeData *richClipboardData(const QString &plainText, const QString &rtf, const QString &html)
{
    auto *data = new QMimeData;
    data->setText(plainText);
    data->setData(QStringLiteral("text/rtf"), rtf.toLatin1());
    data->setData(QStringLiteral("application/rtf"), rtf.toLatin1());
    data->setHtml(html);
    return data;
}

QString htmlOfRuns(const QString &text, const std::vector<FormatRun> &runs)
{
    QString html = QStringLiteral("<html><body><pre style=\"margin:0\">");
    auto escaped = [](const QString &piece) {
        QString out = piece.toHtmlEscaped();
        out.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
        out.replace(QLatin1Char('\n'), QLatin1String("<br>"));
        out.replace(QLatin1Char('\r'), QLatin1String("<br>"));
        return out;
    };
    int at = 0;
    int runEnd = 0;
    for (const FormatRun &run : runs) {
        runEnd += std::max(0, run.length);
        int end = std::min(runEnd, int(text.size()));
        // A CR LF pair split between two runs is still one line break.
        if (end > at && end < text.size() && text.at(end - 1) == QLatin1Char('\r') && text.at(end) == QLatin1Char('\n'))
            ++end;
        if (end <= at)
            continue;
        const CharFormat &f = run.format;
        QString style = QStringLiteral("color:%1").arg(OleColors::toQColor(f.color).name());
        if (f.bold)
            style += QStringLiteral(";font-weight:bold");
        if (f.italic)
            style += QStringLiteral(";font-style:italic");
        if (!f.fontName.isEmpty()) {
            QString family = f.fontName;
            family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            style += QStringLiteral(";font-family:'%1'").arg(family);
        }
        if (f.fontSize > 0)
            style += QStringLiteral(";font-size:%1pt").arg(f.fontSize);
        html += QStringLiteral("<span style=\"%1\">%2</span>").arg(style.toHtmlEscaped(), escaped(text.mid(at, end - at)));
        at = end;
    }
    if (at < text.size())
        html += escaped(text.mid(at));
    html += QStringLiteral("</pre></body></html>");
    return html;
}

bool selectionHasInnerLineBreak(const EditorSurface &surface)
{
    constexpr int Probe = 4096;
    const int start = surface.selStart();
    const int length = surface.selLength();
    if (length < 3)
        return false;
    const qsizetype at = surface.textRange(start, std::min(length, Probe)).indexOf(QLatin1String("\r\n"));
    if (at >= 0 || length <= Probe)
        return at >= 1;
    // The first line break lies beyond the probe, so after the first character, if there is one.
    return surface.getLineFromChar(start + length) > surface.getLineFromChar(start + Probe);
}

QString clearHistoryQuestion()
{
    return QStringLiteral("This will delete your undo/redo buffer, continue?");
}

QString clearHistoryTitle()
{
    return QStringLiteral("Confirm");
}

} // namespace EditCommands
