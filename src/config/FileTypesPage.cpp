#include "FileTypesPage.h"

#include "FileAssociations.h"

#include "NamedWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using NamedWidgets::checkBox;

QListWidget *list(const char *name, QWidget *parent)
{
    auto *widget = new QListWidget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setMinimumHeight(120);
    return widget;
}

QLabel *label(const char *name, QWidget *parent)
{
    auto *widget = new QLabel(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return widget;
}

} // namespace

FileTypesPage::FileTypesPage(FileAssociations *associations, const AppFolders &folders, QWidget *parent)
    : QGroupBox(QStringLiteral("Files and Keywords"), parent)
    , m_associations(associations)
    , m_folders(folders)
{
    setObjectName(QStringLiteral("fraFileTypes"));
    auto *grid = new QGridLayout(this);
    auto *assLabel = new QLabel(QStringLiteral("Associated :"), this);
    auto *notAssLabel = new QLabel(QStringLiteral("Not Associated :"), this);
    grid->addWidget(assLabel, 0, 0);
    grid->addWidget(notAssLabel, 0, 2);
    m_ass = list("lstAss", this);
    m_notAss = list("lstNotAss", this);
    m_ass->setAccessibleName(QStringLiteral("Associated"));
    m_notAss->setAccessibleName(QStringLiteral("Not Associated"));
    grid->addWidget(m_ass, 1, 0);
    auto *moves = new QVBoxLayout;
    auto *toAss = new QPushButton(QStringLiteral("<"), this);
    toAss->setObjectName(QStringLiteral("cmdAss"));
    toAss->setAccessibleName(QStringLiteral("Associate"));
    auto *toNotAss = new QPushButton(QStringLiteral(">"), this);
    toNotAss->setObjectName(QStringLiteral("cmdNotAss"));
    toNotAss->setAccessibleName(QStringLiteral("Remove association"));
    moves->addStretch();
    moves->addWidget(toAss);
    moves->addWidget(toNotAss);
    moves->addStretch();
    grid->addLayout(moves, 1, 1);
    grid->addWidget(m_notAss, 1, 2);

    auto *current = new QGroupBox(QStringLiteral("Current Association"), this);
    auto *form = new QGridLayout(current);
    m_fileType = label("lblFileType", current);
    m_description = label("lblDescription", current);
    m_opensWith = label("lblOpensWith", current);
    const std::pair<const char *, QLabel *> rows[] = {
        {"FileType:", m_fileType}, {"Description:", m_description}, {"Opens with:", m_opensWith}};
    int row = 0;
    for (const auto &[caption, value] : rows) {
        form->addWidget(new QLabel(QLatin1String(caption), current), row, 0);
        value->setAccessibleName(QString::fromLatin1(caption).chopped(1));
        form->addWidget(value, row++, 1);
    }
    m_shared = label("lblSharedType", current);
    m_shared->setWordWrap(true);
    form->addWidget(m_shared, row, 0, 1, 2);
    form->setColumnStretch(1, 1);
    grid->addWidget(current, 2, 0, 1, 3);

    chkEnableSyntaxHighlight2 = checkBox("chkEnableSyntaxHighlight2", QStringLiteral("Enable Keyword Highlightning"), this);
    chkShowArguments = checkBox("chkShowArguments", QStringLiteral("Display Argu&ment List if Available"), this);
    chkForceCase = checkBox("chkForceCase", QStringLiteral("&Force Lower Case on Completion"), this);
    grid->addWidget(chkEnableSyntaxHighlight2, 3, 0, 1, 3);
    grid->addWidget(chkShowArguments, 4, 0, 1, 3);
    grid->addWidget(chkForceCase, 5, 0, 1, 3);
    cmdKeywordEditor = new QPushButton(QStringLiteral("Keyword Editor..."), this);
    cmdKeywordEditor->setObjectName(QStringLiteral("cmdKeywordEditor"));
    grid->addWidget(cmdKeywordEditor, 6, 2);
    grid->setRowStretch(7, 1);

    connect(toAss, &QPushButton::clicked, this, [this] { moveSelected(m_notAss, m_ass); });
    connect(toNotAss, &QPushButton::clicked, this, [this] { moveSelected(m_ass, m_notAss); });
    connect(m_ass, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        m_ass->setCurrentItem(item);
        moveSelected(m_ass, m_notAss);
    });
    connect(m_notAss, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        m_notAss->setCurrentItem(item);
        moveSelected(m_notAss, m_ass);
    });
    for (QListWidget *widget : {m_ass, m_notAss})
        connect(widget, &QListWidget::itemClicked, this,
                [this](QListWidgetItem *item) { showAssociation(item->text()); });
}

FileTypesPage::~FileTypesPage() = default;

void FileTypesPage::fillAssociations()
{
    m_ass->clear();
    m_notAss->clear();
    m_changed = false;
    if (!m_associations)
        return;
    for (const QString &extension : FileAssociations::readExtensions(m_folders.readablePath(QStringLiteral("extensions.dat")))) {
        const QString entry = QLatin1Char('.') + extension;
        (m_associations->IsAssociated(extension) ? m_ass : m_notAss)->addItem(entry);
    }
}

QStringList FileTypesPage::entriesOfType(const QString &type) const
{
    QStringList entries;
    if (type.isEmpty())
        return entries;
    for (const QListWidget *widget : {m_ass, m_notAss}) {
        for (int i = 0; i < widget->count(); ++i) {
            if (FileAssociations::mimeTypeFor(widget->item(i)->text()) == type)
                entries << widget->item(i)->text();
        }
    }
    return entries;
}

void FileTypesPage::noteShared(const QStringList &entries, const QString &type)
{
    m_shared->setText(entries.size() < 2 ? QString()
                                         : QStringLiteral("%1 share the file type %2, so they move together.")
                                               .arg(entries.join(QStringLiteral(", ")), type));
}

void FileTypesPage::moveSelected(QListWidget *from, QListWidget *to)
{
    QListWidgetItem *item = from->currentItem();
    if (!item)
        return;
    // The desktop associates file types, not extensions: one left behind would follow the other anyway.
    const QString type = FileAssociations::mimeTypeFor(item->text());
    QStringList moved = entriesOfType(type);
    if (moved.isEmpty())
        moved << item->text();
    for (const QString &entry : moved) {
        for (QListWidgetItem *found : from->findItems(entry, Qt::MatchExactly))
            delete from->takeItem(from->row(found));
        if (to->findItems(entry, Qt::MatchExactly).isEmpty())
            to->addItem(entry);
    }
    to->setCurrentRow(to->count() - 1);
    noteShared(moved, type);
    m_changed = true;
    emit changed();
}

void FileTypesPage::showAssociation(const QString &entry)
{
    if (!m_associations)
        return;
    const FileAssociations::Shown shown = m_associations->ShowAssociation(entry);
    m_fileType->setText(shown.fileType);
    m_description->setText(shown.description);
    m_opensWith->setText(shown.opensWith);
    noteShared(entriesOfType(FileAssociations::mimeTypeFor(entry)), FileAssociations::mimeTypeFor(entry));
}

QStringList FileTypesPage::applyAssociations()
{
    QStringList errors;
    if (!m_changed || !m_associations)
        return errors;
    for (int i = 0; i < m_notAss->count(); ++i) {
        if (std::optional<QString> error = m_associations->Unassociate(m_notAss->item(i)->text()))
            errors << *error;
    }
    for (int i = 0; i < m_ass->count(); ++i) {
        if (std::optional<QString> error = m_associations->Associate(m_ass->item(i)->text()))
            errors << *error;
    }
    m_changed = false;
    return errors;
}
