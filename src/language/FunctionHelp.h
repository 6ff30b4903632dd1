#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The argument tips of a language: the ".a" file beside its definition, one "name<TAB>help" a line.
class FunctionHelp {
public:
    FunctionHelp() = default;

    // Runs of tabs count as one separator; lines without a help text are skipped.
    static FunctionHelp fromLines(const QStringList &lines);
    // An absent file gives an empty help that is not present().
    static FunctionHelp load(const QString &path);
    // The help file that belongs to a ".kw" definition.
    static QString pathForDefinition(const QString &definitionPath);

    bool present() const { return m_present; }
    const QStringList &names() const { return m_names; }
    const QStringList &texts() const { return m_texts; }
    // Case-insensitive; the first entry of a name wins.
    std::optional<QString> textFor(const QString &name) const;

private:
    bool m_present = false;
    QStringList m_names;
    QStringList m_texts;
};
