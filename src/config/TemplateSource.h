#pragma once

#include <QList>
#include <QString>

#include <optional>

struct TemplateEntry {
    QString name;
    QString content;       // lines separated by CR LF

    bool operator==(const TemplateEntry &) const = default;
};

// The ten user templates as the Templates page of the options dialog edits them. The template
// store implements it; the dialog only loads the ten entries and saves them back.
class TemplateSource {
public:
    static constexpr int Count = 10;

    virtual ~TemplateSource() = default;
    // Exactly Count entries.
    virtual QList<TemplateEntry> loadTemplates() = 0;
    // The error text when the store could not be written.
    virtual std::optional<QString> saveTemplates(const QList<TemplateEntry> &templates) = 0;

    // What a store without a file holds: "User Template 1" … "User Template 10", empty contents.
    static QList<TemplateEntry> defaultTemplates();
};
