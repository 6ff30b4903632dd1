#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The ten user templates of templates/templates.dat: a name and a content (lines joined by CR LF)
// each. The store lives for the whole run; a load only overwrites the slots its file reaches.
class TemplateStore {
public:
    static constexpr int Count = 10;

    // Every slot starts as "User Template n" with an empty content.
    TemplateStore();

    // The file below the application folder.
    static QString path(const QString &appFolder);

    // Fills the store from the file; a missing file restores the default names and empty contents.
    // A damaged file gives what it can: it never fails.
    void LoadTemplates(const QString &file);
    // The same from the file's lines.
    void readLines(const QStringList &lines);
    // The lines SaveTemplates writes.
    QStringList lines() const;
    // Writes the ten templates, atomically; the error text when the file could not be written.
    std::optional<QString> SaveTemplates(const QString &file) const;

    // index 0 … 9; anything else gives an empty text.
    QString TemplateName(int index) const;
    QString TemplateContent(int index) const;
    void setTemplate(int index, const QString &name, const QString &content);

    // The Insert menu caption of template index: name, " - ", number, a tab and "Alt+" with its digit.
    QString menuCaption(int index) const;

    static QString defaultName(int index);

private:
    struct Slot {
        QString name;
        QString content;
    };
    // One more than shown: the eleventh "@Start" of a file lands there and stops the reading.
    std::array<Slot, Count + 1> m_slots;
};
