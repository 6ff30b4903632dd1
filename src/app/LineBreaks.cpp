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
