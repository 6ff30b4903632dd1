#pragma once

#include "AppFolders.h"
#include "TemplateSource.h"

class TemplateStore;

// The options dialog's Templates page reads and writes the editor's own template store through
// this: it saves into the user's templates.dat and, once the file is written, the store holds the
// new names and contents.
class StoredTemplates : public TemplateSource {
public:
    StoredTemplates(TemplateStore &store, AppFolders folders);

    QList<TemplateEntry> loadTemplates() override;
    std::optional<QString> saveTemplates(const QList<TemplateEntry> &templates) override;

    // templates/templates.dat as the user has it, else as shipped.
    QString readablePath() const;

private:
    TemplateStore &m_store;
    AppFolders m_folders;
};
