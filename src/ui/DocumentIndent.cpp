#include "DocumentIndent.h"

#include "Settings.h"

#include <algorithm>
#include <array>

namespace {

constexpr int MaxWidth = 8;
// Fewer indented lines than this say nothing reliable about a file.
constexpr int MinEvidence = 2;

} // namespace

QString IndentStyle::unit() const
{
    return spaces ? QString(std::max(width, 1), QLatin1Char(' ')) : QStringLiteral("\t");
}

std::optional<IndentStyle> DocumentIndent::detect(QStringView text)
{
    text = text.left(SampleChars);
    int tabLines = 0;
    int spaceLines = 0;
    std::array<int, MaxWidth + 1> steps{};   // how often the indentation grew or shrank by n blanks
    int previous = 0;
    int lines = 0;
    qsizetype from = 0;
    while (from < text.size() && lines < SampleLines) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = text.size();
        const QStringView line = text.mid(from, end - from);
        from = end + 1;
        ++lines;
        qsizetype blanks = 0;
        while (blanks < line.size() && line[blanks] == QLatin1Char(' '))
            ++blanks;
        const QStringView rest = line.mid(blanks).trimmed();
        if (rest.isEmpty())
            continue;   // blank lines keep the indentation of the line before them
        if (blanks == 0 && line.front() == QLatin1Char('\t')) {
            ++tabLines;
            previous = 0;
            continue;
        }
        // The " * " lines of a block comment are aligned, not indented.
        if (rest.front() == QLatin1Char('*') && blanks % 2 == 1)
            continue;
        if (blanks > 0)
            ++spaceLines;
        const int step = int(std::abs(blanks - previous));
        if (step >= 2 && step <= MaxWidth)
            ++steps[size_t(step)];
        previous = int(blanks);
    }
    if (tabLines < MinEvidence && spaceLines < MinEvidence)
        return std::nullopt;
    if (tabLines >= spaceLines)
        return IndentStyle{false, 4};
    // The most common step; a tie goes to the narrower one, which divides the wider.
    int width = 0;
    for (int w = 2; w <= MaxWidth; ++w) {
        if (steps[size_t(w)] > (width ? steps[size_t(width)] : 0))
            width = w;
    }
    if (width == 0)
        return std::nullopt;
    return IndentStyle{true, width};
}

IndentStyle DocumentIndent::style(const Settings &settings) const
{
    if (m_detected) {
        IndentStyle style = *m_detected;
        // A tab-indented file's tabs are as wide as the settings draw them.
        if (!style.spaces)
            style.width = settings.TabWidth;
        return style;
    }
    return IndentStyle{settings.UseSpacesInsteadOfTabs, std::max<int>(1, settings.TabWidth)};
}
