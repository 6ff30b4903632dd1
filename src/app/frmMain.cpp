#include "frmMain.h"

#include "Authoring.h"
#include "DocumentCommands.h"
#include "DocumentReader.h"
#include "DocumentSaver.h"
#include "ChangeDetector.h"
#include "CommandController.h"
#include "CommandStateSource.h"
#include "ExternalTools.h"
#include "MainToolsHost.h"
#include "CommandTable.h"
#include "DesktopIntegration.h"
#include "EditController.h"
#include "LanguageMenu.h"
#include "MainDocumentHost.h"
#include "OutsideChanges.h"
#include "RecoveryWriter.h"
#include "MainSearchHost.h"
#include "MainTypingHost.h"
#include "MainToolBar.h"
#include "MainWindowHooks.h"
#include "StatusBar.h"
#include "TransformCommands.h"
#include "TypingAids.h"
#include "WindowCaption.h"
#include "WindowPlacement.h"
#include "UndoHistory.h"
#include "Highlighter.h"
#include "LanguageAssist.h"
#include "LiveHighlighter.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "MainOptionsHost.h"
#include "Launcher.h"
#include "modTransparent.h"
#include "Prompter.h"
#include "ScintillaSurface.h"
#include "SearchWindows.h"
#include "MainViewerHost.h"
#include "ViewerWindows.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QTimer>

frmMain::frmMain(const AppFolders &folders, QWidget *parent)
    : QMainWindow(parent)
    , m_recentFiles(folders.dataFolder())
    , m_openFiles(folders.dataFolder())
    , m_appFolder(folders.dataFolder())
    , m_folders(folders)
    , m_store(folders.configFolder())
    , m_surface(std::make_unique<ScintillaSurface>(this))
{
    m_hooks = std::make_unique<MainWindowHooks>(*this);
    m_highlighter = std::make_unique<Highlighter>(*m_surface, m_settings, m_language, m_docFlags, m_hooks.get());
    m_live = std::make_unique<LiveHighlighter>(*m_highlighter, m_settings, m_language);
    m_history = std::make_unique<UndoHistory>(*m_surface);
    m_searchHost = std::make_unique<MainSearchHost>(*this);
    m_search = new SearchWindows(*m_searchHost, this);
    m_status = new StatusBar(this, m_settings);
    m_languages = std::make_unique<LanguageMenu>(*m_hooks, m_language, m_docFlags, *m_highlighter, keywordsFolders());
    m_transforms = std::make_unique<TransformCommands>(*m_hooks);
    m_authoring = std::make_unique<Authoring>(*m_hooks, m_language, m_folders, *m_live);
    m_edit = std::make_unique<EditController>(*m_hooks, *m_history, *m_hooks);
    m_viewerHost = std::make_unique<MainViewerHost>(*this);
    m_viewers = new ViewerWindows(*m_viewerHost, this);
    m_tools = new ExternalTools(std::make_unique<MainToolsHost>(*this), this);
    m_options = std::make_unique<MainOptionsHost>(*this);
    m_changes = std::make_unique<ChangeDetector>(m_store.settingsPath());
    m_documentHost = std::make_unique<MainDocumentHost>(
        *this, MainDocumentHost::Neighbours{*m_surface, m_settings, m_openFiles, m_recentFiles, *this, m_language,
                                            m_docFlags, m_indentation, *m_status, *m_history, *m_changes, *m_languages});
    m_saver = std::make_unique<DocumentSaver>(*m_documentHost, state());
    m_reader = std::make_unique<DocumentReader>(*m_documentHost, state(), *m_saver);
    m_documents = std::make_unique<DocumentCommands>(*m_documentHost, state(), *m_reader, *m_saver);
    m_status->setConversions({[this] { ConvertDosToUnix(); }, [this] { ConvertUnixToDos(); },
                              [this] { ConvertAsciiToUnicode(); }, [this] { ConvertUnicodeToAscii(); }});
    m_recovery = std::make_unique<RecoveryWriter>(m_folders.recoveryFolder(), *m_surface, state(), *m_hooks);
    m_outsideChanges = std::make_unique<OutsideChanges>(*m_changes, state(), *m_surface, m_settings, this, *m_hooks);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (m_changes->applicationActive(state == Qt::ApplicationActive))
            runFocusChecks();
    });
    setObjectName(QStringLiteral("frmMain"));
    m_chrome = std::make_unique<EditorChrome>(this, *m_surface, m_settings);
    m_assist = std::make_unique<LanguageAssist>(
        *m_surface, m_settings, m_language, lngFileSize, m_surface->view(), *m_hooks);
    m_typingHost = std::make_unique<MainTypingHost>(
        *this, MainTypingHost::Neighbours{*m_surface, *m_history, *m_search, *m_live, *m_assist, *m_status, *m_hooks});
    m_typing = std::make_unique<TypingAids>(*m_surface, m_settings, *m_typingHost);
    m_surface->setEventSink(this);
    m_surface->setKeyHandler(m_typing.get());
    buildMenus();
    m_chrome->setToolBar(MainToolBar::build(this, m_folders.shippedFolder(),
                                            [this](const QString &tip) { showHint(tip); },
                                            [this] { surface().setFocus(); }));
    m_chrome->PicLines->setBookmarkQuery([this](int row) { return m_search->isBookmarkedRow(row); });
    DesktopIntegration::nameControls(*this);

    activate = new QTimer(this);
    activate->setObjectName(QStringLiteral("activate"));
    activate->setInterval(500);
    activate->setSingleShot(true);
    connect(activate, &QTimer::timeout, this, &frmMain::finishStartUp);

    LoadMySettings2();
    LoadMySettings(false);
    WindowPlacement::apply(this, m_settings.placement);
    // The empty document is the saved state: closing it untouched asks nothing.
    m_saver->resetDocumentState(strfilename);
    updateXY();
}

frmMain::~frmMain()
{
    m_surface->setEventSink(nullptr);
    m_surface->setKeyHandler(nullptr);
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

void frmMain::buildMenus()
{
    CommandTable::buildMenuBar(menuBar(), this);
    auto *state = new CommandStateSource({*m_surface, *this, m_settings, m_language, *m_history, *m_search, *m_assist}, this);
    m_commands = new CommandController(this, [state] { return state->state(); });
    m_documentHost->setCommands(m_commands);
    connect(state, &CommandStateSource::clipboardChanged, m_commands, &CommandController::scheduleRefresh);
    m_commands->scheduleRefresh();
    m_commands->setAfterCommand([this] {
        m_assist->caretMovedByCommand();
        if (!m_assist->listVisible())   // the keyword list keeps the keys it was opened for
            surface().setFocus();
    });
    // The widget's own binding of a key the program defines would act behind the program's back.
    txtText()->removeKeyBindings(CommandController::commandKeys());
    mnuFile = menuBar()->findChild<QMenu *>(QStringLiteral("mnuFile"));
    const WireCommand wireCommand = [this](const char *name, std::function<void()> handler) { wire(name, handler); };
    m_documents->registerCommands(wireCommand);
    mnuFileOpen = CommandTable::findCommand(this, "mnuFileOpen");
    wire("mnuFileNew", [this] {
        if (!Launcher::startInstance())
            askUser(this, QStringLiteral("Couldn't start a new window."), QStringLiteral("Error"), QMessageBox::Ok,
                    QMessageBox::Critical);
    });
    mnuFileExit = wire("mnuFileExit", [this] { close(); });
    for (int n = 1; n <= RecentFiles::Count; ++n)
        mnuFileRecent << wire(qPrintable(QStringLiteral("mnuFile%1").arg(n)), [this, n] { FileOpen(m_recentFiles.entry(n)); });
    if (QAction *lines = wire("mnuFormatToggleLineNumbers", [this] { ToggleLineNumbers(); }))
        lines->setChecked(true);
    connect(mnuFile, &QMenu::aboutToShow, this, &frmMain::refreshRecentMenu);

    m_edit->registerCommands(wireCommand);
    m_transforms->registerCommands(wireCommand);
    m_authoring->registerCommands(wireCommand);
    m_typing->registerCommands(wireCommand, this);

    m_search->registerCommands(wireCommand);
    m_viewers->registerCommands(wireCommand, menuBar()->findChild<QMenu *>(QStringLiteral("mnuHelp")));
    m_options->registerCommands(wireCommand);
    m_languages->registerCommands(wireCommand, menuBar()->findChild<QMenu *>(QStringLiteral("mnuProgramming")));
    m_tools->registerCommands(wireCommand, this);
    m_assist->registerCommands(wireCommand);
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
    return m_language.languageActive;
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
    m_chrome->toggleLineNumbers();
    m_settingsChanged = true;
}

void frmMain::RecoverDocument(const QString &file, const RecoveryRecord &record)
{
    m_documents->Recover(record);
    if (const auto error = m_recovery->adopt(file))
        showHint(*error);
    if (!record.fileStamp.isEmpty()) {
        m_changes->recordDocumentTime(record.fileStamp);
        runFocusChecks();
    }
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

void frmMain::refreshRecentMenu()
{
    for (int n = 1; n <= RecentFiles::Count; ++n) {
        QAction *entry = mnuFileRecent[n - 1];
        const QString path = m_recentFiles.entry(n);
        entry->setText(m_recentFiles.caption(n));
        entry->setVisible(!path.isEmpty());
        entry->setEnabled(!path.isEmpty());
    }
}

QString frmMain::caption() const
{
    return windowCaption(strfilename, isDocumentSaved, QString::fromLatin1(Title));
}

void frmMain::markChanged()
{
    if (!isDocumentSaved)
        return;
    isDocumentSaved = false;
    updateTitle();
}

void frmMain::updateTitle()
{
    setWindowTitle(caption());
    if (m_commands)
        m_commands->scheduleRefresh();
}

void frmMain::updateXY(int shift)
{
    m_status->showCaret(surface(), savedForm());
    m_chrome->caretMoved();
    if (m_search)
        m_search->onCaretMoved(shift);
    if (m_commands)
        m_commands->scheduleRefresh();
}

StatusBar::SavedForm frmMain::savedForm() const
{
    return {encoding, utf8Bom, isUnix && !isBinary};
}

void frmMain::refreshView()
{
    m_chrome->redrawGutter();
    updateXY();
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
    if (result.clearSavedFlag)
        markChanged();
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
    refreshCapsLock();
    m_outsideChanges->run();
}

void frmMain::InsertContentFromFile(const QString &path)
{
    m_documents->InsertContentFromFile(path);
}

void frmMain::surfaceChange()
{
    m_history->noteChange();
    m_highlighter->noteChange();
    m_recovery->noteChange();
    m_commands->scheduleRefresh();
    if (isLoading || !surface().isVisible())
        return;
    m_chrome->fitGutter();
    m_status->showDocumentChange(surface(), savedForm());
    if (isDocumentSaved && m_saver->textDiffersFromSaved())
        markChanged();
}

void frmMain::surfaceSelectionChanged()
{
    m_recovery->noteCaret();
    updateXY();
}

void frmMain::surfaceScrolled()
{
    m_chrome->scrolled();
    m_highlighter->viewMoved();
}

void frmMain::surfaceMouseUp(int, int, int, int)
{
    m_search->onMouseEvent();
    m_chrome->PicLines->update();
}

void frmMain::surfaceMouseDown(int, int, int, int)
{
    m_assist->hideTip();
    m_search->onMouseEvent();
}

void frmMain::surfaceGotFocus()
{
    m_chrome->gotFocus(m_status->overwriteShown());
}

void frmMain::surfaceDragOver(const QStringList &, int)
{
    m_documents->dragOver();
}

void frmMain::surfaceDragLeave()
{
    m_documents->dragLeave();
}

void frmMain::surfaceDragDrop(const QStringList &files, int shift)
{
    m_documents->dropFiles(files, shift);
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
    m_settings = m_store.LoadMySettings2(m_settings);
}

void frmMain::LoadMySettings(bool reload)
{
    m_settings = m_store.LoadMySettings(m_settings, reload ? SettingsLoad::Reload : SettingsLoad::StartUp);
    m_chrome->applySettings();
    modTransparent::applyTranslucency(this, m_settings.FormTransparent, m_settings.Lucidity);
    m_recentFiles.LoadRecentFiles();
    refreshRecentMenu();
    m_authoring->LoadTemplates();
    m_typing->AddIgnoreElements(m_folders.readablePath(QStringLiteral("ignoreclosetag.txt")));
}

std::optional<QString> frmMain::SaveMySettings()
{
    std::optional<QString> error = m_store.SaveMySettings(m_settings);
    m_changes->recordSettingsTime();
    return error;
}

void frmMain::SaveMySettings2()
{
    WindowPlacement::store(this, m_settings.placement);
    m_store.SaveMySettings2(m_settings);
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
    if (event->type() == QEvent::PaletteChange)
        m_chrome->paletteChanged();
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_startedUp) {
        m_chrome->activated();
        surface().setFocus();
    }
}

void frmMain::finishStartUp()
{
    activate->stop();
    refreshCapsLock();
    m_chrome->startUp();
    updateXY();
    EditorSurface &s = surface();
    s.setSelColor(m_settings.fcolor);
    if (m_settings.WordWrap)
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
    m_status->refreshCapsLock();
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

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    SaveMySettings2();
    if (m_settingsChanged || !QFileInfo::exists(m_store.settingsPath()))
        SaveMySettings();
    m_openFiles.recordClosedWindow(strfilename, surface());
    m_openFiles.UnregisterOpenFile(strfilename);
    m_recovery->finish();
    event->accept();
}
