#include "modStartUp.h"

#include "AppFolders.h"
#include "CommandLineOptions.h"
#include "DesktopIntegration.h"
#include "TextCodec.h"
#include "FileIO.h"
#include "InstanceLock.h"
#include "Launcher.h"
#include "LineNavigation.h"
#include "LoadPreparation.h"
#include "Prompter.h"
#include "RecoveryOffer.h"
#include "RecoveryWriter.h"
#include "SearchWindows.h"
#include "SingleInstance.h"
#include "ViewerWindows.h"
#include "WindowPlacement.h"
#include "CriticalError.h"
#include "frmMain.h"

#include <memory>
#include "modTransparent.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <utility>
#include <vector>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace modStartUp {

namespace {

const QString kTitle = QStringLiteral("Orvane");
// Set only around the start of a process that must open its own argument.
// The path's bytes in hex, when starting a process would turn the argument into another name.

QString withoutQuotes(QString token)
{
    return token.remove(QLatin1Char('"'));
}

QString withoutTrailingBlanks(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// The quoting rule leaves a blank after a group quoted in one token; a file name seldom ends in
// one, so the blank is only kept when a file of exactly that name exists.
QString resolveArgument(const QString &argument, const QString &currentDir)
{
    if (FileExists(makeAbsolute(argument, currentDir)))
        return argument;
    return withoutTrailingBlanks(argument);
}

bool createEmptyFile(const QString &path)
{
    const int fd = ::open(FileIO::encodePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    askUser(nullptr, QStringLiteral("Couldn't create ") + path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno)),
            kTitle, QMessageBox::Ok, QMessageBox::Critical);
    return false;
}

void goToPosition(EditorSurface &surface, CommandLineOptions::Position position)
{
    surface.setSelStart(LineNavigation::GotoTarget(position.line, std::max(position.column, 1), surface.text()));
}

void showEmpty(frmMain &window)
{
    window.show();
    window.updateTitle();
}

} // namespace

QStringList splitCommandLine(const QString &commandLine)
{
    QStringList arguments;
    QString group;
    bool insideQuotes = false;
    const QStringList tokens = commandLine.split(QLatin1Char(' '));
    for (const QString &token : tokens) {
        const bool hasQuote = token.contains(QLatin1Char('"'));
        if (!insideQuotes) {
            if (!hasQuote) {
                arguments << token;
            } else if (token.endsWith(QLatin1Char('"'))) {
                arguments << withoutQuotes(token) + QLatin1Char(' ');
            } else {
                group = withoutQuotes(token) + QLatin1Char(' ');
                insideQuotes = true;
            }
        } else if (!hasQuote) {
            group += token + QLatin1Char(' ');
        } else {
            arguments << group + withoutQuotes(token);
            group.clear();
            insideQuotes = false;
        }
    }
    return arguments;
}

QString wholeLine(const QStringList &arguments)
{
    return arguments.join(QLatin1Char(' '));
}

QString quoteArguments(const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted << (argument.contains(QLatin1Char(' ')) ? QLatin1Char('"') + argument + QLatin1Char('"') : argument);
    return quoted.join(QLatin1Char(' '));
}

QString makeAbsolute(const QString &path, const QString &currentDir)
{
    if (path.startsWith(QLatin1Char('/')))
        return path;
    if (currentDir.endsWith(QLatin1Char('/')))
        return currentDir + path;
    return currentDir + QLatin1Char('/') + path;
}

QStringList commandLineAtStartup(const QStringList &arguments, bool reloadFileAtStartup,
                                 const QString &lastOpenedFile, bool forwarded)
{
    // A last file that is gone would be cut into pieces by the quoting rule and every piece would
    // start a process that reloads the same file again.
    if (reloadFileAtStartup && !forwarded && FileExists(lastOpenedFile))
        return {lastOpenedFile};
    return arguments;
}

CommandLinePlan planCommandLine(const QStringList &arguments, const QString &currentDir,
                                CommandLineOptions::Position position)
{
    CommandLinePlan plan;
    plan.position = position;
    const QString line = wholeLine(arguments);
    if (line.isEmpty())
        return plan;
    // Made absolute even here: a relative path in the recent files or opened_files would name
    // another file once the program runs from another folder.
    if (FileExists(makeAbsolute(line, currentDir))) {
        plan.first = makeAbsolute(line, currentDir);
        plan.firstAsGiven = line;
        plan.firstExists = true;
        return plan;
    }
    QStringList names;
    for (const QString &argument : splitCommandLine(quoteArguments(arguments))) {
        const QString name = resolveArgument(argument, currentDir);
        if (!name.isEmpty())
            names << name;
    }
    if (names.isEmpty())
        return plan;
    plan.firstAsGiven = names.takeFirst();
    plan.first = makeAbsolute(plan.firstAsGiven, currentDir);
    plan.firstExists = FileExists(plan.first);
    if (!plan.firstExists) {
        if (const auto suffixed = CommandLineOptions::positionSuffix(plan.firstAsGiven);
            suffixed && FileExists(makeAbsolute(suffixed->name, currentDir))) {
            plan.firstAsGiven = suffixed->name;
            plan.first = makeAbsolute(suffixed->name, currentDir);
            plan.firstExists = true;
            plan.position = suffixed->position;
        }
    }
    plan.further = names;
    return plan;
}

QString createFileQuestion(const QString &path)
{
    return path + QStringLiteral(" does not exist. \r\nDo you want to create a new file?");
}

StartUpResult OpenFromCommandLine(frmMain &window, SingleInstance &instance, const QString &path,
                                  std::optional<Launcher::Position> at)
{
    if (SingleInstance::handOver(path, 1000, at) == SingleInstance::HandOver::Raised)
        return StartUpResult::HandedOver;
    // Claiming the name before loading closes the gap in which two processes started at once
    // for one file would both open it.
    if (instance.follow(path) == SingleInstance::Claim::OwnedElsewhere
        && SingleInstance::handOver(path, 1000, at) == SingleInstance::HandOver::Raised)
        return StartUpResult::HandedOver;
    window.show();
    window.ReadFile(path, true);
    window.updateTitle();
    if (at)
        window.search().goToPosition(*at);
    // The load may have failed or gone to the outside editor: listen for what the window shows.
    instance.follow(window.document().strfilename);
    return StartUpResult::WindowShown;
}

QList<ClosedWindow> windowsOfLastExit(frmMain &window)
{
    // After a crash the recovery question brings back the windows that were open then.
    if (window.recovery().store().hasOrphans())
        return {};
    return window.openFiles().windowsToReopen([](const QString &path) { return FileExists(path); });
}

StartUpResult StartUp(frmMain &window, SingleInstance &instance, const QStringList &arguments, bool forwarded,
                      CommandLineOptions::Position position, std::optional<Launcher::Position> at, bool firstOfSession)
{
    // The window's constructor has read settings2.ini and settings.ini and recorded the
    // settings file's time; what follows depends on them.
    window.setWindowFlag(Qt::WindowStaysOnTopHint, window.settings().AlwaysOnTop);
    modTransparent::applyTranslucency(&window, window.settings().FormTransparent, window.settings().Lucidity);
    followDocumentPath(window, instance);

    QList<ClosedWindow> lastExit;
    if (window.settings().ReloadFileAtStartup && !forwarded && firstOfSession)
        lastExit = windowsOfLastExit(window);
    if (!lastExit.isEmpty())
        at = Launcher::Position{lastExit.last().line, lastExit.last().column};
    const QStringList commandLine = lastExit.isEmpty()
        ? commandLineAtStartup(arguments, window.settings().ReloadFileAtStartup, window.settings().LastOpenedFile, forwarded)
        : QStringList{lastExit.takeLast().path};
    // The last opened file, put in place of the command line, has no position of its own.
    const CommandLinePlan plan = planCommandLine(commandLine, QDir::currentPath(),
                                                 commandLine == arguments ? position : CommandLineOptions::Position{});
    if (plan.first.isEmpty()) {
        showEmpty(window);
        return StartUpResult::WindowShown;
    }

    StartUpResult result = StartUpResult::NoWindow;
    if (plan.firstExists) {
        result = OpenFromCommandLine(window, instance, plan.first, at);
        if (result == StartUpResult::WindowShown && plan.position.line > 0)
            goToPosition(window.surface(), plan.position);
    } else if (askUser(nullptr, createFileQuestion(plan.firstAsGiven), kTitle, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::Information)
                   == QMessageBox::Yes
               && createEmptyFile(plan.first)) {
        result = OpenFromCommandLine(window, instance, plan.first);
    }

    // Started even when the first file went to another process: those files were asked for too.
    std::vector<std::pair<QString, std::optional<Launcher::Position>>> further;
    for (const QString &name : plan.further)
        further.emplace_back(name, std::nullopt);
    for (const ClosedWindow &other : lastExit)
        further.emplace_back(other.path, Launcher::Position{other.line, other.column});
    bool startedAny = false;
    for (const auto &[name, place] : further) {
        if (Launcher::startForwardedInstance(name, place))
            startedAny = true;
        else
            askUser(nullptr, QStringLiteral("Couldn't start a new window for ") + name, QStringLiteral("Error"),
                    QMessageBox::Ok, QMessageBox::Critical);
    }
    // Declining to create the first file leaves this process with nothing to show; an empty
    // window is better than an invisible process, unless the other files have windows of their own.
    if (result == StartUpResult::NoWindow && !startedAny) {
        showEmpty(window);
        result = StartUpResult::WindowShown;
    }
    return result;
}

namespace {

// A copy comes back unsaved; a window that had no unsaved changes gets its file again.
void showOrphan(frmMain &window, const RecoveryStore::Orphan &orphan)
{
    if (!orphan.windowOnly) {
        window.RecoverDocument(orphan.file, orphan.record);
        return;
    }
    window.ReadFile(orphan.record.path, false);
    window.surface().setSelStart(std::clamp(orphan.record.caret, 0, window.surface().textLength()));
    window.updateXY();
    window.recovery().store().discard(orphan.file);
}

} // namespace

void offerRecovery(frmMain &window, const QString &recoveryFile)
{
    RecoveryStore &store = window.recovery().store();
    if (!recoveryFile.isEmpty()) {
        // Started by the window that asked: this copy alone is ours to show.
        if (!store.claim(recoveryFile))
            return;
        const bool windowOnly = !QFile::exists(recoveryFile);
        auto read = RecoveryStore::read(windowOnly ? RecoveryStore::windowFileOf(recoveryFile) : recoveryFile);
        if (auto *record = std::get_if<RecoveryRecord>(&read))
            showOrphan(window, {recoveryFile, std::move(*record), windowOnly});
        else
            askUser(&window, RecoveryOffer::damagedReport({{recoveryFile, std::get<QString>(read)}}), kTitle,
                    QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const bool windowFree = window.document().isUntitled() && window.document().isDocumentSaved && window.surface().textLength() == 0;
    struct Windows : RecoveryOffer::Host {
        frmMain &window;
        bool windowFree;
        Windows(frmMain &w, bool free) : window(w), windowFree(free) {}
        bool canRestoreHere() const override { return windowFree; }
        QString shownHere() const override { return window.document().isUntitled() ? QString() : window.document().strfilename; }
        void restoreHere(const RecoveryStore::Orphan &orphan) override { showOrphan(window, orphan); }
        bool startElsewhere(const QString &file) override { return Launcher::startRecoveryInstance(file); }
    } windows(window, windowFree);
    RecoveryOffer::run(store, &window, windows);
}

void followDocumentPath(frmMain &window, SingleInstance &instance)
{
    // Every change of the document path re-captions the window.
    QObject::connect(&window, &QWidget::windowTitleChanged, &instance,
                     [&window, &instance] { instance.follow(window.document().strfilename); });
    QObject::connect(&instance, &SingleInstance::goToRequested, &window,
                     [&window](Launcher::Position at) { window.search().goToPosition(at); });
}

int Main(QApplication &app, const QStringList &arguments)
{
    const bool forwarded = Launcher::takeForwardedMark();
    const QString recoveryFile = Launcher::takeRecoveryFile();
    const std::optional<Launcher::Position> at = Launcher::takeForwardedPosition();
    DesktopIntegration::prepareApplication();
    WindowPlacement::keepWindowsOnScreen();
    const AppFolders folders = AppFolders::forThisProcess();
    // A folder that cannot be made shows up later as the lists' and settings' own write errors.
    folders.createWritableFolders();
    const CommandLineOptions::Parsed parsed = CommandLineOptions::parse(arguments);
    const QStringList files = Launcher::restoreForwardedPath(parsed.files);
    // A large file named on the command line is scanned while the window is built.
    if (!files.isEmpty())
        LoadPreparation::start(planCommandLine(files, QDir::currentPath(), parsed.position).first);
    // Held until the process ends: windows started later know they are not the session's first.
    const InstanceLock instances;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<SingleInstance> instance;
    try {
        window = std::make_unique<frmMain>(folders);
        instance = std::make_unique<SingleInstance>(window.get());
        if (StartUp(*window, *instance, files, forwarded || !recoveryFile.isEmpty(), parsed.position, at,
                    !instances.othersRunning())
            != StartUpResult::WindowShown)
            return 0;
        offerRecovery(*window, recoveryFile);
        // A window started for a further file while another runs shows no tip.
        if (!forwarded && recoveryFile.isEmpty() && !instances.othersRunning())
            window->viewers().ShowTipAtStartUp();
    } catch (const std::exception &error) {
        // Going on is only possible when the window itself was built.
        if (!CriticalError::report(window.get(), folders.dataFolder(), 1, QString::fromLocal8Bit(error.what()),
                                   QStringLiteral("frmMain")) || !window)
            return 1;
        window->show();
    }
    return app.exec();
}

} // namespace modStartUp
