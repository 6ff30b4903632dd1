#include "LineNavigation.h"

#include "FindEngine.h"
#include "LineBreaks.h"

#include <QStringMatcher>

#include <cmath>
#include <limits>

namespace LineNavigation {

namespace {

const QString kBreak = QStringLiteral("\r\n");

QString trimBlanks(const QString &line)
{
    qsizetype from = 0;
    qsizetype to = line.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (from < to && blank(line.at(from)))
        ++from;
    while (to > from && blank(line.at(to - 1)))
        --to;
    return line.mid(from, to - from);
}

int clampToInt(double value)
{
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(std::lround(value));
}

} // namespace

int LineStart(int line, const QString &text)
{
    if (line <= 1)
        return 0;
    qsizetype start = 0;
    for (int n = 1; n < line; ++n) {
        const LineBreak found = nextLineBreak(text, start);
        if (found.at < 0)
            return int(text.size()) + 1;
        start = found.at + found.length;
    }
    return int(start);
}

std::optional<double> parseNumber(const QString &box)
{
    bool ok = false;
    const double value = box.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int GotoTarget(double line, double column, const QString &text)
{
    const int wanted = clampToInt(std::fabs(line));
    const int col = qMax(1, clampToInt(column));
    const int start = LineStart(wanted, text);
    if (start > text.size()) {
        // A line past the last one: before the last character, as the line-start rule gives.
        return int(qBound<qint64>(0, qint64(text.size()) - 1, text.size()));
    }
    qsizetype end = nextLineBreak(text, start).at;
    if (end < 0)
        end = text.size();
    // A column past the end of its line stops at the line's end, the last line included.
    return int(std::min<qint64>(qint64(start) + col - 1, end));
}

QString listEntry(int line, const QString &text)
{
    return QString::number(line) + QLatin1Char('\t') + trimBlanks(text);
}

LineList LinesContaining(const QString &text, const QString &searchText, bool matchCase, bool regExp)
{
    LineList list;
    const QStringList lines = splitLines(text);
    std::unique_ptr<RegExp> engine;
    if (regExp) {
        engine = FindEngine::newEngine(searchText, matchCase);
        engine->setGlobal(false);
    }
    const QStringMatcher matcher(searchText, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const bool qualifies = engine ? engine->Test(line) : matcher.indexIn(line) >= 0;
        if (engine && engine->errorNumber() != 0) {
            // A pattern that does not compile fails on every line; one the engine gives up on
            // (too much backtracking, say) fails on that line only, and the rest still count.
            if (!engine->isValid()) {
                list.error = engine->errorDescription();
                break;
            }
            if (!list.error)
                list.error = engine->errorDescription();
            continue;
        }
        if (!qualifies)
            continue;
        list.lineNumbers << int(i + 1);
        list.entries << listEntry(int(i + 1), line);
        list.texts << line;
    }
    return list;
}

LineList BookmarkedLines(const QString &text, const QList<int> &bookmarks)
{
    LineList list;
    const QStringList lines = splitLines(text);
    for (int n : bookmarks) {
        if (n < 1 || n > lines.size())
            continue;
        list.lineNumbers << n;
        list.entries << listEntry(n, lines.at(n - 1));
        list.texts << lines.at(n - 1);
    }
    return list;
}

QString clipboardText(const LineList &list)
{
    QString out;
    for (const QString &line : list.texts)
        out += line + kBreak;
    return out;
}

} // namespace LineNavigation
