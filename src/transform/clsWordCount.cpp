#include "clsWordCount.h"

qsizetype clsWordCount::WordCount(QStringView text) const
{
    qsizetype words = 0;
    bool inWord = false;
    for (const QChar c : text) {
        const bool wordChar = c.unicode() > 32;
        words += wordChar && !inWord;
        inWord = wordChar;
    }
    return words;
}
