#pragma once

#include <QStringView>

// Counts words in place: a word is a run of characters with codes above 32.
class clsWordCount {
public:
    qsizetype WordCount(QStringView text) const;
};
