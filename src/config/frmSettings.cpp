#include "frmSettings.h"

#include "FileAssociations.h"
#include "FileTypesPage.h"
#include "FontColorPage.h"
#include "NumberField.h"
#include "OptionsHost.h"
#include "PageTabList.h"
#include "Prompter.h"
#include "TemplatesPage.h"

#include "NamedWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {

// A page that asks for its whole size but scrolls on a screen too small for it.
class PageScroll : public QScrollArea {
public:
    PageScroll(QGroupBox *page, QWidget *parent)
        : QScrollArea(parent)
    {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
        setWidget(page);
        // A screen reader names the page's scroll area after the page.
        setAccessibleName(page->title().isEmpty() ? page->objectName() : page->title());
        // Tab goes to the page's controls, not to the area around them.
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override
    {
        return widget()->sizeHint() + QSize(2 * frameWidth(), 2 * frameWidth());
    }
};

using NamedWidgets::checkBox;
using NamedWidgets::button;
using NamedWidgets::lineEdit;

QComboBox *tagList(const char *name, const QStringList &entries, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(entries);
    return box;
}

int tagIndex(qint16 value)
{
    return value == 1 ? 0 : 1;
}

} // namespace

frmSettings::frmSettings(OptionsHost &host, QWidget *parent)
    : QDialog(parent)
    , m_host(host)
    , m_associations(std::make_unique<FileAssociations>(host.folders().readablePath(QStringLiteral("help/OrvaneDoc.ico")),
                                                         QCoreApplication::applicationFilePath()))
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    m_state.edited = host.settings();

    auto *outer = new QVBoxLayout(this);
    m_tabs = new PageTabList(this, [this](int index) { showPage(index + 1); });
    const std::pair<const char *, const char *> buttons[] = {
        {"cmdGeneral", "&General"},         {"cmdEditor", "&Editor"}, {"cmdColorFonts", "&Colors && Fonts"},
        {"cmdFileTypes", "Files and &Keywords"}, {"cmdHTML", "&HTML Settings"}, {"cmdTemplates", "&Templates"}};
    for (const auto &[name, caption] : buttons) {
        m_pageButtons << m_tabs->addTab(name, QString::fromUtf8(caption));
    }
    outer->addWidget(m_tabs);

    m_fontColor = new FontColorPage(host.folders(), this);
    m_fileTypes = new FileTypesPage(m_associations.get(), host.folders(), this);
    m_templates = new TemplatesPage(host.folders(), this);
    m_frames = {buildGeneral(), buildEditor(), m_fontColor, m_fileTypes, buildHtml(), m_templates};
    m_stack = new QStackedLayout;
    for (QGroupBox *frame : m_frames)
        m_stack->addWidget(new PageScroll(frame, this));
    outer->addLayout(m_stack, 1);

    auto *row = new QHBoxLayout;
    QPushButton *defaults = button("cmdDefault", QStringLiteral("&Defaults..."), this);
    m_apply = button("cmdApply", QStringLiteral("&Apply"), this);
    m_ok = button("cmdOK", QStringLiteral("&OK"), this);
    QPushButton *cancel = button("cmdClose", QStringLiteral("Cancel"), this);
    row->addWidget(defaults);
    row->addStretch();
    row->addWidget(m_apply);
    row->addWidget(m_ok);
    row->addWidget(cancel);
    outer->addLayout(row);
    connect(defaults, &QPushButton::clicked, this, &frmSettings::Defaults);
    connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(m_ok, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_fontColor, &FontColorPage::changed, this, &frmSettings::enable);
    connect(m_fontColor, &FontColorPage::formatChanged, this, [this] { m_state.formatChanged = true; });
    connect(m_fileTypes, &FileTypesPage::changed, this, &frmSettings::enable);
    connect(m_templates, &TemplatesPage::changed, this, &frmSettings::enable);
    connect(m_fileTypes->cmdKeywordEditor, &QPushButton::clicked, this, [this] { m_host.openKeywordEditor(); });
    // The two highlighting boxes are one setting.
    connect(m_fontColor->chkEnableSyntaxHighlight, &QCheckBox::toggled, m_fileTypes->chkEnableSyntaxHighlight2,
            &QCheckBox::setChecked);
    connect(m_fileTypes->chkEnableSyntaxHighlight2, &QCheckBox::toggled, m_fontColor->chkEnableSyntaxHighlight,
            &QCheckBox::setChecked);
    for (QCheckBox *box : {m_fileTypes->chkShowArguments, m_fileTypes->chkForceCase})
        connect(box, &QCheckBox::toggled, this, &frmSettings::enable);

    m_templates->InitTemps(host.templateSource());
    m_ignore->setPlainText(OptionsApply::readIgnoreFile(host.folders()));
    m_fileTypes->fillAssociations();
    if (host.settings().AlwaysOnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    load(m_state.edited);
    showPage(host.settings().LastOptionViewed);
    m_apply->setEnabled(false);
    m_ok->setEnabled(false);
}

frmSettings::~frmSettings() = default;

QGroupBox *frmSettings::buildGeneral()
{
    auto *frame = new QGroupBox(QStringLiteral("General"), this);
    frame->setObjectName(QStringLiteral("fraGeneral"));
    auto *grid = new QGridLayout(frame);
    m_showLineNumber = checkBox("chkShowLineNumber", QStringLiteral("Show &Linenumbers"), frame);
    m_alwaysOnTop = checkBox("chkAlwaysOnTop", QStringLiteral("Always o&n Top"), frame);
    m_highlightLine = checkBox("chkHighlightLine", QStringLiteral("&Mark Current Line with a Frame"), frame);
    m_showTip = checkBox("chkShowTip", QStringLiteral("&Show Tips at Startup"), frame);
    m_newWindow = checkBox("chkOpenFilesInNewWindow", QStringLiteral("Open F&iles in New Window"), frame);
    m_reload = checkBox("chkReloadFileAtStartup", QStringLiteral("&Reload Last Opened File at Startup"), frame);
    m_blink = checkBox("chkBlinkAlert", QStringLiteral("&Blink Notifications"), frame);
    m_disableDetection = checkBox("chkDisableFileChangeDetection", QStringLiteral("Disable File Change Detection"), frame);
    m_autoUpdate = checkBox("chkAutoUpdateChangedFiles", QStringLiteral("Automaticly Update Changed Files"), frame);
    m_showToolbar = checkBox("chkShowToolbar", QStringLiteral("Sho&w Toolbar"), frame);
    const QList<QCheckBox *> boxes = {m_showLineNumber, m_alwaysOnTop, m_highlightLine, m_showTip, m_newWindow,
                                      m_reload,         m_blink,       m_disableDetection, m_autoUpdate, m_showToolbar};
    int row = 0;
    for (QCheckBox *box : boxes) {
        grid->addWidget(box, row / 2, row % 2, 1, 1);
        ++row;
    }
    row = (row + 1) / 2;

    auto *trans = new QHBoxLayout;
    m_transparent = checkBox("chkTransparent", QStringLiteral("Make Orvane Transparent"), frame);
    m_trans = new NumberField(QStringLiteral("txtTrans"), FieldRule::lucidity(), frame);
    m_trans->setMaximumWidth(50);
    m_trans->setAccessibleName(QStringLiteral("Lucidity in percent"));
    trans->addWidget(m_transparent);
    trans->addWidget(m_trans);
    trans->addWidget(new QLabel(QStringLiteral("% lucidity"), frame));
    trans->addWidget(new QLabel(QStringLiteral("(at your own risk!)"), frame));
    trans->addStretch();
    grid->addLayout(trans, row++, 0, 1, 2);

    auto *large = new QHBoxLayout;
    m_promptLarge = checkBox("chkPromptWarningLargeFile", QStringLiteral("Prompt me to highlight file if size exceeds :"), frame);
    m_sizeLimit = new NumberField(QStringLiteral("txtColorFileSizeLimit"),
                                  FieldRule::fileSizeLimit(m_host.settings().ColorFileSizeLimit), frame);
    m_sizeLimit->setMaximumWidth(90);
    m_sizeLimit->setAccessibleName(QStringLiteral("Highlighting prompt size in bytes"));
    large->addWidget(m_promptLarge);
    large->addWidget(m_sizeLimit);
    large->addWidget(new QLabel(QStringLiteral("bytes"), frame));
    large->addStretch();
    grid->addLayout(large, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("(Improves performance on large files if disabled)"), frame), row++, 0, 1, 2);

    auto *folder = new QHBoxLayout;
    m_useFolder = checkBox("chkUseThisFolder", QStringLiteral("Use This Folder on Open/Save:"), frame);
    m_initialFolder = lineEdit("txtInitialFolder", frame);
    m_browse = button("cmdBrowse", QStringLiteral("..."), frame);
    m_initialFolder->setAccessibleName(QStringLiteral("Folder on Open/Save"));
    m_browse->setAccessibleName(QStringLiteral("Choose folder"));
    folder->addWidget(m_useFolder);
    folder->addWidget(m_initialFolder, 1);
    folder->addWidget(m_browse);
    grid->addLayout(folder, row++, 0, 1, 2);

    auto *third = new QHBoxLayout;
    m_thirdParty = checkBox("chkThirdPartyEditor", QStringLiteral("Open files that exceeds"), frame);
    m_thirdPartySize = lineEdit("txtThirdPartySize", frame);
    m_thirdPartySize->setMaximumWidth(90);
    m_thirdPartyPath = lineEdit("txtThirdPartyEditorPath", frame);
    m_browseThirdParty = button("cmdBrowseThirdPartyEditor", QStringLiteral("..."), frame);
    m_thirdPartySize->setAccessibleName(QStringLiteral("Third-party editor size in bytes"));
    m_thirdPartyPath->setAccessibleName(QStringLiteral("Third-party editor"));
    m_browseThirdParty->setAccessibleName(QStringLiteral("Choose third-party editor"));
    third->addWidget(m_thirdParty);
    third->addWidget(m_thirdPartySize);
    third->addWidget(new QLabel(QStringLiteral("bytes with this editor :"), frame));
    third->addWidget(m_thirdPartyPath, 1);
    third->addWidget(m_browseThirdParty);
    grid->addLayout(third, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);

    for (QCheckBox *box : boxes)
        connect(box, &QCheckBox::toggled, this, &frmSettings::enable);
    for (QCheckBox *box : {m_transparent, m_promptLarge, m_useFolder, m_thirdParty, m_disableDetection})
        connect(box, &QCheckBox::toggled, this, [this] {
            refreshEnabled();
            enable();
        });
    for (QLineEdit *edit : {static_cast<QLineEdit *>(m_trans), static_cast<QLineEdit *>(m_sizeLimit), m_initialFolder,
                            m_thirdPartySize, m_thirdPartyPath})
        connect(edit, &QLineEdit::textChanged, this, &frmSettings::enable);
    connect(m_browse, &QPushButton::clicked, this, &frmSettings::pickFolder);
    connect(m_browseThirdParty, &QPushButton::clicked, this, &frmSettings::pickThirdPartyEditor);
    return frame;
}

QGroupBox *frmSettings::buildEditor()
{
    auto *frame = new QGroupBox(QStringLiteral("Editor"), this);
    frame->setObjectName(QStringLiteral("fraEditor"));
    auto *grid = new QGridLayout(frame);
    m_autoIndent = checkBox("chkAutoIndent", QStringLiteral("Auto &Indent"), frame);
    m_homeKey = checkBox("chkHomeKey", QStringLiteral("Home Ke&y Always Goto Column 1"), frame);
    m_insertPairs = checkBox("chkInsertPairs", QStringLiteral("Insert &Pairs '}'"), frame);
    m_htmlCompletion = checkBox("chkHTML", QStringLiteral("Auto Complete HTML/&XML Tags"), frame);
    m_spaces = checkBox("chkUseSpacesInsteadOfTabs", QStringLiteral("Use &Spaces in place of Tabs"), frame);
    m_smartIndent = checkBox("chkAutoBracketIndent", QStringLiteral("&Use Smart Auto Indent on '{'"), frame);
    m_richCopy = checkBox("chkCopyAsRichText", QStringLiteral("Copy/Cut Text to Clipboard as &Rich Text"), frame);
    m_bracket = checkBox("chkAutoUnderlineBracket", QStringLiteral("Auto &Bracket Matching"), frame);
    int row = 0;
    for (QCheckBox *box : {m_autoIndent, m_homeKey, m_insertPairs, m_htmlCompletion}) {
        grid->addWidget(box, row++, 0, 1, 2);
        connect(box, &QCheckBox::toggled, this, &frmSettings::enable);
    }
    auto *tabLabel = new QLabel(QStringLiteral("Tab Stop Value :"), frame);
    grid->addWidget(tabLabel, row, 0);
    m_tabWidth = new NumberField(QStringLiteral("txtTabWidth"), FieldRule::tabWidth(), frame);
    tabLabel->setBuddy(m_tabWidth);
    m_tabWidth->setMaximumWidth(50);
    connect(m_tabWidth, &QLineEdit::textChanged, this, &frmSettings::enable);
    grid->addWidget(m_tabWidth, row++, 1, Qt::AlignLeft);
    for (QCheckBox *box : {m_spaces, m_smartIndent, m_richCopy, m_bracket}) {
        grid->addWidget(box, row++, 0, 1, 2);
        connect(box, &QCheckBox::toggled, this, &frmSettings::enable);
    }
    QPushButton *editor = button("cmdKeywordEditor", QStringLiteral("Start Keyword Editor..."), frame);
    connect(editor, &QPushButton::clicked, this, [this] { m_host.openKeywordEditor(); });
    grid->addWidget(editor, row++, 0, Qt::AlignLeft);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return frame;
}

QGroupBox *frmSettings::buildHtml()
{
    auto *frame = new QGroupBox(QStringLiteral("HTML Settings"), this);
    frame->setObjectName(QStringLiteral("fraHTML"));
    auto *grid = new QGridLayout(frame);
    m_closeEmpty = checkBox("chkCloseEmptyTag", QStringLiteral("Close Empty Tags (<br /> <img />)"), frame);
    grid->addWidget(m_closeEmpty, 0, 0, 1, 2);
    m_boldTag = tagList("cboBold", {QStringLiteral("<b></b>"), QStringLiteral("<stong></strong>")}, frame);
    m_italicTag = tagList("cboItalic", {QStringLiteral("<i></i>"), QStringLiteral("<em></em>")}, frame);
    m_centerTag = tagList("cboCenter", {QStringLiteral("<center></center>"), QStringLiteral("<div align=\"center\"></div>")},
                          frame);
    const std::pair<const char *, QComboBox *> rows[] = {
        {"Bold Tag :", m_boldTag}, {"Italic Tag :", m_italicTag}, {"Center Tag :", m_centerTag}};
    int row = 1;
    for (const auto &[caption, box] : rows) {
        auto *label = new QLabel(QLatin1String(caption), frame);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row++, 1);
        connect(box, &QComboBox::currentIndexChanged, this, &frmSettings::enable);
    }
    auto *ignoreLabel = new QLabel(QStringLiteral("Ignore Auto-Close-Tag- Completion on theese Elements :"), frame);
    grid->addWidget(ignoreLabel, row++, 0, 1, 2);
    m_ignore = new QPlainTextEdit(frame);
    ignoreLabel->setBuddy(m_ignore);
    m_ignore->setObjectName(QStringLiteral("txtIgnore"));
    grid->addWidget(m_ignore, row, 0, 1, 2);
    grid->setRowStretch(row, 1);
    connect(m_closeEmpty, &QCheckBox::toggled, this, &frmSettings::enable);
    connect(m_ignore, &QPlainTextEdit::textChanged, this, &frmSettings::enable);
    return frame;
}

void frmSettings::load(const Settings &s)
{
    m_loading = true;
    for (QGroupBox *frame : std::as_const(m_frames)) {
        if (frame != m_fontColor)
            OptionsApply::loadControls(*frame, s);
    }
    m_thirdPartySize->setText(QString::number(s.ThirdPartyEditorSize));
    m_boldTag->setCurrentIndex(tagIndex(s.HTMLBoldTag));
    m_italicTag->setCurrentIndex(tagIndex(s.HTMLItalicTag));
    m_centerTag->setCurrentIndex(tagIndex(s.HTMLCenterTag));
    // Also ticks the second highlighting box, which mirrors it.
    m_fontColor->load(s);
    refreshEnabled();
    m_loading = false;
}

Settings frmSettings::controlsSettings() const
{
    Settings s = m_state.edited;
    for (QGroupBox *frame : m_frames) {
        if (frame != m_fontColor)
            OptionsApply::storeControls(*frame, s);
    }
    bool ok = false;
    const qint32 size = QLocale::c().toInt(m_thirdPartySize->text().trimmed(), &ok);
    if (ok && size >= 0)
        s.ThirdPartyEditorSize = size;
    s.HTMLBoldTag = qint16(m_boldTag->currentIndex() + 1);
    s.HTMLItalicTag = qint16(m_italicTag->currentIndex() + 1);
    s.HTMLCenterTag = qint16(m_centerTag->currentIndex() + 1);
    m_fontColor->store(s);
    return s;
}

void frmSettings::refreshEnabled()
{
    m_autoUpdate->setEnabled(!m_disableDetection->isChecked());
    m_sizeLimit->setEnabled(m_promptLarge->isChecked());
    for (QWidget *w : std::initializer_list<QWidget *>{m_thirdPartySize, m_thirdPartyPath, m_browseThirdParty})
        w->setEnabled(m_thirdParty->isChecked());
    m_initialFolder->setEnabled(m_useFolder->isChecked());
    m_browse->setEnabled(m_useFolder->isChecked());
    m_trans->setEnabled(m_transparent->isChecked());
}

void frmSettings::enable()
{
    if (m_loading)
        return;
    m_apply->setEnabled(true);
    m_ok->setEnabled(true);
}

void frmSettings::showPage(int page)
{
    if (page < 1 || page > PageCount)
        page = 1;
    m_page = page;
    for (int i = 0; i < PageCount; ++i) {
        const bool current = i + 1 == page;
        QPalette p = m_pageButtons.at(i)->palette();
        p.setColor(QPalette::Button,
                   OleColors::toQColor(current ? OleColors::ButtonShadow : OleColors::ButtonFace, palette()));
        m_pageButtons.at(i)->setPalette(p);
    }
    m_tabs->setCurrent(page - 1);
    m_stack->setCurrentIndex(page - 1);
    m_host.settings().LastOptionViewed = qint16(page);
}

void frmSettings::Defaults()
{
    const Settings defaults = OptionsApply::defaults(controlsSettings());
    load(defaults);
    enable();
}

QStringList frmSettings::Apply()
{
    m_state.edited = controlsSettings();
    m_state.ignoreText = m_ignore->toPlainText();
    m_state.templatesChanged = m_templates->templatesChanged();
    m_state.templates = m_templates->templates();
    QStringList associationErrors;
    QStringList errors =
        OptionsApply::apply(m_host, m_state, [this, &associationErrors] { associationErrors = m_fileTypes->applyAssociations(); });
    if (!m_state.templatesChanged)
        m_templates->clearChanged();
    errors << associationErrors;
    m_apply->setEnabled(false);
    if (!errors.isEmpty())
        askUser(this, QStringLiteral("Some settings could not be saved:\n%1").arg(errors.join(QLatin1Char('\n'))),
                QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Warning);
    return errors;
}

void frmSettings::done(int result)
{
    QDialog::done(result);
    m_host.optionsClosed();
}

void frmSettings::pickFolder()
{
    const QString folder = Prompter::instance().pickFolder(this, QStringLiteral("Select a Folder"), m_initialFolder->text());
    if (!folder.isEmpty())
        m_initialFolder->setText(folder);
}

void frmSettings::pickThirdPartyEditor()
{
    const QStringList files = Prompter::instance().openFiles(
        this, QStringLiteral("Choose a third party editor to open large files"),
        QStringLiteral("Programs (*)"), QString(), false);
    if (!files.isEmpty())
        m_thirdPartyPath->setText(files.first());
}
