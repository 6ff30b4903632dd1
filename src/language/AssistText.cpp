#include "AssistText.h"

#include "EditCommands.h"

#include <algorithm>

namespace AssistText {

bool isWordDelimiter(QChar c)
{
    return EditCommands::isWordDelimiter(c);
}

Span wordAt(const QString &text, int pos)
{
    // The same words as the Edit menu's word commands.
    const EditCommands::TextRange word = EditCommands::wordRange(text, pos);
    return {word.start, word.start + word.length};
}

QString wordEndingAt(const QString &text, int pos)
{
    pos = std::clamp(pos, 0, int(text.size()));
    int start = pos;
    while (start > 0 && !isWordDelimiter(text.at(start - 1)))
        --start;
    return text.mid(start, pos - start);
}

int preselection(const QStringList &entries, const QString &word)
{
    if (word.isEmpty())
        return -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (QStringView(entries.at(i)).mid(2).startsWith(word, Qt::CaseInsensitive))
            return int(i);
    }
    return -1;
}

int openParenthesis(const QString &lineBefore, QChar stringChar)
{
    // Scanned forwards so that a string's start is known; the stack holds the calls still open.
    QList<int> open;
    bool inString = false;
    for (int i = 0; i < lineBefore.size(); ++i) {
        const QChar c = lineBefore.at(i);
        if (!stringChar.isNull() && c == stringChar) {
            inString = !inString;
        } else if (inString) {
            continue;
        } else if (c == u'(') {
            open.append(i);
        } else if (c == u')' && !open.isEmpty()) {
            open.removeLast();
        }
    }
    return open.isEmpty() ? -1 : open.last();
}

int getArgNo(const QString &text, int p, int caret, QChar stringChar)
{
    if (p < 1 || caret <= p)
        return 0;
    const int end = std::min(caret, int(text.size()));
    int depth = 0;
    int commas = 0;
    bool inString = false;
    for (int i = p; i < end; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            inString = false;   // a string never runs past its line
        } else if (!stringChar.isNull() && c == stringChar) {
            inString = !inString;
        } else if (inString) {
            continue;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            depth = std::max(0, depth - 1);
        } else if (c == u',' && depth == 0) {
            ++commas;
        }
    }
    return commas;
}

QList<TipLine> tipLayout(const QString &name, const QString &help, int argNo, bool singleLine)
{
    QStringList arguments = help.split(u',');
    arguments.first().remove(u'(');
    QList<TipLine> lines;
    TipLine line{{name + u'(', false}};
    const auto add = [&line](const QString &text, bool current) {
        if (text.isEmpty())
            return;
        if (!line.isEmpty() && line.last().current == current)
            line.last().text += text;
        else
            line.append({text, current});
    };
    const qsizetype last = arguments.size() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        const bool current = i == argNo;
        if (i > 0 && !singleLine) {
            lines.append(line);
            line = TipLine{};
            add(QString(name.size(), u' '), false);
        }
        const QString &argument = arguments.at(i);
        if (i < last) {
            add(argument, current);
            add(QStringLiteral(", "), false);
            continue;
        }
        const qsizetype close = argument.indexOf(u')');
        if (close < 0) {
            add(argument, current);
        } else {
            add(argument.left(close), current);
            add(argument.mid(close), false);
        }
    }
    lines.append(line);
    return lines;
}

QPoint popupPosition(QPoint caret, int lineHeight, QSize box, const QRect &area)
{
    int x = caret.x();
    if (x + box.width() > area.left() + area.width())
        x = area.left() + area.width() - box.width();
    x = std::max(x, area.left());
    int y = caret.y() + lineHeight;
    if (y + box.height() > area.top() + area.height()) {
        const int above = caret.y() - box.height();
        y = above >= area.top() ? above : std::max(area.top(), area.top() + area.height() - box.height());
    }
    return {x, y};
}

} // namespace AssistText
