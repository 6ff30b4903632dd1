#include "StoredTemplates.h"

#include "TemplateStore.h"

namespace {
const QString kRelative = QStringLiteral("templates/templates.dat");
}

StoredTemplates::StoredTemplates(TemplateStore &store, AppFolders folders)
    : m_store(store)
    , m_folders(std::move(folders))
{
}

QList<TemplateEntry> StoredTemplates::loadTemplates()
{
    QList<TemplateEntry> entries;
    for (int i = 0; i < Count; ++i)
        entries.append({m_store.TemplateName(i), m_store.TemplateContent(i)});
    return entries;
}

std::optional<QString> StoredTemplates::saveTemplates(const QList<TemplateEntry> &templates)
{
    // A failed write leaves the store as the file still has it.
    TemplateStore edited = m_store;
    for (int i = 0; i < Count && i < templates.size(); ++i)
        edited.setTemplate(i, templates.at(i).name, templates.at(i).content);
    if (std::optional<QString> error = edited.SaveTemplates(m_folders.writablePath(kRelative)))
        return error;
    m_store = edited;
    return std::nullopt;
}

QString StoredTemplates::readablePath() const
{
    return m_folders.readablePath(kRelative);
}
