#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QList>

// The regular-expression engine of the program: classic script-engine semantics over PCRE2.
// "." never matches CR or LF, "^"/"$" under MultiLine see CR LF, LF and CR as line ends, "$" without
// MultiLine matches only at the very end, \w \b \d \s are ASCII-only, offsets are UTF-16 code units.
class RegExp {
public:
    struct Match {
        qsizetype FirstIndex = 0;   // zero-based
        qsizetype Length = 0;
        QString Value;
        QStringList SubMatches;     // $1, $2, ...; empty for a group that did not take part
    };

    static constexpr int SyntaxErrorNumber = 5017;

    RegExp() = default;
    explicit RegExp(const QString &pattern) : m_pattern(pattern) {}

    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    bool ignoreCase() const { return m_ignoreCase; }
    void setIgnoreCase(bool on);
    bool global() const { return m_global; }
    void setGlobal(bool on);
    bool multiLine() const { return m_multiLine; }
    void setMultiLine(bool on);

    bool Test(const QString &subject);
    // Every match when Global is on, else at most the first one.
    QList<Match> Execute(const QString &subject);
    // The number of matches Execute would return, without building them.
    qsizetype Count(const QString &subject);
    // Replaces every match when Global is on, else the first; $1..$99, $&, $`, $' and $$ are expanded.
    // An invalid pattern leaves the subject unchanged.
    QString Replace(const QString &subject, const QString &replacement);

    // 0 after a successful operation; SyntaxErrorNumber when the pattern is invalid.
    int errorNumber() const { return m_errorNumber; }
    QString errorDescription() const { return m_errorDescription; }
    bool isValid();

private:
    const QRegularExpression *compiled();
    template <typename Visit>
    void forEachMatch(const QString &subject, Visit visit);

    QString m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiLine = false;

    QRegularExpression m_compiled;
    bool m_dirty = true;
    int m_errorNumber = 0;
    QString m_errorDescription;
};
