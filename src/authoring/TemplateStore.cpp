#include "TemplateStore.h"

#include "ListFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool validIndex(int index)
{
    return index >= 0 && index < TemplateStore::Count;
}

} // namespace

TemplateStore::TemplateStore()
{
    for (int i = 0; i < Count; ++i)
        m_slots[std::size_t(i)].name = defaultName(i);
}

QString TemplateStore::defaultName(int index)
{
    return QStringLiteral("User Template ") + QString::number(index + 1);
}

QString TemplateStore::path(const QString &appFolder)
{
    return appFolder + QStringLiteral("/templates/templates.dat");
}

void TemplateStore::LoadTemplates(const QString &file)
{
    if (!QFileInfo::exists(file)) {
        *this = TemplateStore();
        return;
    }
    if (const std::optional<QStringList> lines = ListFile::read(file))
        readLines(*lines);
}

void TemplateStore::readLines(const QStringList &lines)
{
    int blocks = 0;
    for (const QString &line : lines) {
        if (blocks > Count)
            break;
        if (line == QLatin1String("@Start")) {
            m_slots[std::size_t(blocks)].content.clear();
            ++blocks;
        } else if (blocks == 0) {
            // Before the first block: nothing the writer produces, nothing to belong to.
            continue;
        } else if (line.startsWith(QLatin1String("@Name"))) {
            const qsizetype first = line.indexOf(QLatin1Char('='));
            if (first < 0)
                continue;
            const qsizetype second = line.indexOf(QLatin1Char('='), first + 1);
            m_slots[std::size_t(blocks - 1)].name =
                second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1);
        } else if (line != QLatin1String("@End")) {
            QString &content = m_slots[std::size_t(blocks - 1)].content;
            content += line;
            content += kCrLf;
        }
    }
    for (int i = 0; i < Count; ++i) {
        QString &content = m_slots[std::size_t(i)].content;
        if (content.endsWith(kCrLf))
            content.chop(2);
    }
}

std::optional<QString> TemplateStore::SaveTemplates(const QString &file) const
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    return ListFile::write(file, lines());
}

QStringList TemplateStore::lines() const
{
    QStringList lines;
    for (int i = 0; i < Count; ++i) {
        const Slot &slot = m_slots[std::size_t(i)];
        lines << QStringLiteral("@Start") << QStringLiteral("@Name=") + slot.name;
        lines << slot.content.split(kCrLf);
        lines << QStringLiteral("@End");
    }
    return lines;
}

QString TemplateStore::TemplateName(int index) const
{
    return validIndex(index) ? m_slots[std::size_t(index)].name : QString();
}

QString TemplateStore::TemplateContent(int index) const
{
    return validIndex(index) ? m_slots[std::size_t(index)].content : QString();
}

void TemplateStore::setTemplate(int index, const QString &name, const QString &content)
{
    if (!validIndex(index))
        return;
    m_slots[std::size_t(index)] = {name, content};
}

QString TemplateStore::menuCaption(int index) const
{
    QString name = TemplateName(index);
    // A tab would split the caption where the shortcut text starts; other control bytes of a
    // damaged file would show as boxes.
    for (QChar &c : name) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return name + QStringLiteral(" - ") + QString::number(index + 1) + QStringLiteral("\tAlt+")
        + QString::number((index + 1) % 10);
}
