#include "TemplatesPage.h"

#include "Prompter.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {

// The name field selects its text when entered.
class SelectOnFocus : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            if (auto *edit = qobject_cast<QLineEdit *>(watched))
                QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        }
        return false;
    }
};

// Content lines are kept with CR LF, as the store holds them; the field shows plain line breaks.
QString toField(const QString &content)
{
    QString text = content;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString fromField(const QString &text)
{
    QString content = text;
    content.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return content;
}

} // namespace

TemplatesPage::TemplatesPage(const AppFolders &folders, QWidget *parent)
    : QGroupBox(QStringLiteral("Templates"), parent)
    , m_folders(folders)
    , m_templates(TemplateSource::defaultTemplates())
{
    setObjectName(QStringLiteral("fraTemplate"));
    auto *grid = new QGridLayout(this);
    m_list = new QComboBox(this);
    m_list->setObjectName(QStringLiteral("cboTempName"));
    m_list->setAccessibleName(QStringLiteral("Template"));
    grid->addWidget(m_list, 0, 0, 1, 3);
    auto *nameLabel = new QLabel(QStringLiteral("Name :"), this);
    grid->addWidget(nameLabel, 1, 0);
    m_name = new QLineEdit(this);
    nameLabel->setBuddy(m_name);
    m_name->setObjectName(QStringLiteral("txtTempName"));
    m_name->installEventFilter(new SelectOnFocus(m_name));
    grid->addWidget(m_name, 1, 1, 1, 2);
    m_content = new QPlainTextEdit(this);
    m_content->setObjectName(QStringLiteral("txtContent"));
    m_content->setAccessibleName(QStringLiteral("Template text"));
    m_content->setLineWrapMode(QPlainTextEdit::NoWrap);
    grid->addWidget(m_content, 2, 0, 1, 3);
    m_variables = new QPushButton(QStringLiteral("Dynamic Variables..."), this);
    m_variables->setObjectName(QStringLiteral("Command1"));
    grid->addWidget(m_variables, 3, 2);
    grid->setRowStretch(2, 1);
    // The text box keeps Tab for itself: the button must come before it to be reached by Tab.
    setTabOrder(m_name, m_variables);
    setTabOrder(m_variables, m_content);

    connect(m_list, &QComboBox::activated, this, &TemplatesPage::showTemplate);
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_templates[m_index].name = text;
        m_changed = true;
        refreshTemps();
        emit changed();
    });
    connect(m_content, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading)
            return;
        m_templates[m_index].content = fromField(m_content->toPlainText());
        m_changed = true;
        emit changed();
    });
    connect(m_variables, &QPushButton::clicked, this, &TemplatesPage::openVariablesHelp);
    InitTemps(nullptr);
}

QString TemplatesPage::entryText(const TemplateEntry &entry, int index)
{
    return entry.name + QStringLiteral(" - ") + QString::number(index + 1);
}

void TemplatesPage::InitTemps(TemplateSource *source)
{
    m_templates = source ? source->loadTemplates() : TemplateSource::defaultTemplates();
    // Without a store an edit could not be saved; the fields say so instead of dropping it on Apply.
    m_name->setEnabled(source != nullptr);
    m_content->setEnabled(source != nullptr);
    while (m_templates.size() < TemplateSource::Count)
        m_templates.append(TemplateEntry{});
    m_templates.resize(TemplateSource::Count);
    m_list->clear();
    for (int i = 0; i < TemplateSource::Count; ++i)
        m_list->addItem(entryText(m_templates.at(i), i));
    m_changed = false;
    showTemplate(0);
}

void TemplatesPage::refreshTemps()
{
    for (int i = 0; i < TemplateSource::Count && i < m_list->count(); ++i)
        m_list->setItemText(i, entryText(m_templates.at(i), i));
}

void TemplatesPage::showTemplate(int index)
{
    if (index < 0 || index >= TemplateSource::Count)
        return;
    m_index = index;
    m_loading = true;
    m_list->setCurrentIndex(index);
    m_name->setText(m_templates.at(index).name);
    m_content->setPlainText(toField(m_templates.at(index).content));
    m_loading = false;
}

void TemplatesPage::openVariablesHelp()
{
    const QString page = m_folders.readablePath(QStringLiteral("help/templatevariables.html"));
    if (!QFileInfo::exists(page) || !QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        askUser(window(), QStringLiteral("Could not open %1").arg(page), QStringLiteral("Orvane"), QMessageBox::Ok,
                QMessageBox::Warning);
}
