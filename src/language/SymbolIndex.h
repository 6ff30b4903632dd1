#pragma once

#include "LanguageDefinition.h"
#include "SymbolScanner.h"

#include <QList>

#include <optional>

class EditorSurface;

// The document's symbols as the background colouring found them, kept current through edits: a
// change reads again only the stretch around it, from a symbol before it to one after it that the
// new reading finds as before (past those the reading goes on as it did), and moves the symbols
// after it. A stretch that will not settle within the read limit drops the list, and so does any
// change to HTML; the next request then reads the whole text. Changes only mark their lines; the
// stretch is read once typing pauses, or when the list is asked for.
class SymbolIndex {
public:
    // The symbols of the surface's whole text as it is now, read with language in mode.
    void set(SymbolReading symbols, const LanguageDefinition &language, SymbolScanner::Mode mode,
             const EditorSurface &surface);
    void set(const QList<Symbol> &symbols, const LanguageDefinition &language, SymbolScanner::Mode mode,
             const EditorSurface &surface);
    void clear();
    bool known() const { return m_known; }
    // The kept list, when it is the one of the surface's text now, read as language and file ask.
    std::optional<QList<Symbol>> symbols(const LanguageDefinition &language, const QString &fileName,
                                         const EditorSurface &surface);
    // After an insertion or a removal touched lines first to last (numbered as they are now).
    void linesChanged(const EditorSurface &surface, int first, int last);
    bool pending() const { return m_pending; }
    // Reads again around the lines changed since the last time; may drop the list.
    void settle(const EditorSurface &surface);
    void setReadLimit(qsizetype characters) { m_readLimit = characters; }

private:
    template <typename Kept>
    void follow(QList<Kept> &kept, const EditorSurface &surface, int first, int last);
    template <typename Kept>
    bool reread(QList<Kept> &kept, const EditorSurface &surface, qsizetype split);

    bool m_known = false;
    QList<SymbolSpot> m_spots;    // code
    QList<Symbol> m_headings;     // Markdown and HTML
    LanguageDefinition m_language;
    SymbolScanner::Mode m_mode = SymbolScanner::Mode::None;
    int m_lineCount = 0;
    int m_textLength = 0;
    // The lines changed since the list was last settled, numbered as they are now.
    bool m_pending = false;
    int m_pendingFirst = 0;
    int m_pendingLast = 0;
    int m_linesNow = 0;
    qsizetype m_readLimit = qsizetype(1) << 20;
};
