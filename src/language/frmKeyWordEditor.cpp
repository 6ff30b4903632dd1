#include "frmKeyWordEditor.h"

#include "Prompter.h"

#include "NamedWidgets.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

using NamedWidgets::button;
using NamedWidgets::lineEdit;

const QString kFilter = QStringLiteral("Orvane Keyword Files (*.kw)");

QComboBox *choice(const char *name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems({QStringLiteral("True"), QStringLiteral("False")});
    return box;
}

QListWidget *list(const char *name, QWidget *parent)
{
    auto *widget = new QListWidget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return widget;
}

bool choiceIsTrue(const QComboBox *box)
{
    return box->currentText().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

void setChoice(QComboBox *box, bool on)
{
    box->setCurrentIndex(on ? 0 : 1);
}

} // namespace

frmKeyWordEditor::frmKeyWordEditor(const QString &keywordsFolder, const QString &definitionPath, QWidget *parent)
    : QDialog(parent)
    , m_keywordsFolder(keywordsFolder)
{
    setObjectName(QStringLiteral("frmKeyWordEditor"));
    setWindowTitle(QStringLiteral("Keyword Editor"));
    auto *outer = new QVBoxLayout(this);
    auto *bar = new QMenuBar(this);
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    const std::pair<const char *, const char *> items[] = {{"mnuFileNew", "&New"},
                                                           {"mnuFileOpen", "&Open..."},
                                                           {"mnuFileSave", "&Save"},
                                                           {"mnuFileSaveAs", "Save &As..."},
                                                           {"mnuFileExit", "E&xit"}};
    for (const auto &[name, caption] : items) {
        QAction *action = file->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        if (QLatin1String(name) == QLatin1String("mnuFileExit"))
            file->addSeparator();
    }
    outer->setMenuBar(bar);

    auto *columns = new QHBoxLayout;
    auto *fields = new QGridLayout;
    m_name = lineEdit("txtName", this);
    m_description = lineEdit("txtDescription", this);
    m_compiler = lineEdit("txtCompiler", this);
    m_lineComment = lineEdit("txtLineComment", this);
    m_lineCommentText = lineEdit("txtLineCommentText", this);
    m_lineCommentText->setToolTip(QStringLiteral("What Insert Line Comment puts before a line, when Line Comment "
                                                 "is a pattern (for example ; or REM)"));
    m_blockStart = lineEdit("txtBlockCommentStart", this);
    m_blockEnd = lineEdit("txtBlockCommentEnd", this);
    m_stringChar = lineEdit("txtStringChar", this);
    m_stringChar->setMaxLength(1);
    m_caseSens = choice("cboCaseSens", this);
    m_wholeWord = choice("cboWholeWord", this);
    m_isMarkup = choice("cboIsMarkup", this);
    QPushButton *browse = button("cmdBrowseExe", QStringLiteral("..."), this);
    browse->setFixedWidth(32);
    m_name->setMinimumWidth(240);
    auto *compilerRow = new QHBoxLayout;
    compilerRow->addWidget(m_compiler, 1);
    compilerRow->addWidget(browse);
    int row = 0;
    const std::pair<const char *, QWidget *> rows[] = {
        {"Name:", m_name},
        {"Description:", m_description},
        {"Line Comment:", m_lineComment},
        {"Comment Text:", m_lineCommentText},
        {"Block Comment Start:", m_blockStart},
        {"Block Comment End:", m_blockEnd},
        {"String Character:", m_stringChar},
        {"Case Sensitive:", m_caseSens},
        {"Whole Word:", m_wholeWord},
        {"Markup Language:", m_isMarkup}};
    for (const auto &[caption, widget] : rows) {
        auto *label = new QLabel(QLatin1String(caption), this);
        label->setBuddy(widget);
        // A choice box would otherwise be named by its value ("False").
        widget->setAccessibleName(QString::fromLatin1(caption).chopped(1));
        fields->addWidget(label, row, 0);
        fields->addWidget(widget, row++, 1);
    }
    auto *compilerLabel = new QLabel(QStringLiteral("Compiler:"), this);
    compilerLabel->setBuddy(m_compiler);
    browse->setAccessibleName(QStringLiteral("Choose compiler"));
    fields->addWidget(compilerLabel, row, 0);
    fields->addLayout(compilerRow, row++, 1);

    m_extensions = list("lstFileExtensions", this);
    m_addExt = lineEdit("txtAddExt", this);
    auto *extFrame = new QGroupBox(QStringLiteral("File Extensions"), this);
    auto *extGrid = new QGridLayout(extFrame);
    extGrid->addWidget(m_addExt, 0, 0);
    QPushButton *addExt = button("cmdAddExt", QStringLiteral("Add"), extFrame);
    extGrid->addWidget(addExt, 0, 1);
    extGrid->addWidget(m_extensions, 1, 0, 1, 2);
    QPushButton *removeExt = button("cmdRemoveExtension", QStringLiteral("Remove"), extFrame);
    QPushButton *clearExt = button("cmdClearExtensions", QStringLiteral("Clear"), extFrame);
    m_extensions->setAccessibleName(QStringLiteral("File Extensions"));
    m_addExt->setAccessibleName(QStringLiteral("New file extension"));
    addExt->setAccessibleName(QStringLiteral("Add file extension"));
    removeExt->setAccessibleName(QStringLiteral("Remove file extension"));
    clearExt->setAccessibleName(QStringLiteral("Clear file extensions"));
    extGrid->addWidget(removeExt, 2, 0);
    extGrid->addWidget(clearExt, 2, 1);
    fields->addWidget(extFrame, row++, 0, 1, 2);
    columns->addLayout(fields, 3);

    const auto wordFrame = [this](const char *title, QListWidget *&words, const char *listName, QLineEdit *&box,
                                  const char *boxName, QLabel *&count, const char *countName, QPushButton *&add,
                                  const char *addName, QPushButton *&remove, const char *removeName, QPushButton *&clear,
                                  const char *clearName) {
        auto *frame = new QGroupBox(QLatin1String(title), this);
        auto *grid = new QGridLayout(frame);
        box = lineEdit(boxName, frame);
        add = button(addName, QStringLiteral("Add"), frame);
        count = new QLabel(QStringLiteral("(0)"), frame);
        count->setObjectName(QLatin1String(countName));
        words = list(listName, frame);
        remove = button(removeName, QStringLiteral("Remove"), frame);
        clear = button(clearName, QStringLiteral("Clear"), frame);
        // The frames repeat their captions: the reader needs the frame in each name.
        const QString what = QLatin1String(title);
        words->setAccessibleName(what);
        box->setAccessibleName(QStringLiteral("New entry for ") + what);
        add->setAccessibleName(QStringLiteral("Add to ") + what);
        remove->setAccessibleName(QStringLiteral("Remove from ") + what);
        clear->setAccessibleName(QStringLiteral("Clear ") + what);
        grid->addWidget(box, 0, 0);
        grid->addWidget(add, 0, 1);
        grid->addWidget(count, 0, 2);
        grid->addWidget(words, 1, 0, 1, 3);
        grid->addWidget(remove, 2, 0);
        grid->addWidget(clear, 2, 1);
        return frame;
    };
    QPushButton *addKw1 = nullptr, *removeKw1 = nullptr, *clearKw1 = nullptr;
    QPushButton *addKw2 = nullptr, *removeKw2 = nullptr, *clearKw2 = nullptr;
    QGroupBox *kw1 = wordFrame("Keywords", m_kw1, "lstKW1", m_addKw1, "txtAddKW1", m_kw1Count, "lblKW1Count", addKw1,
                               "cmdAddKW1", removeKw1, "cmdRemoveKW1", clearKw1, "cmdClearKW1");
    QGroupBox *kw2 = wordFrame("Functions", m_kw2, "lstKW2", m_addKw2, "txtAddKW2", m_kw2Count, "lblKW2Count", addKw2,
                               "cmdAddKW2", removeKw2, "cmdRemoveKW2", clearKw2, "cmdClearKW2");
    auto *moves = new QVBoxLayout;
    QPushButton *toFunctions = button("cmMoveToFunc", QStringLiteral(">>"), this);
    QPushButton *toKeywords = button("cmdMoveToKeyWords", QStringLiteral("<<"), this);
    toFunctions->setAccessibleName(QStringLiteral("Move to Functions"));
    toKeywords->setAccessibleName(QStringLiteral("Move to Keywords"));
    moves->addStretch();
    moves->addWidget(toFunctions);
    moves->addWidget(toKeywords);
    moves->addStretch();
    columns->addWidget(kw1, 2);
    columns->addLayout(moves);
    columns->addWidget(kw2, 2);
    outer->addLayout(columns, 1);

    m_helpFrame = new QGroupBox(QStringLiteral("Function Help Text"), this);
    m_helpFrame->setObjectName(QStringLiteral("fraHelpText"));
    auto *helpRow = new QHBoxLayout(m_helpFrame);
    m_helpText = lineEdit("txtHelpText", m_helpFrame);
    m_helpText->setEnabled(false);
    m_helpText->setAccessibleName(QStringLiteral("Function Help Text"));
    helpRow->addWidget(m_helpText);
    outer->addWidget(m_helpFrame);

    connect(bar->findChild<QAction *>(QStringLiteral("mnuFileNew")), &QAction::triggered, this, &frmKeyWordEditor::New);
    connect(bar->findChild<QAction *>(QStringLiteral("mnuFileOpen")), &QAction::triggered, this, &frmKeyWordEditor::Open);
    connect(bar->findChild<QAction *>(QStringLiteral("mnuFileSave")), &QAction::triggered, this, &frmKeyWordEditor::Save);
    connect(bar->findChild<QAction *>(QStringLiteral("mnuFileSaveAs")), &QAction::triggered, this,
            &frmKeyWordEditor::SaveAs);
    connect(bar->findChild<QAction *>(QStringLiteral("mnuFileExit")), &QAction::triggered, this, &QDialog::reject);
    connect(addExt, &QPushButton::clicked, this, [this] { addEntry(m_addExt, m_extensions); });
    connect(addKw1, &QPushButton::clicked, this, [this] { addEntry(m_addKw1, m_kw1); });
    connect(addKw2, &QPushButton::clicked, this, [this] { addEntry(m_addKw2, m_kw2); });
    connect(m_addExt, &QLineEdit::returnPressed, addExt, &QPushButton::click);
    connect(m_addKw1, &QLineEdit::returnPressed, addKw1, &QPushButton::click);
    connect(m_addKw2, &QLineEdit::returnPressed, addKw2, &QPushButton::click);
    connect(removeExt, &QPushButton::clicked, this, [this] { removeSelected(m_extensions); });
    connect(removeKw1, &QPushButton::clicked, this, [this] { removeSelected(m_kw1); });
    connect(removeKw2, &QPushButton::clicked, this, [this] { removeSelected(m_kw2); });
    const QString allKeywords = QStringLiteral("Are you sure you want to remove all the keywords?");
    connect(clearExt, &QPushButton::clicked, this,
            [this] { clearList(m_extensions, QStringLiteral("Are you sure you want to remove all the extensions?")); });
    connect(clearKw1, &QPushButton::clicked, this, [this, allKeywords] { clearList(m_kw1, allKeywords); });
    connect(clearKw2, &QPushButton::clicked, this, [this, allKeywords] { clearList(m_kw2, allKeywords); });
    connect(toFunctions, &QPushButton::clicked, this, [this] { moveSelected(m_kw1, m_kw2); });
    connect(toKeywords, &QPushButton::clicked, this, [this] { moveSelected(m_kw2, m_kw1); });
    connect(m_kw2, &QListWidget::itemSelectionChanged, this, &frmKeyWordEditor::functionSelected);
    connect(m_helpText, &QLineEdit::textEdited, this, [this](const QString &text) {
        QListWidgetItem *item = m_kw2->currentItem();
        if (!item)
            return;
        KeywordDefinition d;
        d.help = m_help;
        d.setHelp(item->text(), text);
        m_help = d.help;
        changed();
    });
    connect(browse, &QPushButton::clicked, this, &frmKeyWordEditor::browseCompiler);
    for (QLineEdit *edit : {m_name, m_description, m_compiler, m_lineComment, m_lineCommentText, m_blockStart, m_blockEnd, m_stringChar})
        connect(edit, &QLineEdit::textChanged, this, &frmKeyWordEditor::changed);
    for (QComboBox *box : {m_caseSens, m_wholeWord, m_isMarkup})
        connect(box, &QComboBox::currentIndexChanged, this, &frmKeyWordEditor::changed);
    for (QObject *watched : std::initializer_list<QObject *>{m_addExt, m_addKw1, m_addKw2, m_name, m_helpText,
                                                             m_extensions, m_kw1, m_kw2})
        watched->installEventFilter(this);

    New();
    if (!definitionPath.isEmpty())
        readDefinition(definitionPath);
    resize(820, 560);
}

QStringList frmKeyWordEditor::entries(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

KeywordDefinition frmKeyWordEditor::definition() const
{
    KeywordDefinition d;
    d.name = m_name->text();
    d.description = m_description->text();
    d.compiler = m_compiler->text();
    d.lineComment = m_lineComment->text();
    d.lineCommentText = m_lineCommentText->text();
    d.blockCommentStart = m_blockStart->text();
    d.blockCommentEnd = m_blockEnd->text();
    d.stringChar = m_stringChar->text();
    d.caseSensitive = choiceIsTrue(m_caseSens);
    d.wholeWord = choiceIsTrue(m_wholeWord);
    d.markup = choiceIsTrue(m_isMarkup);
    d.extensions = entries(m_extensions);
    d.keywords = entries(m_kw1);
    d.functions = entries(m_kw2);
    d.help = m_help;
    return d;
}

void frmKeyWordEditor::showDefinition(const KeywordDefinition &d)
{
    m_loading = true;
    m_name->setText(d.name);
    m_description->setText(d.description);
    m_compiler->setText(d.compiler);
    m_lineComment->setText(d.lineComment);
    m_lineCommentText->setText(d.lineCommentText);
    m_blockStart->setText(d.blockCommentStart);
    m_blockEnd->setText(d.blockCommentEnd);
    // The field holds one character; a longer hand-written value keeps its first.
    m_stringChar->setText(d.stringChar.left(1));
    setChoice(m_caseSens, d.caseSensitive);
    setChoice(m_wholeWord, d.wholeWord);
    setChoice(m_isMarkup, d.markup);
    m_extensions->clear();
    m_extensions->addItems(d.extensions);
    m_kw1->clear();
    m_kw1->addItems(d.keywords);
    m_kw2->clear();
    m_kw2->addItems(d.functions);
    m_help = d.help;
    m_helpText->clear();
    m_helpText->setEnabled(false);
    m_helpFrame->setTitle(QStringLiteral("Function Help Text"));
    updateCounts();
    m_loading = false;
}

void frmKeyWordEditor::changed()
{
    if (!m_loading)
        m_saved = false;
}

void frmKeyWordEditor::updateCounts()
{
    m_kw1Count->setText(QStringLiteral("(%1)").arg(m_kw1->count()));
    m_kw2Count->setText(QStringLiteral("(%1)").arg(m_kw2->count()));
}

void frmKeyWordEditor::New()
{
    showDefinition(KeywordDefinition());
    m_fileName.clear();
    m_saved = true;
}

bool frmKeyWordEditor::readDefinition(const QString &path)
{
    const std::optional<KeywordDefinition> d = KeywordDefinition::read(path);
    if (!d) {
        askUser(this, QStringLiteral("Could not read %1").arg(path), QStringLiteral("Orvane"), QMessageBox::Ok,
                QMessageBox::Warning);
        return false;
    }
    showDefinition(*d);
    m_fileName = path;
    m_saved = true;
    return true;
}

void frmKeyWordEditor::Open()
{
    if (!m_saved
        && askUser(this, QStringLiteral("Save Changes?"), QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Question)
               == QMessageBox::Yes
        && !Save())
        return;
    const QStringList files = Prompter::instance().openFiles(this, QStringLiteral("Open"), kFilter, m_keywordsFolder, false);
    if (!files.isEmpty())
        readDefinition(files.first());
}

bool frmKeyWordEditor::Save()
{
    return m_fileName.isEmpty() ? SaveAs() : writeTo(m_fileName);
}

bool frmKeyWordEditor::SaveAs()
{
    QDir().mkpath(m_keywordsFolder);
    QString path = Prompter::instance().saveFile(this, QStringLiteral("Save As"), kFilter, m_keywordsFolder,
                                                 m_name->text(), nullptr);
    if (path.isEmpty())
        return false;
    // Only files ending in ".kw" are definitions the program finds.
    if (!path.endsWith(QLatin1String(".kw")))
        path += QStringLiteral(".kw");
    path = KeywordDefinition::normalisedPath(path);
    if (!writeTo(path))
        return false;
    m_fileName = path;
    return true;
}

bool frmKeyWordEditor::writeTo(const QString &path)
{
    if (m_name->text().trimmed().isEmpty()) {
        askUser(this, QStringLiteral("Name is required!"), QStringLiteral("Allert"), QMessageBox::Ok,
                QMessageBox::Information);
        m_name->setFocus();
        return false;
    }
    if (const std::optional<QString> error = definition().write(path)) {
        askUser(this, QStringLiteral("The definition could not be saved to %1:\n%2").arg(path, *error),
                QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
    m_saved = true;
    return true;
}

void frmKeyWordEditor::done(int result)
{
    if (!m_saved) {
        const QMessageBox::StandardButton answer =
            askUser(this, QStringLiteral("Save Changes?"), QStringLiteral("Confirm"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question);
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Yes && !Save()))
            return;
    }
    QDialog::done(result);
}

void frmKeyWordEditor::addEntry(QLineEdit *box, QListWidget *list)
{
    QString text = box->text();
    text.remove(QLatin1Char(' '));
    if (text.isEmpty())
        return;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return;
    }
    list->addItem(text);
    list->clearSelection();
    list->setCurrentRow(list->count() - 1);
    box->clear();
    updateCounts();
    changed();
}

void frmKeyWordEditor::removeSelected(QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    for (QListWidgetItem *item : selected) {
        if (list == m_kw2) {
            KeywordDefinition d;
            d.help = m_help;
            d.removeHelp(item->text());
            m_help = d.help;
        }
        delete list->takeItem(list->row(item));
    }
    updateCounts();
    changed();
}

void frmKeyWordEditor::clearList(QListWidget *list, const QString &question)
{
    if (askUser(this, question, QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    list->clear();
    if (list == m_kw2)
        m_help.clear();
    updateCounts();
    changed();
}

void frmKeyWordEditor::moveSelected(QListWidget *from, QListWidget *to)
{
    const QList<QListWidgetItem *> selected = from->selectedItems();
    if (selected.isEmpty())
        return;
    const QStringList present = entries(to);
    for (QListWidgetItem *item : selected) {
        if (!present.contains(item->text(), Qt::CaseInsensitive))
            to->addItem(item->text());
        delete from->takeItem(from->row(item));
    }
    updateCounts();
    changed();
}

void frmKeyWordEditor::functionSelected()
{
    QListWidgetItem *item = m_kw2->currentItem();
    if (!item || !item->isSelected()) {
        m_helpFrame->setTitle(QStringLiteral("Function Help Text"));
        m_helpText->clear();
        m_helpText->setEnabled(false);
        return;
    }
    KeywordDefinition d;
    d.help = m_help;
    m_helpFrame->setTitle(QStringLiteral("Function Help Text (") + item->text() + QLatin1Char(')'));
    m_helpText->setEnabled(true);
    m_helpText->setText(d.helpFor(item->text()));
}

void frmKeyWordEditor::browseCompiler()
{
    const QStringList files = Prompter::instance().openFiles(this, QStringLiteral("Select your compiler"),
                                                             QStringLiteral("Compilers (*)"), QString(), false);
    if (!files.isEmpty())
        m_compiler->setText(files.first());
}

bool frmKeyWordEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
    } else if (event->type() == QEvent::FocusOut && watched == m_name && m_name->text().trimmed().isEmpty()
               && isVisible() && static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason
               && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        // After the focus change has finished, so the box can take the focus back.
        QTimer::singleShot(0, this, [this] {
            if (!m_name->text().trimmed().isEmpty() || !isVisible())
                return;
            askUser(this, QStringLiteral("Name is required!"), QStringLiteral("Allert"), QMessageBox::Ok,
                    QMessageBox::Information);
            m_name->setFocus();
        });
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        if (auto *listWidget = qobject_cast<QListWidget *>(watched)) {
            removeSelected(listWidget);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
