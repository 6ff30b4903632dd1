#include "frmMain.h"

#include "FileIO.h"
#include "Authoring.h"
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

// The Open dialog's filter table; "*" stands beside "*.*" so names without a dot are listed too.
QString openFilter()
{
    return QStringLiteral("All Files (*.*) (*);;"
                          "Text Files (*.txt) (*.txt);;"
                          "Batch files (*.bat, *.cmd) (*.bat *.cmd);;"
                          "Init files (*.ini) (*.ini);;"
                          "C files (*.c, *.cpp, *.h, *.hpp) (*.c *.cpp *.h *.hpp);;"
                          "Java files (*.java, *.jav) (*.java *.jav);;"
                          "HTML files (*.html, *.htm, *.css) (*.html *.htm *.css)");
}

QString joinWithCrLf(const QStringList &items)
{
    return items.join(QStringLiteral("\r\n"));
}

struct DecodedLoad {
    TextEncoding encoding;
    bool utf8Bom;
    LineEnding lineEnding;
};

// Puts an open file into the surface: mapped, scanned once, converted piece by piece into the widget.
DecodedLoad loadInto(EditorSurface &s, QFile &file)
{
    const qint64 size = file.size();
    uchar *mapped = size > 0 ? file.map(0, size) : nullptr;
    QByteArray read;
    if (!mapped && size > 0)
        read = file.readAll();
    const char *data = mapped ? reinterpret_cast<const char *>(mapped) : read.constData();
    const qsizetype length = mapped ? qsizetype(size) : read.size();

    s.setVisible(false);
    DecodedLoad result{TextEncoding::SingleByte, false, LineEnding::Dos};
    if (startsWithUtf16Mark(data, length)) {
        const DecodedDocument doc = decodeDocument(QByteArray::fromRawData(data, length));
        s.setTextUtf8(doc.utf8, doc.ascii);
        result = {doc.encoding, doc.utf8Bom, doc.lineEnding};
    } else {
        const DecodePlan plan = planDecode(data, length);
        s.beginBulkLoad(plan.ascii, length + length / 16);
        convertForWidget(data, length, plan, [&s](const char *piece, qsizetype n) { s.appendUtf8(piece, n); });
        s.endBulkLoad();
        result = {plan.encoding, plan.utf8Bom, plan.lineEnding};
    }
    s.setVisible(true);
    if (mapped)
        file.unmap(mapped);
    return result;
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
    m_search = new SearchWindows(*m_searchHost, this);
    m_authoring = std::make_unique<Authoring>(this, *m_surface, settings, language, appFolder, AuthoringHost{
        [this] { AddHistory(); }, [this] { isDocumentSaved = false; updateTitle(); },
        [this] { return m_searchHost->highlightingActive(); },
        [this](int start, int length) { m_highlighter->renderRange(start, length); },
        [this] { m_live->rehighlightCurrentLine(); }, [this] { return strfilename; }});
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
    updateTitle();
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

    for (const auto &[name, run] : m_authoring->commands())
        wire(name, run);
    wire("mnuInsertContentFromFile", [this] { InsertContentFromFile(); });
    if (QMenu *insert = menuBar()->findChild<QMenu *>(QStringLiteral("mnuInsert")))
        connect(insert, &QMenu::aboutToShow, this, [this] { m_authoring->refreshInsertMenu(); });

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
    if (askUser(this, QStringLiteral("Reload file and lose changes?"), QString::fromLatin1(Title),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning)
        == QMessageBox::Yes)
        ReadFile(strfilename, false);
}

void frmMain::DeleteFile()
{
    if (!FileExists(strfilename))
        return;
    if (askUser(this, QStringLiteral("Are you sure you want to delete ") + strfilename + QStringLiteral("?"),
                QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
        != QMessageBox::Yes)
        return;
    if (!QFile::remove(strfilename)) {
        askUser(this, QStringLiteral("Couldn't delete ") + strfilename, QString::fromLatin1(Title), QMessageBox::Ok,
                QMessageBox::Critical);
        return;
    }
    isDocumentSaved = true;
    FileClose(true);
}

void frmMain::FileClose(bool prompt)
{
    if (prompt && !confirmDiscard())
        return;
    toolTipCaption.clear();
    language.resetToPlainText();
    docFlags.clear();
    openFiles.UnregisterOpenFile(strfilename);
    EditorSurface &s = surface();
    s.setText(QString());
    lblOS->setText(QStringLiteral("DOS"));
    resetDocumentState(kUntitled);
    resetHistory();
    s.setSelColor(settings.fcolor);
    s.setSelBold(settings.TextBold);
    s.setSelItalic(settings.TextItalic);
    encoding = TextEncoding::SingleByte;
    utf8Bom = false;
    isBinary = false;
    lblUC->setText(QStringLiteral("ASCII"));
    isUnix = false;
    updateXY();
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
    lblOS = label("lblOS", QStringLiteral("DOS"), true);
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

bool frmMain::textDiffersFromSaved() const
{
    return !(m_surface->fingerprint() == OriginalDoc);
}

void frmMain::resetDocumentState(const QString &path)
{
    strfilename = path;
    isDocumentSaved = true;
    lngFileSize = surface().textLength();
    OriginalDoc = m_surface->fingerprint();
    updateTitle();
}

void frmMain::openInOutsideEditor(const QString &path, qint64 size)
{
    const QString editor = settings.ThirdPartyEditorPath;
    askUser(this,
            path + QStringLiteral(" has a file size of ") + QString::number(size)
                + QStringLiteral(" bytes and will be opened by ") + editor + QStringLiteral(".\r\n\r\n")
                + QStringLiteral("You can change these settings under the options menu.\r\n")
                + QStringLiteral("Your current limit is ") + QString::number(settings.ThirdPartyEditorSize)
                + QStringLiteral(" bytes."),
            QStringLiteral("Orvane, file too large"), QMessageBox::Ok, QMessageBox::Information);
}

void frmMain::ReadFile(QString filename, bool byCommandLine)
{
    while (filename.endsWith(QLatin1Char(' ')))
        filename.chop(1);
    isLoading = true;
    m_changes->setLoading(true);
    EditorSurface &s = surface();

    if (!FileExists(filename) || QFileInfo(filename).isDir()) {
        askUser(this,
                QStringLiteral("Couldn't find ") + filename
                    + QStringLiteral(", please make sure that you have typed the correct path."),
                QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        resetDocumentState(kUntitled);
        resetHistory();
    } else {
        const QString timeText = FileTimeText(filename);
        const QString name = FileNameOf(filename);
        if (!name.isEmpty()) {
            setToolTipText(QStringLiteral("Opening ") + name + QStringLiteral(", please wait.."));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        QFile file(filename);
        const qint64 size = QFileInfo(filename).size();
        bool loadHere = true;
        // Without an outside editor on this machine there is nobody to hand the file to.
        const bool haveOutsideEditor = !settings.ThirdPartyEditorPath.trimmed().isEmpty();
        if (settings.OpenFileInThirdPartyEditor && haveOutsideEditor && size > settings.ThirdPartyEditorSize) {
            openInOutsideEditor(filename, size);
            if (Launcher::startCommand(settings.ThirdPartyEditorPath, filename)) {
                loadHere = false;
            } else {
                askUser(this,
                        QStringLiteral("The outside editor \"") + settings.ThirdPartyEditorPath
                            + QStringLiteral("\" could not be started, so ") + filename
                            + QStringLiteral(" is opened here."),
                        QString::fromLatin1(Title), QMessageBox::Ok, QMessageBox::Information);
            }
        }
        if (!loadHere) {
            setToolTipText(QString());
            isLoading = false;
            m_changes->setLoading(false);
            return;
        }
        if (!file.open(QIODevice::ReadOnly)) {
            setToolTipText(QString());
            askUser(this, QStringLiteral("Couldn't open ") + filename + QStringLiteral(": ") + file.errorString(),
                    QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
            isLoading = false;
            m_changes->setLoading(false);
            return;
        }
        const DecodedLoad loaded = loadInto(s, file);
        file.close();
        fileTimeText = timeText;
        encoding = loaded.encoding;
        utf8Bom = loaded.utf8Bom;
        isBinary = loaded.lineEnding == LineEnding::Binary;
        if (!isBinary)
            isUnix = loaded.lineEnding == LineEnding::Unix;
        lblOS->setText(lineEndingLabel(loaded.lineEnding));
        lblUC->setText(encodingLabel(loaded.encoding));

        recentFiles.AddRecentFile(filename);
        refreshRecentMenu();
        settings.LastOpenedFile = filename;
        strfilename = filename;
        isDocumentSaved = true;
        lngFileSize = s.textLength();
        OriginalDoc = s.fingerprint();
        updateTitle();
        openFiles.RegisterOpenFile(filename);
        setToolTipText(QString());
        resetHistory();
        m_changes->documentLoaded(filename);
        docFlags.clear();
        LoadLanguage(filename, true);
    }
    Q_UNUSED(byCommandLine);
    isLoading = false;
    m_changes->setLoading(false);
    fitGutter();
    PicLines->DrawLineNumbers();
    updateXY();
    currentFolder = FolderOf(filename);
    s.setFocus();
}

void frmMain::FileOpen(const QString &path)
{
    if (!path.isEmpty() && path == strfilename)
        return;
    if (!settings.OpenFilesInNewWindow) {
        if (!isDocumentSaved) {
            const auto answer = askUser(this, QStringLiteral("Save changes to ") + strfilename + QStringLiteral("?"),
                                        QString::fromLatin1(Title),
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                        QMessageBox::Information);
            if (answer == QMessageBox::Cancel)
                return;
            if (answer == QMessageBox::Yes && !FileSave())
                return;
        }
        openFiles.UnregisterOpenFile(strfilename);
    }
    QStringList chosen;
    if (path.isEmpty()) {
        const QString folder = settings.UseFolder ? settings.InitialFolder : currentFolder;
        chosen = Prompter::instance().openFiles(this, QStringLiteral("Open"), openFilter(), folder, true);
    } else {
        chosen << path;
    }
    if (chosen.isEmpty() || chosen.first().isEmpty() || chosen.first() == strfilename)
        return;
    const QString first = chosen.takeFirst();
    if ((strfilename == kUntitled && surface().textLength() == 0) || !settings.OpenFilesInNewWindow)
        ReadFile(first, false);
    else if (!modStartUp::startForwardedInstance(first))
        askUser(this, QStringLiteral("Couldn't start a new window for ") + first, QStringLiteral("Error"),
                QMessageBox::Ok, QMessageBox::Critical);
    for (const QString &other : chosen)
        modStartUp::startForwardedInstance(other);
}

bool frmMain::FileSave()
{
    if (strfilename != kUntitled && FileExists(strfilename))
        return WriteDocument(strfilename);
    return FileSaveAs();
}

bool frmMain::FileSaveAs()
{
    QString name = FileNameOf(strfilename);
    QString folder = FolderOf(strfilename);
    if (strfilename == kUntitled || folder.isEmpty()) {
        name = docFlags.javaFlag ? javaClassFileName(surface().text()) : QStringLiteral("Untitled.txt");
        folder = settings.UseFolder ? settings.InitialFolder : currentFolder;
    }
    const QString path = Prompter::instance().saveFile(this, QStringLiteral("Save As"), QStringLiteral("All Files (*.*) (*)"),
                                                       folder, name, nullptr);
    if (path.isEmpty())
        return false;
    return WriteDocument(path);
}

QString frmMain::javaClassFileName(const QString &text)
{
    qsizetype at = -1;
    for (const QString &keyword : {QStringLiteral("public class "), QStringLiteral("private class "), QStringLiteral("class ")}) {
        at = text.indexOf(keyword);
        if (at >= 0)
            break;
    }
    const qsizetype brace = at < 0 ? -1 : text.indexOf(QLatin1Char('{'), at);
    if (at < 0 || brace < 0)
        return QStringLiteral("noclass.java");
    QString head = text.mid(at, brace - at + 1);
    for (const QString &breaker : {QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("{")})
        head.replace(breaker, QStringLiteral(" "));
    const QStringList words = head.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype keyword = words.indexOf(QStringLiteral("class"));
    if (keyword < 0 || keyword + 1 >= words.size())
        return QStringLiteral("noclass.java");
    return words[keyword + 1] + QStringLiteral(".java");
}

void frmMain::SaveSelection()
{
    const QString folder = settings.UseFolder ? settings.InitialFolder : currentFolder;
    const QString path = Prompter::instance().saveFile(this, QStringLiteral("Save As"), QStringLiteral("All Files (*.*) (*)"),
                                                       folder, QString(), nullptr);
    if (path.isEmpty())
        return;
    const QString text = surface().selText() + QStringLiteral("\r\n");
    // The selection is written one byte per character; text beyond that is kept as UTF-8, never replaced.
    const auto bytes = encodeDocument(text, TextEncoding::SingleByte, false, false);
    if (const auto error = FileIO::writeAtomically(path, bytes ? *bytes : text.toUtf8()))
        askUser(this, *error, QString::fromLatin1(Title), QMessageBox::Ok, QMessageBox::Critical);
}

void frmMain::ExportRichText()
{
    QString name = FileNameOf(strfilename);
    if (name.isEmpty())
        name = strfilename;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    name = dot > 0 ? name.left(dot) + QStringLiteral(".rtf") : name + QStringLiteral(".rtf");
    const QString path = Prompter::instance().saveFile(this, QStringLiteral("Export as Rich Text"),
                                                       QStringLiteral("Rich Text (*.rtf)"), FolderOf(strfilename), name, nullptr);
    if (path.isEmpty())
        return;
    const QString target = path.endsWith(QLatin1String(".rtf")) ? path : path + QStringLiteral(".rtf");
    if (const auto error = surface().saveFile(target, 0))
        askUser(this, *error, QString::fromLatin1(Title), QMessageBox::Ok, QMessageBox::Critical);
}

bool frmMain::WriteDocument(const QString &path)
{
    auto bytes = encodeDocumentUtf8(m_surface->textUtf8(), encoding, utf8Bom, isUnix && !isBinary);
    if (!bytes) {
        // Single-byte storage would lose these characters; never write a substitute silently.
        const auto answer = askUser(this,
                                    path + QStringLiteral(" contains characters that cannot be saved as single-byte text.")
                                        + QStringLiteral("\r\n\r\nDo you want to save it as UTF-8 instead?"),
                                    QString::fromLatin1(Title), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
        if (answer != QMessageBox::Yes)
            return false;
        encoding = TextEncoding::Utf8;
        lblUC->setText(encodingLabel(encoding));
        bytes = encodeDocumentUtf8(m_surface->textUtf8(), encoding, utf8Bom, isUnix && !isBinary);
    }
    openFiles.UnregisterOpenFile(strfilename);
    const bool extensionChanged = ExtensionOf(path) != ExtensionOf(strfilename);
    if (const auto error = FileIO::writeAtomically(path, *bytes)) {
        askUser(this, *error, QString::fromLatin1(Title), QMessageBox::Ok, QMessageBox::Critical);
        return false;
    }
    strfilename = path;
    isDocumentSaved = true;
    lngFileSize = surface().textLength();
    OriginalDoc = m_surface->fingerprint();
    updateTitle();
    recentFiles.AddRecentFile(path);
    refreshRecentMenu();
    settings.LastOpenedFile = path;
    openFiles.RegisterOpenFile(path);
    updateXY();
    fileTimeText = FileTimeText(path);
    currentFolder = FolderOf(path);
    m_history->setFileSize(lngFileSize);
    m_changes->documentSaved(path);
    if (extensionChanged)
        LoadLanguage(path, true);
    return true;
}

bool frmMain::confirmDiscard()
{
    if (!surface().isEnabled() || !textDiffersFromSaved())
        return true;
    const auto answer = askUser(this, QStringLiteral("Save changes to ") + strfilename + QStringLiteral("?"),
                                QString::fromLatin1(Title), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Information);
    if (answer == QMessageBox::Cancel)
        return false;
    return answer != QMessageBox::Yes || FileSave();
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
                                             {settings.DisableFileChangeDetection, settings.AutoUpdateChangedFiles});
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
            Prompter::instance().openFiles(this, QStringLiteral("Select a file to Insert"), openFilter(), currentFolder, false);
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
    if (isDocumentSaved && textDiffersFromSaved()) {
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
    m_authoring->LoadTemplates();
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

void frmMain::afterConversion()
{
    isDocumentSaved = false;
    updateTitle();
}

void frmMain::ConvertDosToUnix()
{
    isUnix = true;
    lblOS->setText(QStringLiteral("UNIX"));
    afterConversion();
}

void frmMain::ConvertUnixToDos()
{
    isUnix = false;
    lblOS->setText(QStringLiteral("DOS"));
    EditorSurface &s = surface();
    const QString text = s.text();
    const QString converted = ToCrLf(text);
    if (converted != text) {
        AddHistory();
        s.setVisible(false);
        s.setText(converted);
        s.setVisible(true);
    }
    afterConversion();
}

void frmMain::ConvertAsciiToUnicode()
{
    encoding = TextEncoding::Utf16;
    lblUC->setText(QStringLiteral("UNICODE"));
    afterConversion();
}

void frmMain::ConvertUnicodeToAscii()
{
    encoding = TextEncoding::SingleByte;
    lblUC->setText(QStringLiteral("ASCII"));
    afterConversion();
}

void frmMain::ConvertToUtf8()
{
    encoding = TextEncoding::Utf8;
    lblUC->setText(QStringLiteral("UTF-8"));
    afterConversion();
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
