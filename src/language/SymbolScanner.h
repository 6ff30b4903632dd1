#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

struct LanguageDefinition;

struct Symbol {
    enum class Kind : quint8 { Function, Class, Heading };
    QString name;
    Kind kind = Kind::Function;
    int offset = 0;     // where the name starts in the text
    int line = 1;       // from 1
    int level = 0;      // headings: 1 to 6; nesting depth otherwise
    // Found at a brace where only scopes (level of them) were open, so the reading's state there
    // is known: a later reading can start or end at it.
    bool scoped = false;
};

// A code symbol as a long list keeps it, in a fifth of the room (a million symbols of a large
// file took a tenth of a gigabyte with their names): a code symbol's name is the text at its
// offset, this long, read again when the list is shown. A heading's name is not its text.
struct SymbolSpot {
    int offset = 0;
    int line = 1;
    int level = 0;
    int length = 0;
    Symbol::Kind kind = Symbol::Kind::Function;
    bool scoped = false;

    static SymbolSpot of(const Symbol &s) { return {s.offset, s.line, s.level, int(s.name.size()), s.kind, s.scoped}; }
    Symbol named(QString name) const { return Symbol{std::move(name), kind, offset, line, level, scoped}; }
};

// The symbols of a whole document as a reading keeps them: code's as spots, headings whole.
struct SymbolReading {
    QList<SymbolSpot> spots;
    QList<Symbol> headings;
};

// The functions, classes and sections of a document, in document order: headings for Markdown and
// HTML; otherwise definitions found with the current language's comment and string markers (so
// nothing inside a comment or a string counts) and its keywords (a keyword is never a name).
// One linear pass over the text.
namespace SymbolScanner {

// How a document is read: its headings, its code, or not at all.
enum class Mode { None, Code, Markdown, Html };
Mode modeOf(const LanguageDefinition &language, const QString &fileName);

QList<Symbol> scan(const QString &text, const LanguageDefinition &language, const QString &fileName);
// The same reading of a stretch that starts at a line, openScopes scopes around it; offsets and
// lines count from the stretch's start.
QList<Symbol> scan(const QString &text, const LanguageDefinition &language, Mode mode, int openScopes = 0);
// Polls goOn now and then; nothing once it says no.
std::optional<QList<Symbol>> scan(const QString &text, const LanguageDefinition &language, Mode mode, int openScopes,
                                  const std::function<bool()> &goOn);
// Whether the reading follows braces, so only a scoped symbol tells where a reading may start.
bool followsBraces(const LanguageDefinition &language, Mode mode);

// Case-insensitive: every word of the filter occurs in the name, in any order.
bool matchesFilter(const Symbol &symbol, const QString &filter);

} // namespace SymbolScanner
