#include "LineEdits.h"

#include <QList>

#include <algorithm>
#include <climits>

namespace LineEdits {

namespace {

struct Line {
    int start = 0;
    int length = 0;      // without its break
    int breakLength = 0; // 0 on the last line when the text does not end with a break
    int end() const { return start + length; }
    int next() const { return start + length + breakLength; }
};

bool isBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

Line lineAt(const QString &text, int offset)
{
    offset = std::clamp(offset, 0, int(text.size()));
    int start = offset;
    // An offset between the CR and LF of one break belongs to the line before.
    while (start > 0 && !isBreak(text[start - 1]))
        --start;
    int end = offset;
    while (end < text.size() && !isBreak(text[end]))
        ++end;
    int breakLength = 0;
    if (end < text.size()) {
        breakLength = 1;
        if (text[end] == QLatin1Char('\r') && end + 1 < text.size() && text[end + 1] == QLatin1Char('\n'))
            breakLength = 2;
    }
    return {start, end - start, breakLength};
}

// The lines a selection touches; a selection ending at the start of a line leaves that line out.
QList<Line> selectedLines(const QString &text, int selStart, int selLength)
{
    QList<Line> lines;
    selStart = std::clamp(selStart, 0, int(text.size()));
    const int selEnd = std::clamp(selStart + std::max(selLength, 0), selStart, int(text.size()));
    Line line = lineAt(text, selStart);
    lines << line;
    while (line.breakLength > 0 && line.next() < selEnd) {
        line = lineAt(text, line.next());
        lines << line;
    }
    return lines;
}

QString contentOf(const QString &text, const Line &line)
{
    return text.mid(line.start, line.length);
}

QString breakOf(const QString &text, const Line &line)
{
    return text.mid(line.end(), line.breakLength);
}

int indentOf(const QString &content)
{
    int n = 0;
    while (n < content.size() && (content[n] == QLatin1Char(' ') || content[n] == QLatin1Char('\t')))
        ++n;
    return n;
}

bool isBlank(const QString &content)
{
    return indentOf(content) == content.size();
}

// The break a new line gets where the text has none to copy: the text's first break, else CR LF.
QString breakToAdd(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (isBreak(text[i]))
            return lineAt(text, i).breakLength == 2 ? QStringLiteral("\r\n") : QString(text[i]);
    }
    return QStringLiteral("\r\n");
}

} // namespace

std::optional<Edit> duplicate(const QString &text, int selStart, int selLength)
{
    selStart = std::clamp(selStart, 0, int(text.size()));
    selLength = std::clamp(selLength, 0, int(text.size()) - selStart);
    const QString selected = text.mid(selStart, selLength);
    if (selLength > 0 && std::none_of(selected.begin(), selected.end(), isBreak))
        return Edit{selStart + selLength, 0, selected, selStart + selLength, selLength};
    const QList<Line> lines = selectedLines(text, selStart, selLength);
    const Line &first = lines.front();
    const Line &last = lines.back();
    QString block = text.mid(first.start, last.end() - first.start);
    if (last.breakLength > 0) {
        block += breakOf(text, last);
        return Edit{last.next(), 0, block, selStart + int(block.size()), selLength};
    }
    const QString lineBreak = breakToAdd(text);
    // The copy goes below: the caret follows it, past the break put in front of it.
    return Edit{last.end(), 0, lineBreak + block, selStart + int(block.size() + lineBreak.size()), selLength};
}

std::optional<Edit> moveLines(const QString &text, int selStart, int selLength, bool up)
{
    const QList<Line> lines = selectedLines(text, selStart, selLength);
    const Line first = lines.front();
    const Line last = lines.back();
    if (up ? first.start == 0 : last.breakLength == 0)
        return std::nullopt;
    int above = first.start - 1;
    if (up && above > 0 && text[above] == QLatin1Char('\n') && text[above - 1] == QLatin1Char('\r'))
        --above;
    const Line other = up ? lineAt(text, above) : lineAt(text, last.next());

    // The breaks stay where they stand; only the contents change places.
    QList<Line> span;
    if (up)
        span << other;
    span += lines;
    if (!up)
        span << other;
    QStringList contents;
    for (const Line &line : lines)
        contents << contentOf(text, line);
    if (up)
        contents << contentOf(text, other);
    else
        contents.prepend(contentOf(text, other));
    QString replacement;
    for (qsizetype i = 0; i < span.size(); ++i)
        replacement += contents[i] + breakOf(text, span[i]);

    const int spanStart = span.front().start;
    const int spanEnd = span.back().next();
    const int blockStart = up ? spanStart
                              : spanStart + int(contents.front().size()) + span.front().breakLength;
    const int newStart = std::clamp(blockStart + (selStart - first.start), spanStart, spanStart + int(replacement.size()));
    const int newLength = std::clamp(selLength, 0, spanStart + int(replacement.size()) - newStart);
    return Edit{spanStart, spanEnd - spanStart, replacement, newStart, newLength};
}

std::optional<Edit> joinLines(const QString &text, int selStart, int selLength)
{
    QList<Line> lines = selectedLines(text, selStart, selLength);
    if (lines.size() == 1) {
        if (lines.front().breakLength == 0)
            return std::nullopt;
        lines << lineAt(text, lines.front().next());
    }
    QString joined = contentOf(text, lines.front());
    int lastJoint = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString next = contentOf(text, lines[i]);
        const QString rest = next.mid(indentOf(next));
        while (!joined.isEmpty() && (joined.back() == QLatin1Char(' ') || joined.back() == QLatin1Char('\t')))
            joined.chop(1);
        if (!joined.isEmpty() && !rest.isEmpty())
            joined += QLatin1Char(' ');
        lastJoint = int(joined.size());
        joined += rest;
    }
    const int start = lines.front().start;
    const int length = lines.back().end() - start;
    if (selLength > 0 && lines.size() > 1)
        return Edit{start, length, joined, start, int(joined.size())};
    return Edit{start, length, joined, start + lastJoint, 0};
}

std::optional<Edit> toggleComment(const QString &text, int selStart, int selLength, const CommentMarkers &markers)
{
    if (markers.isEmpty())
        return std::nullopt;
    const bool block = markers.line.isEmpty();
    // A blank after the marker reads better; a marker that ends in one already has it.
    const QString open = block ? markers.blockStart + QLatin1Char(' ')
                               : (markers.line.endsWith(QLatin1Char(' ')) ? markers.line : markers.line + QLatin1Char(' '));
    const QString close = block ? QLatin1Char(' ') + markers.blockEnd : QString();
    const QString bareOpen = block ? markers.blockStart : markers.line.trimmed();
    const QString bareClose = block ? markers.blockEnd : QString();

    const QList<Line> lines = selectedLines(text, selStart, selLength);
    int indent = INT_MAX;
    bool allCommented = true;
    bool anyText = false;
    for (const Line &line : lines) {
        const QString content = contentOf(text, line);
        if (isBlank(content))
            continue;
        anyText = true;
        indent = std::min(indent, indentOf(content));
        const QString body = content.mid(indentOf(content));
        if (!body.startsWith(bareOpen) || (block && !body.trimmed().endsWith(bareClose)))
            allCommented = false;
    }
    if (!anyText)
        return std::nullopt;

    const Line &caretLine = lineAt(text, selStart);
    int column = selStart - caretLine.start;
    QString replacement;
    for (const Line &line : lines) {
        QString content = contentOf(text, line);
        const bool caretHere = line.start == caretLine.start;
        if (!isBlank(content)) {
            if (allCommented) {
                const int at = indentOf(content);
                int cut = int(bareOpen.size());
                if (content.mid(at + cut, 1) == QStringLiteral(" "))
                    ++cut;
                content.remove(at, cut);
                if (caretHere && column > at)
                    column = std::max(at, column - cut);
                if (block) {
                    int end = int(content.size());
                    while (end > 0 && content[end - 1].isSpace())
                        --end;
                    int from = end - int(bareClose.size());
                    if (from > 0 && content[from - 1] == QLatin1Char(' '))
                        --from;
                    content.remove(from, end - from);
                }
            } else {
                content.insert(indent, open);
                content += close;
                if (caretHere && column >= indent)
                    column += int(open.size());
            }
        }
        replacement += content + breakOf(text, line);
    }
    const int start = lines.front().start;
    const int length = lines.back().next() - start;
    // A selection becomes the whole lines, so that the same key turns them back.
    if (selLength > 0)
        return Edit{start, length, replacement, start, int(replacement.size())};
    return Edit{start, length, replacement, std::min(caretLine.start + column, start + int(replacement.size())), 0};
}

} // namespace LineEdits
