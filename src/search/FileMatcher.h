#pragma once

#include "RegExp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

// What to look for in files: the find window's text with its two options.
struct FileQuery {
    QString text;
    bool regExp = false;
    bool matchCase = false;
};

// One matching line of a file. Line and column count from 1; columns are UTF-16 units of the line,
// as the editor counts them, so a result opens at the same place.
struct LineHit {
    int line = 1;
    int column = 1;
    QString text;               // the line as shown (long lines cut around the first match)
    struct Mark {
        int start = 0;          // in text
        int length = 0;
    };
    QList<Mark> marks;
};

struct FileHits {
    QString path;
    QList<LineHit> lines;
};

// Finds the lines of a file's bytes that match a query, in the file's own encoding: UTF-16 with a
// byte-order mark, UTF-8, or one byte per character, with the editor's line ends (CR LF, LF, CR).
// Plain text goes over the bytes where that gives the same answer as over the decoded text; one
// instance per thread, since the expression engine keeps per-match state.
class FileMatcher {
public:
    explicit FileMatcher(const FileQuery &query);
    ~FileMatcher();
    FileMatcher(const FileMatcher &) = delete;
    FileMatcher &operator=(const FileMatcher &) = delete;

    // The engine's error for an invalid expression, in the find window's form.
    std::optional<QString> error() const { return m_error; }

    struct Result {
        QList<LineHit> lines;
        bool binary = false;    // skipped: a NUL byte without a UTF-16 mark
        bool tooLarge = false;  // skipped: the search needs the decoded text, and the file is larger
                                // than any document the editor holds
    };
    Result search(QByteArrayView bytes, bool skipBinary, const std::atomic<bool> *cancel = nullptr);

    // A display line is cut to about this many units around its first match.
    static constexpr int MaxShownLine = 400;

    // ASCII text that every match of the expression holds (the longest such run of its top level),
    // or empty when none can be told safely.
    static QByteArray requiredLiteral(const QString &pattern);
    // True when no match of the expression can hold a line break, so each line can be tried alone.
    static bool staysInLine(const QString &pattern);

private:
    Result searchBytes(QByteArrayView bytes, const QByteArray &needle, bool fold, const std::atomic<bool> *cancel);
    Result searchText(const QString &text, const std::atomic<bool> *cancel);
    // The expression tried only on the lines that hold its required text.
    Result searchLines(QByteArrayView bytes, bool utf8, const std::atomic<bool> *cancel);
    qsizetype findLiteral(const char *data, qsizetype from, qsizetype to) const;

    FileQuery m_query;
    QByteArray m_asciiNeedle;           // set when the text is ASCII
    bool m_needsUnicodeFold = false;    // a non-ASCII character folds to a letter of the text
    std::array<qsizetype, 256> m_shift{};   // Horspool shifts of the folded ASCII text
    std::unique_ptr<RegExp> m_engine;
    QByteArray m_literal;               // required by the expression; lower case when folding
    bool m_literalNeedsUnicodeFold = false;
    bool m_lineBound = false;
    std::array<qsizetype, 256> m_literalShift{};
    std::optional<QString> m_error;
};
