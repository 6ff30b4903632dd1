#include "frmMain.h"

#include "FileIO.h"
#include "Authoring.h"
#include "ChangeDetector.h"
#include "CommandController.h"
#include "ExternalTools.h"
#include "MainToolsHost.h"
#include "CommandTable.h"
#include "DesktopIntegration.h"
#include "EditCommands.h"
#include "EditController.h"
#include "LanguageMenu.h"
#include "MainSearchHost.h"
#include "MainToolBar.h"
#include "StatusBar.h"
#include "TransformCommands.h"
#include "WindowCaption.h"
#include "WindowPlacement.h"
#include "UndoHistory.h"
#include "FileDrop.h"
#include "Highlighter.h"
#include "LiveHighlighter.h"
#include "modKeyWords.h"
#include "KeyboardState.h"
#include "LineNumberGutter.h"
#include "MainOptionsHost.h"
#include "Launcher.h"
#include "modStartUp.h"
#include "modTransparent.h"
#include "Prompter.h"
#include "ScintillaSurface.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "MainViewerHost.h"
#include "ViewerWindows.h"

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
#include <QScopedValueRollback>
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

} // namespace

frmMain::frmMain(const AppFolders &folders, QWidget *parent)
    : QMainWindow(parent)
    , recentFiles(folders.dataFolder())
    , openFiles(folders.dataFolder())
    , m_appFolder(folders.dataFolder())
    , m_folders(folders)
    , m_store(folders.configFolder())
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
    m_status = new StatusBar(this, settings);
    lblToolTip = m_status->lblToolTip;
    lblXY = m_status->lblXY;
    lblSize = m_status->lblSize;
    lblOS = m_status->lblOS;
    lblUC = m_status->lblUC;
    lblINS = m_status->lblINS;
    lblCaps = m_status->lblCaps;
    tmrToolTip = m_status->tmrToolTip;
    const CommandContext context{*m_surface, settings, this, strfilename, encoding, isUnix,
                                 [this] { AddHistory(); },
                                 [this] {
                                     isDocumentSaved = false;
                                     updateTitle();
                                     PicLines->DrawLineNumbers();
                                     updateXY();
                                 },
                                 [this] {
                                     if (QAction *wrap = CommandTable::findCommand(this, "mnuFormatWordWrap"))
                                         wrap->setChecked(settings.WordWrap);
                                     PicLines->DrawLineNumbers();
                                     updateXY();
                                 },
                                 [this](const QString &text) { showHint(text); },
                                 [this] { return m_languages->highlightingActive(); },
                                 [this](int start, int length) { m_highlighter->renderRange(start, length); },
                                 [this] { m_highlighter->renderDocument(); }};
    m_languages = std::make_unique<LanguageMenu>(context, language, docFlags, *m_highlighter, keywordsFolders(),
                                                 [this](const QString &text) { m_status->setIdleHint(text); });
    m_transforms = std::make_unique<TransformCommands>(context);
    m_authoring = std::make_unique<Authoring>(context, language, m_appFolder, [this] { m_live->rehighlightCurrentLine(); });
    m_edit = std::make_unique<EditController>(
        context, *m_history,
        EditController::Hooks{[this] { m_search->markDirty(); },
                              [this] {
                                  PicLines->DrawLineNumbers();
                                  updateXY();
                              },
                              [this](const QString &text) { m_live->afterPaste(text); }});
    m_viewerHost = std::make_unique<MainViewerHost>(*this);
    m_viewers = new ViewerWindows(*m_viewerHost, this);
    m_tools = new ExternalTools(std::make_unique<MainToolsHost>(*this), this);
    m_options = std::make_unique<MainOptionsHost>(*this);
    m_changes = std::make_unique<ChangeDetector>(m_store.settingsPath());
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
    buildMenus();
    toolBar = MainToolBar::build(this, m_folders.shippedFolder(), [this](const QString &tip) { showHint(tip); },
                                 [this] { surface().setFocus(); });
    PicLines->setBookmarkQuery([this](int row) { return m_search->isBookmarkedRow(row); });
    DesktopIntegration::nameControls(*this);

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
    // The empty new document is the saved state: closing it untouched asks nothing.
    OriginalDoc = m_surface->fingerprint();
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
    return m_commands->wire(name, handler);
}

CommandState frmMain::commandState() const
{
    const EditorSurface &s = *m_surface;
    CommandState state;
    state.selection = s.selLength() > 0;
    state.clipboardText = m_clipboardText;
    state.canUndo = m_history->canUndo();
    state.canRedo = m_history->canRedo();
    state.named = strfilename != kUntitled;
    state.fileOnDisk = state.named && FileExists(strfilename);
    state.unsaved = !isDocumentSaved;
    state.searchText = m_search->canFindAgain();
    state.bookmarks = m_search->hasBookmarks();
    state.selectedLines = EditCommands::selectionHasInnerLineBreak(s);
    state.language = language.languageActive;
    state.highlighting = language.languageActive && settings.enableSyntaxHighlightning;
    state.keywordList = language.languageActive && !language.keywordListText.trimmed().isEmpty();
    state.lineComment = language.languageActive && !language.lineComment.isEmpty();
    state.compiler = language.languageActive && !language.compilerPath.trimmed().isEmpty();
    return state;
}

void frmMain::buildMenus()
{
    CommandTable::buildMenuBar(menuBar(), this);
    m_commands = new CommandController(this, [this] { return commandState(); });
    m_commands->setAfterCommand([this] { surface().setFocus(); });
    // The widget's own binding of a key the program defines would act behind the program's back.
    for (const QKeySequence &key : CommandController::commandKeys()) {
        const QKeyCombination combination = key[0];
        txtText()->removeKeyBinding(int(combination.key()), combination.keyboardModifiers());
    }
    const auto noteClipboard = [this] {
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        m_clipboardText = mime && mime->hasText();
        m_commands->scheduleRefresh();
    };
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, noteClipboard);
    noteClipboard();
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
    connect(mnuFile, &QMenu::aboutToShow, this, &frmMain::refreshRecentMenu);

    const WireCommand wireCommand = [this](const char *name, std::function<void()> handler) { wire(name, handler); };
    m_edit->registerCommands(wireCommand);
    m_transforms->registerCommands(wireCommand);
    m_authoring->registerCommands(wireCommand);
    wire("mnuInsertContentFromFile", [this] { InsertContentFromFile(); });
    if (QMenu *insert = menuBar()->findChild<QMenu *>(QStringLiteral("mnuInsert")))
        connect(insert, &QMenu::aboutToShow, this, [this] { m_authoring->refreshInsertMenu(); });

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
    wire("mnuToolsHex", [this] { m_viewers->ShowHex(); });
    wire("mnuFormatASCIITable", [this] { m_viewers->ShowASCIITable(); });
    wire("mnuFilePageSetup", [this] { m_viewers->PageSetup(); });
    wire("mnuFilePrint", [this] { m_viewers->Print(); });
    wire("mnuHelpIndex", [this] { m_viewers->HelpIndex(); });
    wire("mnuHelpTipoftheDay", [this] { m_viewers->ShowTip(); });
    wire("mnuHelpAbout", [this] { m_viewers->About(); });
    if (QMenu *help = menuBar()->findChild<QMenu *>(QStringLiteral("mnuHelp")))
        connect(help, &QMenu::aboutToShow, this, [this, help] { m_viewers->refreshHelpMenu(help); });
    wire("mnuFormatOptions", [this] { m_options->showOptions(); });
    wire("mnuInsertTemplatesEdit", [this] { m_options->showOptions(6); });
    wire("mnuToolsKeyWordEditor", [this] { m_options->showKeywordEditor(); });
    wire("mnuToolsRefreshSyntax", [this] { RefreshHighlighting(); });
    wire("mnuToolsNoHighLight", [this] { NoHighlighting(); });
    wire("mnuSyntaxNoHighlight", [this] { NoHighlighting(); });
    if (QMenu *programming = menuBar()->findChild<QMenu *>(QStringLiteral("mnuProgramming")))
        connect(programming, &QMenu::aboutToShow, this, [this, programming] { m_languages->buildLanguageMenu(programming); });
    wire("mnuToolsCompile", [this] { m_tools->compiler().Compile(); });
    wire("mnuToolsExplorer", [this] { m_tools->shell().Explorer(); });
    wire("mnuToolsCommandPrompt", [this] { m_tools->shell().CommandPrompt(); });
    wire("mnuToolsKeyboardSettings", [this] { m_tools->shell().KeyboardSettings(); });
    wire("mnuToolsMouseSettings", [this] { m_tools->shell().MouseSettings(); });
    wire("mnuToolsOpenFileInDefaultBrowser", [this] { m_tools->shell().OpenFileInDefaultBrowser(); });
    wire("mnuHelpWebsite", [this] { m_tools->shell().VisitWebsite(); });
    wire("mnuToolsURL", [this] { m_tools->DataFromUrl(); });
    m_tools->adjustMenus(this);
}

QString frmMain::keywordsFolder() const
{
    return m_folders.writablePath(QStringLiteral("keywords"));
}

QStringList frmMain::keywordsFolders() const
{
    return m_folders.searchFolders(QStringLiteral("keywords"));
}

bool frmMain::languageActive() const
{
    return language.languageActive;
}

void frmMain::LoadLanguage(const QString &fileName, bool renderNow)
{
    m_languages->LoadLanguage(fileName, renderNow);
}

void frmMain::RefreshHighlighting()
{
    m_languages->RefreshHighlighting();
}

void frmMain::NoHighlighting()
{
    m_languages->NoHighlighting();
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
    if (DesktopIntegration::moveToTrash(strfilename) == DesktopIntegration::Removal::Failed) {
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
    m_status->setIdleHint(QString());
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
    m_status->setText(text);
}

QString frmMain::caption() const
{
    return windowCaption(strfilename, isDocumentSaved, QString::fromLatin1(Title));
}

void frmMain::updateTitle()
{
    setWindowTitle(caption());
    if (m_commands)
        m_commands->scheduleRefresh();
}

void frmMain::updateXY(int shift)
{
    m_status->showCaret(surface(), encoding);
    lineBox->PlaceLineBox();
    PicLines->update();
    if (m_search)
        m_search->onCaretMoved(shift);
    if (m_commands)
        m_commands->scheduleRefresh();
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
    m_edit->Undo();
}

void frmMain::Crop()
{
    m_edit->Crop();
}

void frmMain::CopyAsRichText(bool cut)
{
    m_edit->CopyAsRichText(cut);
}

void frmMain::runFocusChecks()
{
    // A question of an earlier round is still open: its answer settles this round too.
    if (m_inFocusChecks)
        return;
    const QScopedValueRollback guard(m_inFocusChecks, true);
    refreshCapsLock();
    EditorSurface &s = surface();
    // The settings decide what happens to the document, so another window's save comes first.
    if (m_changes->settingsChanged()) {
        LoadMySettings(true);
        RefreshHighlighting();
    }
    const auto checks = m_changes->runChecks(strfilename, s.selStart(), s.selLength(),
                                             {settings.DisableFileChangeDetection, settings.AutoUpdateChangedFiles,
                                              textDiffersFromSaved()});
    if (checks.reloadRecentFiles) {
        recentFiles.LoadRecentFiles();
        refreshRecentMenu();
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
    m_commands->scheduleRefresh();
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
    if (key == Qt::Key_CapsLock)
        refreshCapsLock();
    updateXY(shift);
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

void frmMain::surfaceDragLeave()
{
    m_status->setText(m_status->toolTipCaption);
}

void frmMain::surfaceDragDrop(const QStringList &files, int shift)
{
    setToolTipText(QString());
    const FileDrop::Plan plan = FileDrop::plan(files, shift);
    switch (plan.action) {
    case FileDrop::Action::Open:
        for (const QString &file : files)
            FileOpen(file);
        return;
    case FileDrop::Action::InsertContent:
        for (const QString &file : files)
            InsertContentFromFile(file);
        return;
    case FileDrop::Action::InsertText:
        AddHistory();
        surface().setSelText(plan.text);
        isDocumentSaved = false;
        updateTitle();
        return;
    }
}

void frmMain::surfaceTextDropped()
{
    m_live->afterDrop();
}

void frmMain::surfaceContextMenu(const QPoint &globalPos)
{
    if (QMenu *edit = menuBar()->findChild<QMenu *>(QStringLiteral("mnuEdit")))
        edit->popup(globalPos);
}

void frmMain::surfaceAboutToPaste()
{
    AddHistory();
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

std::optional<QString> frmMain::SaveMySettings()
{
    std::optional<QString> error = m_store.SaveMySettings(settings);
    LastModifiedSettings = m_store.settingsFileStamp();
    m_changes->recordSettingsTime();
    return error;
}

void frmMain::SaveMySettings2()
{
    storePlacement();
    m_store.SaveMySettings2(settings);
}

void frmMain::applyPlacement()
{
    WindowPlacement::apply(this, settings.placement);
}

void frmMain::storePlacement()
{
    WindowPlacement::store(this, settings.placement);
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
    m_status->showHint(text);
}

void frmMain::toolTipTick()
{
    m_status->tick();
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
    if (key == Qt::Key_Menu) {
        const QPoint caret = surface().caretPos();
        surfaceContextMenu(txtText()->viewport()->mapToGlobal(QPoint(caret.x(), caret.y() + txtText()->textHeight(0))));
        key = 0;
        return;
    }
    const bool command = (shift & CtrlMask) && !(shift & AltMask);
    // Ctrl+Backspace and Ctrl+Delete delete words: edits like any other.
    const bool deletes = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    const bool editKey = key == Qt::Key_Tab || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    const bool typesText = deletes || (!command && (editKey || (key > 0 && key < Qt::Key_Escape)));
    if (typesText && m_history->position() == 0)
        AddHistory();
    else if ((!command && (editKey || key == Qt::Key_Backspace || (key == Qt::Key_Delete && surface().selLength() > 0)))
             || (command && deletes))
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
    updateXY();
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
