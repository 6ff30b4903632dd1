#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct LanguageDefinition;

struct Symbol {
    enum class Kind { Function, Class, Heading };
    QString name;
    Kind kind = Kind::Function;
    int offset = 0;     // where the name starts in the text
    int line = 1;       // from 1
    int level = 0;      // headings: 1 to 6; nesting depth otherwise
    // Found at a brace where only scopes (level of them) were open, so the reading's state there
    // is known: a later reading can start or end at it.
    bool scoped = false;
    // A long list of code symbols keeps no names (a tenth of a gigabyte for a million of them): a
    // code symbol's name is the text at its offset, this long, read again when the list is shown.
    int length = 0;

    // The name's length, whether it is kept or not.
    int nameLength() const { return name.isNull() ? length : int(name.size()); }
    // The same symbol without its name (code symbols only: a heading's name is not its text).
    Symbol withoutName() const
    {
        Symbol kept = *this;
        kept.length = nameLength();
        kept.name = QString();
        return kept;
    }
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
