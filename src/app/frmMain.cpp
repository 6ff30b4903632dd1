#include "frmMain.h"

#include "FileIO.h"
#include "DocumentCommands.h"
#include "DocumentHost.h"
#include "DocumentReader.h"
#include "DocumentSaver.h"
#include "ChangeDetector.h"
#include "CommandTable.h"
#include "EditCommands.h"
#include "UndoHistory.h"
#include "FileLinks.h"
#include "FlatButton.h"
#include "Highlighter.h"
#include "LiveHighlighter.h"
#include "modKeyWords.h"
#include "KeyboardState.h"
#include "LineNumberGutter.h"
#include "Launcher.h"
#include "modStartUp.h"
#include "modTransparent.h"
#include "Prompter.h"
#include "Encoders.h"
#include "LineSort.h"
#include "ScintillaSurface.h"
#include "TextStatistics.h"
#include "TextToHtml.h"
#include "TextTransforms.h"
#include "SearchHost.h"
#include "SearchWindows.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMimeData>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

const QString kUntitled = QStringLiteral("Untitled");

QString joinWithCrLf(const QStringList &items)
{
    return items.join(QStringLiteral("\r\n"));
}

// What the search windows borrow from the main window.
class MainSearchHost : public SearchHost {
public:
    explicit MainSearchHost(frmMain &window) : m_window(window) {}
    EditorSurface &surface() override { return m_window.surface(); }
    Settings &settings() override { return m_window.settings; }
    QString appFolder() const override { return m_window.appFolder(); }
    void AddHistory() override { m_window.AddHistory(); }
    bool highlightingActive() const override
    {
        return m_window.settings.enableSyntaxHighlightning && m_window.language.languageActive
            && !m_window.docFlags.highlightingDeclined;
    }
    void renderRange(int start, int length) override { m_window.highlighter().renderRange(start, length); }
    void renderDocument() override { m_window.highlighter().renderDocument(); }
    void showHint(const QString &text) override { m_window.showHint(text); }
    bool isMarkupLanguage() const override { return m_window.language.languageActive && m_window.language.markup; }
    bool isBinaryMode() const override { return m_window.isBinary; }
    void refreshStatusBar() override { m_window.updateXY(1); }
    void redrawGutter() override { m_window.PicLines->DrawLineNumbers(); }
    QWidget *ownerWindow() override { return &m_window; }

private:
    frmMain &m_window;
};

} // namespace

// What the document commands borrow from the main window.
class frmMain::DocumentHostImpl : public DocumentHost {
public:
    explicit DocumentHostImpl(frmMain &window) : m_window(window) {}
    EditorSurface &surface() override { return m_window.surface(); }
    Settings &settings() override { return m_window.settings; }
    OpenFilesRegister &openFiles() override { return m_window.openFiles; }
    QWidget *ownerWindow() override { return &m_window; }
    void setToolTipText(const QString &text) override { m_window.setToolTipText(text); }
    void showHint(const QString &text) override { m_window.showHint(text); }
    void showModes(const QString &lineEnding, const QString &encoding) override
    {
        m_window.lblOS->setText(lineEnding);
        m_window.lblUC->setText(encoding);
    }
    void updateTitle() override { m_window.updateTitle(); }
    void refreshView() override
    {
        m_window.fitGutter();
        m_window.PicLines->DrawLineNumbers();
        m_window.updateXY();
    }
    std::optional<QString> addRecentFile(const QString &path) override
    {
        auto error = m_window.recentFiles.AddRecentFile(path);
        m_window.refreshRecentMenu();
        return error;
    }
    void setLoading(bool loading) override { m_window.m_changes->setLoading(loading); }
    void resetHistory(qint64) override { m_window.resetHistory(); }
    void addHistory() override { m_window.AddHistory(); }
    void documentLoaded(const QString &path) override
    {
        m_window.m_changes->documentLoaded(path);
        m_window.docFlags.clear();
        m_window.LoadLanguage(path, true);
    }
    void documentSaved(const QString &path, bool extensionChanged) override
    {
        m_window.m_history->setFileSize(m_window.lngFileSize);
        m_window.m_changes->documentSaved(path);
        if (extensionChanged)
            m_window.LoadLanguage(path, true);
    }
    void documentClosed() override
    {
        m_window.toolTipCaption.clear();
        m_window.language.resetToPlainText();
        m_window.docFlags.clear();
    }
    bool isJavaDocument() const override { return m_window.docFlags.javaFlag; }
    QString languageExtension() const override
    {
        if (!m_window.language.languageActive)
            return {};
        for (const QString &line : FileIO::readLines(m_window.language.definitionPath)) {
            if (line.startsWith(QLatin1String("Extensions:")))
                return line.mid(11).split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
        }
        return {};
    }

private:
    frmMain &m_window;
};

namespace {

double twipsPerPixel(const QWidget *widget)
{
    const double dpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
    return 1440.0 / dpi;
}

} // namespace

frmMain::frmMain(const QString &appFolder, QWidget *parent)
    : QMainWindow(parent)
    , recentFiles(appFolder)
    , openFiles(appFolder)
    , m_appFolder(appFolder)
    , m_store(appFolder)
    , m_surface(std::make_unique<ScintillaSurface>(this))
{
    HighlightHost host;
    host.hintCaption = [this] { return lblToolTip->text(); };
    host.setHintCaption = [this](const QString &text) { lblToolTip->setText(text); };
    host.enableToolTipTimer = [this] { tmrToolTip->start(); };
    host.yield = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    m_highlighter = std::make_unique<Highlighter>(*m_surface, settings, language, docFlags, host);
    m_live = std::make_unique<LiveHighlighter>(*m_highlighter, settings, language);
    m_history = std::make_unique<UndoHistory>(*m_surface);
    m_searchHost = std::make_unique<MainSearchHost>(*this);
    m_documentHost = std::make_unique<DocumentHostImpl>(*this);
    m_saver = std::make_unique<DocumentSaver>(*m_documentHost, *this);
    m_reader = std::make_unique<DocumentReader>(*m_documentHost, *this, *m_saver);
    m_documents = std::make_unique<DocumentCommands>(*m_documentHost, *this, *m_reader, *m_saver);
    m_search = new SearchWindows(*m_searchHost, this);
    m_changes = std::make_unique<ChangeDetector>(appFolder + QStringLiteral("/settings.ini"));
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (m_changes->applicationActive(state == Qt::ApplicationActive))
            runFocusChecks();
    });
    setObjectName(QStringLiteral("frmMain"));
    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    PicLines = new LineNumberGutter(*m_surface, central);
    row->addWidget(PicLines);
    m_surface->view()->setParent(central);
    row->addWidget(m_surface->view(), 1);
    setCentralWidget(central);
    lineBox = new CurrentLineBox(*m_surface, m_surface->view()->viewport());
    m_surface->setEventSink(this);
    buildStatusBar();
    buildMenus();
    buildToolBar();
    PicLines->setBookmarkQuery([this](int row) { return m_search->isBookmarkedRow(row); });

    tmrToolTip = new QTimer(this);
    tmrToolTip->setObjectName(QStringLiteral("tmrToolTip"));
    tmrToolTip->setInterval(700);
    connect(tmrToolTip, &QTimer::timeout, this, &frmMain::toolTipTick);
    activate = new QTimer(this);
    activate->setObjectName(QStringLiteral("activate"));
    activate->setInterval(500);
    activate->setSingleShot(true);
    connect(activate, &QTimer::timeout, this, &frmMain::finishStartUp);
    lblOS->installEventFilter(this);
    lblUC->installEventFilter(this);

    LastModifiedSettings = m_store.settingsFileStamp();
    LoadMySettings2();
    LoadMySettings(false);
    applyPlacement();
    // The empty document is the saved state: closing it untouched asks nothing.
    m_saver->resetDocumentState(strfilename);
    updateXY();
}

frmMain::~frmMain()
{
    m_surface->setEventSink(nullptr);
}

EditorSurface &frmMain::surface()
{
    return *m_surface;
}

ScintillaView *frmMain::txtText() const
{
    return m_surface->view();
}

QAction *frmMain::wire(const char *name, const std::function<void()> &handler)
{
    QAction *action = CommandTable::findCommand(this, name);
    if (!action)
        return nullptr;
    connect(action, &QAction::triggered, this, [this, handler] {
        handler();
        surface().setFocus();
    });
    action->setEnabled(true);
    return action;
}

void frmMain::buildMenus()
{
    CommandTable::buildMenuBar(menuBar(), this);
    mnuFile = menuBar()->findChild<QMenu *>(QStringLiteral("mnuFile"));
    wire("mnuFileNew", [this] {
        if (!Launcher::startInstance())
            askUser(this, QStringLiteral("Couldn't start a new window."), QStringLiteral("Error"), QMessageBox::Ok,
                    QMessageBox::Critical);
    });
    mnuFileOpen = wire("mnuFileOpen", [this] { FileOpen(QString()); });
    wire("mnuFileSave", [this] { FileSave(); });
    wire("mnuFileSaveAs", [this] { FileSaveAs(); });
    wire("mnuFileRevertToSaved", [this] { RevertToSaved(); });
    wire("mnuFileSaveSelection", [this] { SaveSelection(); });
    wire("mnuFileExportRich", [this] { ExportRichText(); });
    wire("mnuFileDeleteFile", [this] { DeleteFile(); });
    wire("mnuFileClose", [this] { FileClose(true); });
    wire("mnuFileConvDOS2UNIX", [this] { ConvertDosToUnix(); });
    wire("mnuFileConvUNIX2DOS", [this] { ConvertUnixToDos(); });
    wire("mnuFileConvASCII2Unicode", [this] { ConvertAsciiToUnicode(); });
    wire("mnuFileConvUnicode2ASCII", [this] { ConvertUnicodeToAscii(); });
    wire("mnuFileConvToUTF8", [this] { ConvertToUtf8(); });
    mnuFileExit = wire("mnuFileExit", [this] { close(); });
    for (int n = 1; n <= RecentFiles::Count; ++n)
        mnuFileRecent << wire(qPrintable(QStringLiteral("mnuFile%1").arg(n)), [this, n] { FileOpen(recentFiles.entry(n)); });
    if (QAction *lines = wire("mnuFormatToggleLineNumbers", [this] { ToggleLineNumbers(); }))
        lines->setChecked(true);
    connect(mnuFile, &QMenu::aboutToShow, this, &frmMain::refreshFileMenu);

    wire("mnuEditUndo", [this] { Undo(); });
    wire("mnuEditRedo", [this] { Redo(); });
    wire("mnuEditCut", [this] { Cut(); });
    wire("mnuEditCopy", [this] { Copy(); });
    wire("mnuEditPaste", [this] { Paste(); });
    wire("mnuEditDelete", [this] { DeleteSelection(); });
    wire("mnuEditCutAppend", [this] { CopyAppend(true); });
    wire("mnuEditCopyAppend", [this] { CopyAppend(false); });
    wire("mnuEditCutAsRichText", [this] { CopyAsRichText(true); });
    wire("mnuEditCopyAsRichText", [this] { CopyAsRichText(false); });
    wire("mnuEditCopyColumn", [this] { CopyColumn(); });
    wire("mnuEditCopyFileName", [this] { QGuiApplication::clipboard()->setText(strfilename); });
    wire("mnuEditDeleteLine", [this] { DeleteLine(); });
    wire("mnuEditCrop", [this] { Crop(); });
    wire("mnuEditSelectWord", [this] { EditCommands::selectWord(surface()); });
    wire("mnuEditSelectLine", [this] { EditCommands::selectLine(surface()); });
    wire("mnuEditSelectAll", [this] { EditCommands::selectAll(surface()); });
    wire("mnuEditDateTime", [this] { InsertDateTime(); });
    wire("mnuToolsClearUndoRedo", [this] { ClearUndoRedo(); });
    if (QMenu *edit = menuBar()->findChild<QMenu *>(QStringLiteral("mnuEdit")))
        connect(edit, &QMenu::aboutToShow, this, &frmMain::refreshEditMenu);

    wire("mnuSearchFind", [this] { m_search->Find(); });
    wire("mnuSearchFindNext", [this] { m_search->FindNext(); });
    wire("mnuSearchFindPrev", [this] { m_search->FindPrevious(); });
    wire("mnuSearchReplace", [this] { m_search->Replace(); });
    wire("mnuSearchGotoLine", [this] { m_search->GotoLine(); });
    wire("mnuSearchLinesContaining", [this] { m_search->LinesContaining(); });
    wire("mnuSearchMatchBracket", [this] { m_search->MatchBracket(); });
    wire("mnuSearchToggleBookmark", [this] { m_search->ToggleBookmark(); });
    wire("mnuSearchNextBookmark", [this] { m_search->NextBookmark(); });
    wire("mnuSearchPreviousBookmark", [this] { m_search->PreviousBookmark(); });
    wire("mnuSearchViewAllBookmarks", [this] { m_search->ViewAllBookmarks(); });
    wire("mnuSearchClearAllBookmarks", [this] { m_search->ClearAllBookmarks(); });
    if (QMenu *searchMenu = menuBar()->findChild<QMenu *>(QStringLiteral("mnuSearch")))
        connect(searchMenu, &QMenu::aboutToShow, this, [this] {
            const std::pair<const char *, bool> items[] = {
                {"mnuSearchFindNext", m_search->canFindAgain()}, {"mnuSearchFindPrev", m_search->canFindAgain()},
                {"mnuSearchViewAllBookmarks", m_search->hasBookmarks()},
                {"mnuSearchClearAllBookmarks", m_search->hasBookmarks()},
                {"mnuSearchNextBookmark", m_search->hasBookmarks()},
                {"mnuSearchPreviousBookmark", m_search->hasBookmarks()}};
            for (const auto &[name, enabled] : items) {
                if (QAction *action = CommandTable::findCommand(this, name))
                    action->setEnabled(enabled);
            }
        });

    wire("mnuFormatToUpperCase", [this] { ChangeCase([](const QString &t) { return TextTransforms::ToUpperCase(t); }); });
    wire("mnuFormatToLowerCase", [this] { ChangeCase([](const QString &t) { return TextTransforms::ToLowerCase(t); }); });
    wire("mnuFormatCapitalize", [this] { ChangeCase([](const QString &t) { return TextTransforms::Capitalize(t); }); });
    wire("mnuFormatInvertCase", [this] { ChangeCase([](const QString &t) { return TextTransforms::InvertCase(t); }); });
    wire("mnuFormatAddIndent", [this] { ChangeIndent(true); });
    wire("mnuFormatRemoveIndent", [this] { ChangeIndent(false); });
    wire("mnuFormatTabsToSpaces", [this] {
        transformText(Scope::SelectionOrText, [this](const QString &t) { return TextTransforms::TabsToSpaces(t, settings.TabWidth); });
        RefreshHighlighting();
    });
    wire("mnuFormatSpacesToTabs", [this] {
        transformText(Scope::SelectionOrText, [this](const QString &t) { return TextTransforms::SpacesToTabs(t, settings.TabWidth); });
        RefreshHighlighting();
    });
    wire("mnuFormatTrimTrailngSpaces", [this] {
        transformText(Scope::SelectionOrText, [](const QString &t) { return TextTransforms::TrimTrailingBlanks(t); });
        RefreshHighlighting();
    });
    wire("mnuFormatWordWrap", [this] { ToggleWordWrap(); });
    wire("mnuToolsURLEncode", [this] {
        transformText(Scope::SelectionOrText, [](const QString &t) { return Encoders::URLEncode(t); });
    });
    wire("mnuToolsURLDecode", [this] {
        transformText(Scope::SelectionOrText, [this](const QString &t) { return Encoders::URLDecode(t, encoding); });
    });
    wire("mnuToolsBase64Encode", [this] {
        transformText(Scope::SelectionOrText, [this](const QString &t) { return Encoders::Base64Encode(t, encoding); });
        surface().setTabStops(settings.TabWidth * 4);
    });
    wire("mnuToolsBase64Decode", [this] {
        transformText(Scope::SelectionOrText, [this](const QString &t) { return Encoders::Base64Decode(t, encoding); });
        surface().setTabStops(settings.TabWidth * 4);
    });
    wire("mnuToolsl33t", [this] { transformText(Scope::WholeText, [](const QString &t) { return Encoders::ToL33t(t); }); });
    wire("mnuToolsPlain", [this] { transformText(Scope::WholeText, [](const QString &t) { return Encoders::FromL33t(t); }); });
    wire("mnuToolsSortLines", [this] { SortLines(true); });
    wire("mnuToolsSortLinesDec", [this] { SortLines(false); });
    wire("mnuToolsWordCount", [this] { WordCount(); });
    wire("mnuToolsConvertTextToHTML", [this] { ConvertTextToHTML(); });
    if (QMenu *format = menuBar()->findChild<QMenu *>(QStringLiteral("mnuFormat")))
        connect(format, &QMenu::aboutToShow, this, [this] {
            const bool selected = surface().selLength() > 0;
            for (const char *name : {"mnuFormatToUpperCase", "mnuFormatToLowerCase", "mnuFormatCapitalize", "mnuFormatInvertCase"})
                if (QAction *action = CommandTable::findCommand(this, name))
                    action->setEnabled(selected);
            for (const char *name : {"mnuFormatAddIndent", "mnuFormatRemoveIndent"})
                if (QAction *action = CommandTable::findCommand(this, name))
                    action->setEnabled(selectionHasInnerLineBreak());
        });

    wire("mnuToolsRefreshSyntax", [this] { RefreshHighlighting(); });
    wire("mnuToolsNoHighLight", [this] { NoHighlighting(); });
    wire("mnuSyntaxNoHighlight", [this] { NoHighlighting(); });
    if (QMenu *programming = menuBar()->findChild<QMenu *>(QStringLiteral("mnuProgramming")))
        connect(programming, &QMenu::aboutToShow, this, &frmMain::buildLanguageMenu);
}

QString frmMain::keywordsFolder() const
{
    return m_appFolder + QStringLiteral("/keywords");
}

bool frmMain::languageActive() const
{
    return language.languageActive;
}

void frmMain::LoadLanguage(const QString &fileName, bool renderNow)
{
    language = modKeyWords::loadLanguage(keywordsFolder(), fileName);
    if (!language.languageActive)
        return;
    toolTipCaption = modKeyWords::languageHint(language.languageName);
    showHint(toolTipCaption);
    docFlags.javaFlag = language.isJava();
    modKeyWords::RenderRequest request;
    request.highlightingEnabled = settings.enableSyntaxHighlightning;
    request.renderNow = renderNow;
    request.highlightingDeclined = docFlags.highlightingDeclined;
    request.promptWarningLargeFile = settings.PromptWarningLargeFile;
    request.textLength = surface().textLength();
    request.colorFileSizeLimit = settings.ColorFileSizeLimit;
    switch (modKeyWords::renderDecision(language, request)) {
    case modKeyWords::RenderDecision::None:
        return;
    case modKeyWords::RenderDecision::AskFirst:
        if (askUser(this, modKeyWords::largeFileQuestion(fileName, request.textLength, request.colorFileSizeLimit),
                    QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
            != QMessageBox::Yes) {
            docFlags.highlightingDeclined = true;
            return;
        }
        break;
    case modKeyWords::RenderDecision::Render:
        break;
    }
    m_highlighter->renderDocument();
}

void frmMain::RefreshHighlighting()
{
    if (!docFlags.highlightingDeclined && language.languageActive && settings.enableSyntaxHighlightning)
        m_highlighter->renderDocument();
}

void frmMain::NoHighlighting()
{
    language = modKeyWords::loadLanguage(keywordsFolder(), QStringLiteral("noextension"));
    m_highlighter->clearHighlighting();
}

void frmMain::buildLanguageMenu()
{
    QMenu *programming = menuBar()->findChild<QMenu *>(QStringLiteral("mnuProgramming"));
    if (!programming)
        return;
    if (QAction *refresh = CommandTable::findCommand(this, "mnuToolsRefreshSyntax"))
        refresh->setEnabled(language.languageActive && settings.enableSyntaxHighlightning);
    for (QAction *old : programming->actions()) {
        if (old->objectName() == QLatin1String("mnuKeyWord") || old->objectName() == QLatin1String("mnuKeyWordSep"))
            delete old;
    }
    const auto entries = modKeyWords::languageMenuEntries(keywordsFolder(), ExtensionOf(strfilename));
    if (entries.isEmpty())
        return;
    QAction *separator = programming->addSeparator();
    separator->setObjectName(QStringLiteral("mnuKeyWordSep"));
    for (const auto &entry : entries) {
        QAction *item = programming->addAction(entry.caption);
        item->setObjectName(QStringLiteral("mnuKeyWord"));
        item->setCheckable(true);
        item->setData(entry.tag);
        const bool checked = docFlags.manualLanguageChoice ? entry.path == language.definitionPath
                                                           : entry.matchesDocument;
        item->setChecked(checked);
        const QString tag = entry.tag;
        connect(item, &QAction::triggered, this, [this, tag, item, programming] {
            LoadLanguage(modKeyWords::fileNameForMenuTag(tag), true);
            for (QAction *other : programming->actions()) {
                if (other->objectName() == QLatin1String("mnuKeyWord"))
                    other->setChecked(other == item);
            }
            docFlags.manualLanguageChoice = true;
            surface().setFocus();
        });
    }
}

void frmMain::buildToolBar()
{
    toolBar = addToolBar(QStringLiteral("Tool Bar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->toggleViewAction()->setVisible(false);
    const QStringList separatedAfter{QStringLiteral("cmdSave"), QStringLiteral("cmdPaste"), QStringLiteral("cmdRedo"),
                                     QStringLiteral("cmdReplace")};
    for (const ToolButtonInfo &info : CommandTable::toolButtons()) {
        auto *button = new FlatButton(toolBar);
        button->setObjectName(QLatin1String(info.objectName));
        button->setCaption(QString());
        button->setPicAlign(3);
        button->setButtonStyle(1);
        button->setPicture(CommandTable::toolIcon(info, m_appFolder).pixmap(16, 16));
        button->setToolTip(info.tip);
        QAction *action = CommandTable::findCommand(this, info.command);
        button->setEnabled(action && action->isEnabled());
        if (action) {
            connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
            connect(button, &FlatButton::Click, action, [this, action] {
                action->trigger();
                surface().setFocus();
            });
        }
        const QString tip = info.tip;
        connect(button, &FlatButton::MouseOver, this, [this, tip] { showHint(tip); });
        toolBar->addWidget(button);
        if (separatedAfter.contains(button->objectName())) {
            auto *separator = new FlatButton(toolBar);
            separator->setButtonType(9);
            toolBar->addWidget(separator);
        }
    }
}

void frmMain::refreshFileMenu()
{
    refreshRecentMenu();
    const bool exists = strfilename != kUntitled && FileExists(strfilename);
    if (QAction *revert = CommandTable::findCommand(this, "mnuFileRevertToSaved"))
        revert->setEnabled(exists && !isDocumentSaved);
    if (QAction *remove = CommandTable::findCommand(this, "mnuFileDeleteFile"))
        remove->setEnabled(exists);
    if (QAction *selection = CommandTable::findCommand(this, "mnuFileSaveSelection"))
        selection->setEnabled(surface().selLength() > 0);
    if (QAction *closeFile = CommandTable::findCommand(this, "mnuFileClose"))
        closeFile->setEnabled(strfilename != kUntitled || !isDocumentSaved);
}

void frmMain::ToggleLineNumbers()
{
    QAction *action = CommandTable::findCommand(this, "mnuFormatToggleLineNumbers");
    settings.ShowLineNumbers = action ? action->isChecked() : !settings.ShowLineNumbers;
    settingsChanged = true;
    layoutWindow();
}

void frmMain::RevertToSaved()
{
    m_documents->RevertToSaved();
}

void frmMain::DeleteFile()
{
    m_documents->DeleteFile();
}

void frmMain::FileClose(bool prompt)
{
    m_documents->FileClose(prompt);
}

void frmMain::buildStatusBar()
{
    const auto label = [this](const char *name, const QString &text, bool permanent) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        if (permanent) {
            l->setFrameShape(QFrame::StyledPanel);
            l->setAlignment(Qt::AlignCenter);
            statusBar()->addPermanentWidget(l);
        } else {
            statusBar()->addWidget(l, 1);
        }
        return l;
    };
    statusBar()->setObjectName(QStringLiteral("sBar"));
    lblToolTip = label("lblToolTip", QString(), false);
    lblXY = label("lblXY", QStringLiteral("1:1"), true);
    lblSize = label("lblSize", QString(), true);
    lblOS = label("lblOS", QStringLiteral("UNIX"), true);
    lblUC = label("lblUC", QStringLiteral("ASCII"), true);
    lblINS = label("lblINS", QStringLiteral("INS"), true);
    lblCaps = label("lblCaps", QStringLiteral("CAPS"), true);
    lblCaps->setVisible(false);
}

void frmMain::refreshRecentMenu()
{
    for (int n = 1; n <= RecentFiles::Count; ++n) {
        QAction *entry = mnuFileRecent[n - 1];
        const QString path = recentFiles.entry(n);
        entry->setText(recentFiles.caption(n));
        entry->setVisible(!path.isEmpty());
        entry->setEnabled(!path.isEmpty());
    }
}

void frmMain::setToolTipText(const QString &text)
{
    lblToolTip->setText(text);
}

QString frmMain::caption() const
{
    const QString title = QString::fromLatin1(Title);
    const qsizetype slash = strfilename.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return isDocumentSaved ? strfilename + QStringLiteral(" - ") + title
                               : strfilename + QStringLiteral("* - ") + title + QStringLiteral(" [NOT SAVED]");
    }
    const QString name = strfilename.mid(slash + 1);
    const QString folder = strfilename.left(slash);
    return isDocumentSaved ? name + QStringLiteral(" @ ") + folder + QStringLiteral(" - ") + title
                           : name + QStringLiteral("* @ ") + folder + QStringLiteral(" - ") + title
                                 + QStringLiteral(" [NOT SAVED]");
}

void frmMain::updateTitle()
{
    setWindowTitle(caption());
}

void frmMain::updateXY(int shift)
{
    EditorSurface &s = surface();
    const int start = s.selStart();
    const int line = s.getLineFromChar(start);
    const int column = start - s.lineIndex(line) + 1;
    QString xy = QStringLiteral("%1:%2").arg(line + 1).arg(column);
    if (s.wordWrap())
        xy += QStringLiteral("(WW)");
    lblXY->setText(xy);
    const int factor = encoding == TextEncoding::Utf16 ? 2 : 1;
    const QLocale locale;
    const int selected = s.selLength();
    if (selected > 0)
        lblSize->setText(QStringLiteral("Bytes Sel : ") + locale.toString(qint64(selected) * factor));
    else
        lblSize->setText(QStringLiteral("File Size : ") + locale.toString(qint64(s.textLength()) * factor)
                         + QStringLiteral(" bytes"));
    lineBox->PlaceLineBox();
    PicLines->update();
    if (m_search)
        m_search->onCaretMoved(shift);
}

void frmMain::fitGutter()
{
    if (!PicLines->isVisible() && !settings.ShowLineNumbers)
        return;
    const int width = PicLines->preferredWidth();
    if (PicLines->width() != width)
        PicLines->setFixedWidth(width);
    if (PicLines->lastLineCount() != surface().lineCount())
        PicLines->DrawLineNumbers();
}

void frmMain::layoutWindow()
{
    PicLines->setVisible(settings.ShowLineNumbers);
    lineBox->setVisible(settings.ShowCurrentLine);
    toolBar->setVisible(settings.ShowToolBar);
    if (QAction *lines = CommandTable::findCommand(this, "mnuFormatToggleLineNumbers"))
        lines->setChecked(settings.ShowLineNumbers);
    if (QAction *wrap = CommandTable::findCommand(this, "mnuFormatWordWrap"))
        wrap->setChecked(settings.WordWrap);
    fitGutter();
    lineBox->PlaceLineBox();
    PicLines->DrawLineNumbers();
}

void frmMain::ReadFile(QString filename, bool byCommandLine)
{
    m_reader->ReadFile(std::move(filename), byCommandLine);
}

void frmMain::FileOpen(const QString &path)
{
    m_reader->FileOpen(path);
}

bool frmMain::FileSave()
{
    return m_saver->FileSave();
}

bool frmMain::FileSaveAs()
{
    return m_saver->FileSaveAs();
}

QString frmMain::javaClassFileName(const QString &text)
{
    return DocumentSaver::javaClassFileName(text);
}

void frmMain::SaveSelection()
{
    m_saver->SaveSelection();
}

void frmMain::ExportRichText()
{
    m_saver->ExportRichText();
}

bool frmMain::WriteDocument(const QString &path)
{
    return m_saver->WriteDocument(path);
}

bool frmMain::confirmDiscard()
{
    return m_saver->confirmDiscard();
}

void frmMain::AddHistory()
{
    const auto result = m_history->AddHistory();
    if (result.taken)
        m_search->markDirty();
    if (result.clearSavedFlag && isDocumentSaved) {
        isDocumentSaved = false;
        updateTitle();
    }
}

void frmMain::resetHistory()
{
    m_history->setFileSize(lngFileSize);
    m_history->reset();
    m_search->documentReset();
}

void frmMain::Undo()
{
    m_history->undo();
    PicLines->DrawLineNumbers();
    updateXY();
}

void frmMain::Redo()
{
    m_history->redo();
    PicLines->DrawLineNumbers();
    updateXY();
}

void frmMain::Copy()
{
    EditorSurface &s = surface();
    const QString selected = s.selText();
    if (selected.isEmpty())
        return;
    if (settings.CopyAsRichText)
        putRichText(selected, s.selStart(), s.selLength());
    else
        QGuiApplication::clipboard()->setText(EditCommands::copiedText(selected, isUnix));
}

void frmMain::putRichText(const QString &text, int start, int length)
{
    EditorSurface &s = surface();
    const auto runs = s.formatRuns(start, length);
    QGuiApplication::clipboard()->setMimeData(
        EditCommands::richClipboardData(text, s.selRTF(), EditCommands::htmlOfRuns(text, runs)));
}

void frmMain::Cut()
{
    AddHistory();
    if (surface().selLength() == 0)
        return;
    Copy();
    surface().setSelText(QString());
}

void frmMain::Paste()
{
    AddHistory();
    EditorSurface &s = surface();
    const QString text = EditCommands::pastedText(QGuiApplication::clipboard()->text());
    s.setSelText(text);
    s.setSelColor(settings.fcolor);
    s.setSelBold(settings.TextBold);
    m_live->afterPaste(text);
}

void frmMain::CopyAppend(bool cut)
{
    EditorSurface &s = surface();
    const QString selected = s.selText();
    if (selected.isEmpty())
        return;
    if (cut)
        AddHistory();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(EditCommands::appendedText(clipboard->text(), selected, isUnix));
    if (cut)
        s.setSelText(QString());
}

void frmMain::CopyAsRichText(bool cut)
{
    EditorSurface &s = surface();
    if (cut)
        AddHistory();
    const QString selected = s.selText();
    if (selected.isEmpty())
        return;
    putRichText(selected, s.selStart(), s.selLength());
    if (cut)
        s.setSelText(QString());
}

void frmMain::CopyColumn()
{
    const auto column = EditCommands::copyColumn(surface(), isUnix);
    QGuiApplication::clipboard()->setText(column.text);
    showHint(column.message);
}

void frmMain::DeleteSelection()
{
    AddHistory();
    surface().setSelText(QString());
    isDocumentSaved = false;
    updateTitle();
}

void frmMain::DeleteLine()
{
    AddHistory();
    if (EditCommands::deleteLine(surface())) {
        isDocumentSaved = false;
        updateTitle();
    }
}

void frmMain::Crop()
{
    if (surface().selLength() == 0)
        return;
    AddHistory();
    EditCommands::crop(surface());
}

void frmMain::InsertDateTime()
{
    AddHistory();
    surface().setSelText(EditCommands::dateTimeText());
}

void frmMain::ClearUndoRedo()
{
    if (askUser(this, EditCommands::clearHistoryQuestion(), EditCommands::clearHistoryTitle(),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
        == QMessageBox::Yes)
        m_history->reset();
}

void frmMain::refreshEditMenu()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    const auto state = EditCommands::editMenuState(surface().selLength() > 0, mime && mime->hasText(),
                                                   m_history->canUndo(), m_history->canRedo(), strfilename);
    const std::pair<const char *, bool> items[] = {
        {"mnuEditCut", state.cut}, {"mnuEditCopy", state.copy}, {"mnuEditPaste", state.paste},
        {"mnuEditCutAppend", state.cutAppend}, {"mnuEditCopyAppend", state.copyAppend}, {"mnuEditDelete", state.del},
        {"mnuEditCrop", state.crop}, {"mnuEditUndo", state.undo}, {"mnuEditRedo", state.redo},
        {"mnuEditCopyFileName", state.copyFileName}};
    for (const auto &[name, enabled] : items) {
        if (QAction *action = CommandTable::findCommand(this, name))
            action->setEnabled(enabled);
    }
}

void frmMain::runFocusChecks()
{
    refreshCapsLock();
    EditorSurface &s = surface();
    const auto checks = m_changes->runChecks(strfilename, s.selStart(), s.selLength(),
                                             {settings.DisableFileChangeDetection, settings.AutoUpdateChangedFiles, !isDocumentSaved});
    if (checks.reloadRecentFiles) {
        recentFiles.LoadRecentFiles();
        refreshRecentMenu();
    }
    if (checks.reloadSettings) {
        LoadMySettings(true);
        RefreshHighlighting();
    }
    const auto reload = [&] {
        ReadFile(strfilename, false);
        s.setSelStart(checks.selStart);
        s.setSelLength(checks.selLength);
    };
    switch (checks.document) {
    case ChangeDetector::DocumentAction::None:
        break;
    case ChangeDetector::DocumentAction::Reload:
        reload();
        break;
    case ChangeDetector::DocumentAction::AskChanged:
        if (askUser(this, ChangeDetector::changedMessage(strfilename), ChangeDetector::changedTitle(),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
            == QMessageBox::Yes)
            reload();
        else
            m_changes->decline();
        break;
    case ChangeDetector::DocumentAction::AskDeleted:
        if (askUser(this, ChangeDetector::deletedMessage(strfilename), ChangeDetector::deletedTitle(),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical)
            == QMessageBox::Yes) {
            isDocumentSaved = false;
            updateTitle();
        } else {
            FileClose(false);
            m_changes->decline();
        }
        break;
    }
}

void frmMain::InsertContentFromFile(const QString &path)
{
    QString file = path;
    if (file.isEmpty()) {
        const QStringList chosen =
            Prompter::instance().openFiles(this, QStringLiteral("Select a file to Insert"), DocumentReader::openFilter(), currentFolder, false);
        if (chosen.isEmpty())
            return;
        file = chosen.first();
    }
    const auto bytes = FileIO::readAll(file);
    if (!bytes)
        return;
    // Decoded like a loaded document, so UTF-8 and UTF-16 files insert as text with CR LF breaks.
    const QString text = QString::fromUtf8(decodeDocument(*bytes).utf8);
    AddHistory();
    EditorSurface &s = surface();
    if (text.size() < 12280) {
        s.setSelColor(settings.fcolor);
        s.setSelBold(false);
        s.setSelText(text);
    } else {
        const int start = s.selStart();
        s.setSelText(text);
        s.setSelStart(start);
        s.setSelLength(int(text.size()));
        s.setSelColor(settings.fcolor);
        s.setSelBold(false);
        s.setSelStart(start + int(text.size()));
    }
    isDocumentSaved = false;
    updateTitle();
}

void frmMain::surfaceChange()
{
    m_history->noteChange();
    if (isLoading || !surface().isVisible())
        return;
    fitGutter();
    if (encoding == TextEncoding::Utf8 && m_surface->usesUtf16Index() && lblUC->text() == QLatin1String("ASCII"))
        lblUC->setText(encodingLabel(encoding, false));
    if (isDocumentSaved && m_saver->textDiffersFromSaved()) {
        isDocumentSaved = false;
        updateTitle();
    }
}

void frmMain::surfaceSelectionChanged()
{
    updateXY();
}

void frmMain::surfaceScrolled()
{
    PicLines->DrawLineNumbers();
    lineBox->PlaceLineBox();
}

void frmMain::surfaceKeyUp(int &key, int &shift)
{
    m_live->onKeyUp(key, shift);
    if (key == Qt::Key_Insert) {
        const bool overwrite = txtText()->overwriteMode();
        lblINS->setText(overwrite ? QStringLiteral("OVR") : QStringLiteral("INS"));
        surface().setOverwriteCaret(overwrite);
    }
    PicLines->update();
}

void frmMain::surfaceMouseUp(int, int, int, int)
{
    m_search->onMouseEvent();
    PicLines->update();
}

void frmMain::surfaceMouseDown(int, int, int, int)
{
    m_search->onMouseEvent();
}

void frmMain::surfaceGotFocus()
{
    if (lblINS->text() == QLatin1String("OVR"))
        surface().setOverwriteCaret(true);
    lineBox->PlaceLineBox();
}

void frmMain::surfaceDragOver(const QStringList &, int)
{
    setToolTipText(QStringLiteral("Press Shift to insert filename, Ctrl to insert HTML tag, Shift+Ctrl to insert content"));
}

void frmMain::surfaceDragDrop(const QStringList &files, int shift)
{
    setToolTipText(QString());
    EditorSurface &s = surface();
    const bool withShift = shift & ShiftMask;
    const bool withCtrl = shift & CtrlMask;
    QStringList pieces;
    if (withShift && withCtrl) {
        for (const QString &file : files)
            InsertContentFromFile(file);
        return;
    }
    if (withShift) {
        pieces = files;
    } else if (withCtrl) {
        for (const QString &file : files)
            pieces << MakeFileLink(file, FileNameOf(file));
    } else if (shift & AltMask) {
        for (const QString &file : files)
            pieces << FileNameOf(file);
    } else {
        for (const QString &file : files)
            FileOpen(file);
        return;
    }
    AddHistory();
    s.setSelText(joinWithCrLf(pieces));
    isDocumentSaved = false;
    updateTitle();
}

void frmMain::surfaceTextDropped()
{
    m_live->afterDrop();
}

void frmMain::transformText(Scope scope, const std::function<QString(const QString &)> &f)
{
    EditorSurface &s = surface();
    const int start = s.selStart();
    const int length = s.selLength();
    AddHistory();
    if (scope == Scope::Selection || (scope == Scope::SelectionOrText && length > 0)) {
        s.setSelText(f(s.selText()));
    } else {
        const QString changed = f(s.text());
        s.setVisible(false);
        s.setText(changed);
        s.setVisible(true);
        // The whole-text commands keep the selection as numbers, though the text changed length.
        s.setSelStart(start);
        s.setSelLength(length);
    }
    isDocumentSaved = false;
    updateTitle();
    PicLines->DrawLineNumbers();
    updateXY();
}

void frmMain::ChangeCase(const std::function<QString(const QString &)> &f)
{
    EditorSurface &s = surface();
    if (s.selLength() == 0)
        return;
    const int start = s.selStart();
    const int length = s.selLength();
    transformText(Scope::Selection, f);
    s.setSelStart(start);
    s.setSelLength(length);
    if (settings.enableSyntaxHighlightning && language.languageActive && !docFlags.highlightingDeclined)
        m_highlighter->renderRange(start + 1, length);
}

bool frmMain::selectionHasInnerLineBreak() const
{
    const QString selected = m_surface->selText();
    return selected.indexOf(QLatin1String("\r\n")) >= 1;
}

void frmMain::ChangeIndent(bool add)
{
    EditorSurface &s = surface();
    if (selectionHasInnerLineBreak()) {
        const int start = s.selStart();
        const QString indent = TextTransforms::IndentUnit(settings.TabWidth, settings.UseSpacesInsteadOfTabs);
        transformText(Scope::Selection, [add, &indent](const QString &t) {
            return add ? TextTransforms::AddIndentToLines(t, indent) : TextTransforms::RemoveIndentFromLines(t);
        });
        const int end = s.selStart();
        s.setSelStart(start);
        s.setSelLength(end - start);
    }
    if (settings.enableSyntaxHighlightning && language.languageActive && !docFlags.highlightingDeclined)
        m_highlighter->renderRange(s.selStart() + 1, s.selLength());
}

void frmMain::SortLines(bool ascending)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EditorSurface &s = surface();
    AddHistory();
    const QString sorted = LineSort::SortLines(s.text(), ascending ? LineSort::SortOrder::Ascending
                                                                   : LineSort::SortOrder::Descending);
    s.setVisible(false);
    s.setText(sorted);
    s.setTabStops(settings.TabWidth * 4);
    s.setVisible(true);
    s.setSelStart(0);
    isDocumentSaved = false;
    updateTitle();
    PicLines->DrawLineNumbers();
    updateXY();
    QApplication::restoreOverrideCursor();
}

void frmMain::WordCount()
{
    TextStatistics::Statistics statistics = TextStatistics::Measure(surface().text());
    statistics.lines = surface().lineCount();
    askUser(this, TextStatistics::StatisticsText(statistics), QString::fromLatin1(Title), QMessageBox::Ok,
            QMessageBox::Information);
}

void frmMain::ToggleWordWrap()
{
    settings.WordWrap = !surface().wordWrap();
    surface().setWordWrap(settings.WordWrap);
    if (QAction *action = CommandTable::findCommand(this, "mnuFormatWordWrap"))
        action->setChecked(settings.WordWrap);
    PicLines->DrawLineNumbers();
    updateXY();
}

void frmMain::ConvertTextToHTML()
{
    transformText(Scope::WholeText, [this](const QString &t) { return TextToHtml::TextToHTML(t, strfilename); });
    surface().setTabStops(settings.TabWidth * 4);
}

void frmMain::LoadMySettings2()
{
    settings = m_store.LoadMySettings2(settings);
}

void frmMain::LoadMySettings(bool reload)
{
    settings = m_store.LoadMySettings(settings, reload ? SettingsLoad::Reload : SettingsLoad::StartUp);
    applySettings();
    modTransparent::applyTranslucency(this, settings.FormTransparent, settings.Lucidity);
    recentFiles.LoadRecentFiles();
    refreshRecentMenu();
}

void frmMain::applySettings()
{
    EditorSurface &s = surface();
    s.setDefaultFormat(CharFormat{settings.fcolor, settings.TextBold, settings.TextItalic, settings.Font, settings.FontSize});
    s.setBackColor(settings.BackColor);
    s.setTabStops(settings.TabWidth * 4);
    s.setWordWrap(settings.WordWrap);
    PicLines->setColors(settings.linenobackground, settings.linenoforeground, settings.currlinebackground,
                        settings.currlineforeground);
    lineBox->setColor(settings.fcolor1);
    layoutWindow();
}

void frmMain::SaveMySettings()
{
    m_store.SaveMySettings(settings);
    LastModifiedSettings = m_store.settingsFileStamp();
    m_changes->recordSettingsTime();
}

void frmMain::SaveMySettings2()
{
    storePlacement();
    m_store.SaveMySettings2(settings);
}

void frmMain::applyPlacement()
{
    const Settings::Placement &p = settings.placement;
    if (p.maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    const double perPixel = twipsPerPixel(this);
    const int width = int(p.width / perPixel);
    const int height = int(p.height / perPixel);
    resize(width, height);
    if (p.left && p.top) {
        move(int(*p.left / perPixel), int(*p.top / perPixel));
    } else if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
    }
}

void frmMain::storePlacement()
{
    Settings::Placement &p = settings.placement;
    p.maximized = isMaximized() || isMinimized();
    if (p.maximized)
        return;
    const double perPixel = twipsPerPixel(this);
    const QRect frame = frameGeometry();
    p.left = frame.x() * perPixel;
    p.top = frame.y() * perPixel;
    p.width = width() * perPixel;
    p.height = height() * perPixel;
}

void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_startedUp) {
        m_startedUp = true;
        activate->start();
    }
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_startedUp) {
        surface().setTabStops(settings.TabWidth * 4);
        layoutWindow();
        surface().setFocus();
    }
}

void frmMain::finishStartUp()
{
    activate->stop();
    refreshCapsLock();
    PicLines->DrawLineNumbers();
    layoutWindow();
    updateXY();
    EditorSurface &s = surface();
    s.setSelColor(settings.fcolor);
    if (settings.WordWrap)
        s.setWordWrap(true);
    s.setFocus();
}

void frmMain::showHint(const QString &text)
{
    toolTipTicks = 0;
    lblToolTip->setText(text);
    lblToolTip->setVisible(true);
    tmrToolTip->start();
}

void frmMain::toolTipTick()
{
    ++toolTipTicks;
    if (toolTipTicks >= 20) {
        lblToolTip->setText(toolTipCaption);
        lblToolTip->setVisible(true);
        tmrToolTip->stop();
        toolTipTicks = 0;
        return;
    }
    // Blinking draws the eye: shown on odd ticks, hidden on even ones.
    lblToolTip->setVisible(!settings.BlinkAlert || toolTipTicks % 2 == 1);
}

void frmMain::refreshCapsLock()
{
    if (const auto on = capsLockState())
        lblCaps->setVisible(*on);
}

void frmMain::surfaceKeyDown(int &key, int &shift)
{
    // Typing is undone in steps: the first key of a fresh history and every word or line break
    // take a snapshot before the widget changes the text. Modifier and movement keys change
    // nothing, so they take none (a snapshot would drop the redo records).
    const bool command = (shift & CtrlMask) && !(shift & AltMask);
    const bool editKey = key == Qt::Key_Tab || key == Qt::Key_Backspace || key == Qt::Key_Return
        || key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Delete;
    const bool typesText = !command && (editKey || (key > 0 && key < Qt::Key_Escape));
    if (typesText && m_history->position() == 0)
        AddHistory();
    else if (!command && (key == Qt::Key_Tab || key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter
                          || key == Qt::Key_Space || (key == Qt::Key_Delete && surface().selLength() > 0)))
        AddHistory();
    m_search->markDirty();
    m_live->onKeyDown(key, shift);
    if (key == Qt::Key_CapsLock && !capsLockState())
        lblCaps->setVisible(!lblCaps->isVisible());
}

void frmMain::ConvertDosToUnix()
{
    m_documents->ConvertDosToUnix();
}

void frmMain::ConvertUnixToDos()
{
    m_documents->ConvertUnixToDos();
}

void frmMain::ConvertAsciiToUnicode()
{
    m_documents->ConvertAsciiToUnicode();
}

void frmMain::ConvertUnicodeToAscii()
{
    m_documents->ConvertUnicodeToAscii();
}

void frmMain::ConvertToUtf8()
{
    m_documents->ConvertToUtf8();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == lblOS) {
            const QString state = lblOS->text().toLower();
            if (state == QLatin1String("dos"))
                ConvertDosToUnix();
            else if (state == QLatin1String("unix"))
                ConvertUnixToDos();
            return true;
        }
        if (watched == lblUC) {
            if (lblUC->text().toLower() == QLatin1String("ascii"))
                ConvertAsciiToUnicode();
            else
                ConvertUnicodeToAscii();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    SaveMySettings2();
    if (settingsChanged || !QFileInfo::exists(m_store.settingsPath()))
        SaveMySettings();
    openFiles.UnregisterOpenFile(strfilename);
    event->accept();
}
