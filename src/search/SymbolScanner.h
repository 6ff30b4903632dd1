#pragma once

#include <QList>
#include <QString>

struct LanguageDefinition;

struct Symbol {
    enum class Kind { Function, Class, Heading };
    QString name;
    Kind kind = Kind::Function;
    int offset = 0;     // where the name starts in the text
    int line = 1;       // from 1
    int level = 0;      // headings: 1 to 6; nesting depth otherwise
};

// The functions, classes and sections of a document, in document order: headings for Markdown and
// HTML; otherwise definitions found with the current language's comment and string markers (so
// nothing inside a comment or a string counts) and its keywords (a keyword is never a name).
// One linear pass over the text.
namespace SymbolScanner {

QList<Symbol> scan(const QString &text, const LanguageDefinition &language, const QString &fileName);

// Case-insensitive: every word of the filter occurs in the name, in any order.
bool matchesFilter(const Symbol &symbol, const QString &filter);

} // namespace SymbolScanner
