#include "ShellTools.h"

#include "Prompter.h"
#include "ShellWords.h"
#include "ToolsHost.h"
#include "modURLRetrieve.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#ifndef ORVANE_WEBSITE
#define ORVANE_WEBSITE ""
#endif

namespace {

struct SettingsTool {
    const char *desktop;   // as $XDG_CURRENT_DESKTOP names it
    const char *keyboard;  // command lines
    const char *mouse;
};

const SettingsTool kSettingsTools[] = {
    {"GNOME", "gnome-control-center keyboard", "gnome-control-center mouse"},
    {"KDE", "systemsettings kcm_keyboard", "systemsettings kcm_mouse"},
    {"KDE", "systemsettings5 kcm_keyboard", "systemsettings5 kcm_mouse"},
    {"XFCE", "xfce4-keyboard-settings", "xfce4-mouse-settings"},
    {"MATE", "mate-keyboard-properties", "mate-mouse-properties"},
    {"X-Cinnamon", "cinnamon-settings keyboard", "cinnamon-settings mouse"},
    {"LXQt", "lxqt-config-input", "lxqt-config-input"},
    {"LXDE", "lxinput", "lxinput"},
};

const char *const kTerminals[] = {"gnome-terminal", "konsole", "xfce4-terminal", "mate-terminal", "lxterminal",
                                  "qterminal", "terminator", "tilix", "alacritty", "kitty", "foot", "xterm"};

std::optional<ShellTools::Command> installed(const QString &commandLine, const ShellTools::Finder &find)
{
    const std::optional<QStringList> words = ShellWords::split(commandLine);
    if (!words || words->isEmpty() || find(words->first()).isEmpty())
        return std::nullopt;
    return ShellTools::Command{words->first(), words->mid(1)};
}

} // namespace

ShellTools::ShellTools(ToolsHost &host)
    : m_host(host)
    , m_start([](const Command &command, const QString &folder) {
        return QProcess::startDetached(command.program, command.arguments, folder);
    })
    , m_find([](const QString &program) { return QStandardPaths::findExecutable(program); })
    , m_terminalVariable(qEnvironmentVariable("TERMINAL"))
    , m_desktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))
{
}

QString ShellTools::documentFolder() const
{
    const QFileInfo file(m_host.documentPath());
    if (file.isAbsolute() && file.dir().exists())
        return file.absolutePath();
    return QDir::homePath();
}

void ShellTools::Explorer()
{
    const QString folder = documentFolder();
    QPointer<QWidget> owner = m_host.ownerWindow();
    const auto failed = [owner] {
        askUser(owner, QStringLiteral("Unable to open the folder. Install a file manager first!"),
                QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Information);
    };
    const bool started = m_openFolder ? m_openFolder(folder, failed) : openFolderWithDesktop(folder, failed);
    if (!started)
        failed();
}

bool ShellTools::openFolderWithDesktop(const QString &folder, const std::function<void()> &failedLater)
{
    const QString opener = m_find(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    const QString query = m_find(QStringLiteral("xdg-mime"));
    if (!query.isEmpty()) {
        QProcess ask;
        ask.start(query, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("inode/directory")});
        if (!ask.waitForFinished(5000) || ask.exitStatus() != QProcess::NormalExit || ask.exitCode() != 0
            || ask.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
    // Owned by the window: it ends with it, and so does the report of a late failure.
    auto *process = new QProcess(m_host.ownerWindow());
    QObject::connect(process, &QProcess::finished, process, [process, failedLater](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            failedLater();
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failedLater](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        failedLater();
        process->deleteLater();
    });
    process->start(opener, {folder});
    return true;
}

std::optional<ShellTools::Command> ShellTools::terminalCommand(const QString &terminalVariable, const Finder &find)
{
    if (auto debian = installed(QStringLiteral("x-terminal-emulator"), find))
        return debian;
    if (auto chosen = installed(terminalVariable, find))
        return chosen;
    for (const char *name : kTerminals) {
        if (auto found = installed(QLatin1String(name), find))
            return found;
    }
    return std::nullopt;
}

void ShellTools::CommandPrompt()
{
    const std::optional<Command> terminal = terminalCommand(m_terminalVariable, m_find);
    if (!terminal || !m_start(*terminal, documentFolder()))
        m_host.showHint(QStringLiteral("No terminal emulator could be started"));
}

std::optional<ShellTools::Command> ShellTools::settingsCommand(SettingsPanel panel, const QString &desktop,
                                                               const Finder &find)
{
    const auto lineOf = [panel](const SettingsTool &tool) {
        return QLatin1String(panel == SettingsPanel::Keyboard ? tool.keyboard : tool.mouse);
    };
    const QStringList desktops = desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &name : desktops) {
        for (const SettingsTool &tool : kSettingsTools) {
            if (name.compare(QLatin1String(tool.desktop), Qt::CaseInsensitive) == 0)
                if (auto found = installed(lineOf(tool), find))
                    return found;
        }
    }
    for (const SettingsTool &tool : kSettingsTools) {
        if (auto found = installed(lineOf(tool), find))
            return found;
    }
    return std::nullopt;
}

bool ShellTools::hasSettingsTool(SettingsPanel panel) const
{
    return settingsCommand(panel, m_desktop, m_find).has_value();
}

void ShellTools::openSettings(SettingsPanel panel)
{
    const std::optional<Command> tool = settingsCommand(panel, m_desktop, m_find);
    if (!tool || !m_start(*tool, QDir::homePath()))
        m_host.showHint(QStringLiteral("The desktop's settings could not be opened"));
}

void ShellTools::OpenFileInDefaultBrowser()
{
    const QString path = m_host.documentPath();
    // A browser given the title of a never-saved document would only report a missing page.
    if (!QFileInfo(path).isAbsolute()) {
        askUser(m_host.ownerWindow(), QStringLiteral("Please save your file before opening it in the browser!"),
                QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Information);
        return;
    }
    modURLRetrieve::OpenUrl(path, m_host.ownerWindow());
}

QString ShellTools::websiteAddress() const
{
    const QString configured = QStringLiteral(ORVANE_WEBSITE);
    if (!configured.isEmpty())
        return configured;
    return QDir(m_host.appFolder()).filePath(QStringLiteral("help/index.html"));
}

void ShellTools::VisitWebsite()
{
    const QString address = websiteAddress();
    if (QFileInfo(address).isAbsolute() && !QFileInfo::exists(address)) {
        askUser(m_host.ownerWindow(), QStringLiteral("The manual is not installed: ") + address,
                QStringLiteral("Orvane"), QMessageBox::Ok, QMessageBox::Information);
        return;
    }
    modURLRetrieve::OpenUrl(address, m_host.ownerWindow());
}
