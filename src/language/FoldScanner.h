#pragma once

#include "EditorSurface.h"
#include "LanguageDefinition.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <vector>

// Where the blocks of a document open and close, read line by line as the highlighter reads the
// text: braces and the definition's block words outside strings and comments, block comments that
// span lines, the elements of markup, or indentation where the language folds by it. Each line
// is read from the state at the end of the line before, so a change is read again from its line.
class FoldScanner {
public:
    enum class Mode { None, Blocks, Markup, Indent };

    FoldScanner() = default;
    explicit FoldScanner(const LanguageDefinition &language);

    Mode mode() const { return m_mode; }

    struct Line {
        int state = 0;      // at the line's end
        int level = 0;      // the level number, without FoldLevel::Base
        bool header = false;
        bool white = false; // blank, or inside a long string or comment (folding by indentation)
    };
    // One line without its break. For indentation the level is the line's indentation and the
    // header is left to the caller, who knows the next line.
    Line scan(QByteArrayView line, int stateBefore) const;

    // The folds of every line of a text, from the state at the end of the line before it; the
    // blocks by indentation end with the text.
    std::vector<LineFold> levels(QByteArrayView text, int stateBefore = 0) const;

    // The folds of consecutive lines whose indentation is known and of the first non-blank line
    // after them (its indentation, or 0 at the end of the text): headers and blank lines settled.
    static void settleIndent(std::vector<LineFold> &folds, const std::vector<Line> &lines, int nextIndent);

    // The bytes of the line that starts at from (without its break) and where the next one starts.
    static QByteArrayView nextLine(QByteArrayView text, qsizetype &from);

    static LineFold foldOf(const Line &line);

    bool operator==(const FoldScanner &) const = default;

private:
    Line scanBlocks(QByteArrayView line, int stateBefore) const;
    Line scanMarkup(QByteArrayView line, int stateBefore) const;
    Line scanIndent(QByteArrayView line, int stateBefore) const;
    // Past the closing delimiter of a string from from on, or -1 when the line ends first.
    qsizetype stringEnd(QByteArrayView line, qsizetype from, const QByteArray &delimiter) const;
    bool wordIn(QByteArrayView word, const QList<QByteArray> &words) const;
    // The index of the first of the markers that starts at at, or -1.
    static qsizetype markerAt(QByteArrayView line, qsizetype at, const QList<QByteArray> &markers);
    // Past the end of the long string the scan is inside; false when it does not end on the line.
    bool leaveLongString(QByteArrayView line, qsizetype &at, int &inside) const;

    Mode m_mode = Mode::None;
    QList<QByteArray> m_quotes;
    QList<QByteArray> m_longStrings;
    QByteArray m_escape;
    QByteArray m_lineComment;
    QByteArray m_blockOpen;
    QByteArray m_blockClose;
    QList<QByteArray> m_openWords;
    QList<QByteArray> m_closeWords;
    bool m_caseSensitive = true;
    // The bytes a string, comment or long-string marker starts with: any other byte is tried for
    // nothing but a brace or a word.
    std::array<bool, 256> m_markerStart{};
};
