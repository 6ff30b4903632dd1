#pragma once

#include <QString>
#include <QStringList>

// The tips of tipofday.txt and the position of the one shown.
class TipList {
public:
    // Reads the file (one tip per line; blank lines hold no tip). False when it does not exist.
    bool load(const QString &path);
    void setTips(const QStringList &tips) { m_tips = tips; }

    int count() const { return int(m_tips.size()); }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    // Forwards and backwards with wrap-around; with no tips they leave the index alone.
    void next();
    void previous();

    // The tip at the index with its "\n" pairs as line breaks; empty when there is none there.
    QString currentText() const;
    // "(index/count)"; empty when there is no tip to show.
    QString positionText() const;

    // What the window shows when the file is missing.
    static QString notFoundText(const QString &fileName);

private:
    QStringList m_tips;
    int m_index = 0;
};
