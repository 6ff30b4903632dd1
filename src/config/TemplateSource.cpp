#include "TemplateSource.h"

QList<TemplateEntry> TemplateSource::defaultTemplates()
{
    QList<TemplateEntry> entries;
    for (int i = 0; i < Count; ++i)
        entries.append({QStringLiteral("User Template %1").arg(i + 1), QString()});
    return entries;
}
