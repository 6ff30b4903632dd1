#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct RegExpProgram;

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
    // Where a match is, without its texts: what whole-document walks need.
    struct Span {
        qsizetype FirstIndex = 0;
        qsizetype Length = 0;
    };
    // All matches of a global walk without storing them: the count, and where the walk stood before
    // every Stride-th match, so that any match can be found again by resuming there.
    struct MatchIndex {
        static constexpr qsizetype Stride = 256;
        qsizetype count = 0;
        QList<qsizetype> resumeAt;
    };
    struct Replaced {
        QString text;
        qsizetype count = 0;
    };

    static constexpr int SyntaxErrorNumber = 5017;

    RegExp();
    explicit RegExp(const QString &pattern);
    ~RegExp();
    RegExp(const RegExp &) = delete;
    RegExp &operator=(const RegExp &) = delete;

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
    // The matches Execute would return, as positions only.
    QList<Span> Locate(const QString &subject);
    // The number of matches Execute would return, without building them.
    qsizetype Count(const QString &subject);
    // Index the matches of a global walk, to be fetched one at a time with Nth on the same subject.
    MatchIndex Index(const QString &subject);
    // Match n (zero-based) of an index built from this subject; nothing when there is no such match.
    std::optional<Span> Nth(const QString &subject, const MatchIndex &index, qsizetype n);
    // Replaces every match when Global is on, else the first; $1..$99, $&, $`, $' and $$ are expanded.
    // An invalid pattern leaves the subject unchanged.
    QString Replace(const QString &subject, const QString &replacement);
    // Replace, also telling how many matches were replaced.
    Replaced ReplaceCounted(const QString &subject, const QString &replacement);

    // 0 after a successful operation; SyntaxErrorNumber when the pattern is invalid; PCRE2's own (negative)
    // error code when a match gave up, e.g. for lack of backtracking memory (the results then stop there).
    int errorNumber() const { return m_errorNumber; }
    QString errorDescription() const { return m_errorDescription; }
    bool isValid();

private:
    const RegExpProgram *compiled();
    void failMatch(int engineError);
    // Calls visit(ovector, groups, searchedFrom) for each match from `from` on, while it returns true.
    template <typename Visit>
    void forEachMatch(const QString &subject, Visit visit, qsizetype from = 0);

    QString m_pattern;
    bool m_ignoreCase = false;
    bool m_global = false;
    bool m_multiLine = false;

    std::unique_ptr<RegExpProgram> m_program;
    bool m_dirty = true;
    int m_errorNumber = 0;
    QString m_errorDescription;
};
