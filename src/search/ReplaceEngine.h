#pragma once

#include "FindEngine.h"

#include <QString>

#include <optional>

class SearchHost;

// The texts and choices of the replace dialog for one command.
struct ReplaceRequest {
    QString findText;
    QString replacement;
    bool matchCase = false;
    bool regExp = false;
    bool downward = true;
    bool historyAdded = false;
};

// A whole-document replacement computed on a copy of the text.
struct ReplaceAllResult {
    QString text;
    int count = 0;
    std::optional<QString> error;
};

// Replace and Replace All of the replace dialog: undo snapshot first, re-colouring after.
class ReplaceEngine {
public:
    ReplaceEngine(FindEngine &find, SearchHost &host);

    // Replaces the selection literally, then finds the next occurrence. Nothing while the selection is empty.
    FindOutcome Replace(const ReplaceRequest &request);
    FindOutcome ReplaceAll(const ReplaceRequest &request);

    // \\ \r \n \t \v in a regular-expression replacement; other sequences stay for the engine.
    static QString UnescapeReplacement(const QString &text);
    static ReplaceAllResult replaceAllPlain(const QString &text, const QString &findText,
                                            const QString &replacement, bool matchCase);
    // The replacement is used as given; unescaping is the caller's.
    static ReplaceAllResult replaceAllRegExp(const QString &text, const QString &pattern,
                                             const QString &replacement, bool matchCase);

private:
    bool addHistories(const ReplaceRequest &request) const;
    void setDocument(const QString &text);

    FindEngine &m_find;
    SearchHost &m_host;
};
