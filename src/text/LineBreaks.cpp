#include "LineBreaks.h"

#include <algorithm>

std::vector<int> lineStartsOf(const QString &text)
{
    std::vector<int> starts{0};
    const QChar *data = text.constData();
    const int size = int(text.size());
    for (int i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c == u'\r') {
            if (i + 1 < size && data[i + 1].unicode() == u'\n')
                ++i;
            starts.push_back(i + 1);
        } else if (c == u'\n') {
            starts.push_back(i + 1);
        }
    }
    return starts;
}

int lineOfOffset(const std::vector<int> &lineStarts, int offset)
{
    const auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return std::max(0, int(it - lineStarts.begin()) - 1);
}

LineBreak nextLineBreak(const QString &text, qsizetype from)
{
    const char16_t *data = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = std::max<qsizetype>(0, from); i < size; ++i) {
        if (data[i] == u'\n')
            return {i, 1};
        if (data[i] == u'\r')
            return {i, i + 1 < size && data[i + 1] == u'\n' ? 2 : 1};
    }
    return {};
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (LineBreak b = nextLineBreak(text, 0); b.at >= 0; b = nextLineBreak(text, start)) {
        lines << text.mid(start, b.at - start);
        start = b.at + b.length;
    }
    lines << text.mid(start);
    return lines;
}

QString withCrLfBreaks(const QString &text)
{
    const char16_t *data = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    qsizetype lone = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == u'\n' && (i == 0 || data[i - 1] != u'\r'))
            ++lone;
    }
    if (lone == 0)
        return text;
    QString out;
    out.reserve(size + lone);
    qsizetype copied = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (data[i] == u'\n' && (i == 0 || data[i - 1] != u'\r')) {
            out += QStringView(text).mid(copied, i - copied);
            out += QLatin1Char('\r');
            copied = i;
        }
    }
    out += QStringView(text).mid(copied);
    return out;
}
