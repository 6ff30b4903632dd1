#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ToolsHost;

// The Tools menu's doors to the desktop: file manager, terminal, keyboard and mouse settings,
// the browser and the web site.
class ShellTools {
public:
    struct Command {
        QString program;
        QStringList arguments;
        bool operator==(const Command &) const = default;
    };
    enum class SettingsPanel { Keyboard, Mouse };

    // Starts a program on its own in a folder; false when it could not be started.
    using Starter = std::function<bool(const Command &command, const QString &folder)>;
    // The full path of an installed program, empty when there is none.
    using Finder = std::function<QString(const QString &program)>;
    // Opens a folder in the desktop's file manager: false when there is none to open it; one that
    // was started and gave up calls failedLater.
    using FolderOpener = std::function<bool(const QString &folder, const std::function<void()> &failedLater)>;

    explicit ShellTools(ToolsHost &host);

    void Explorer();
    void CommandPrompt();
    void KeyboardSettings() { openSettings(SettingsPanel::Keyboard); }
    void MouseSettings() { openSettings(SettingsPanel::Mouse); }
    void OpenFileInDefaultBrowser();
    void VisitWebsite();

    // The folder the shell commands start in: the document's, else the home folder.
    QString documentFolder() const;
    // x-terminal-emulator, else $TERMINAL, else the first installed of a short list.
    static std::optional<Command> terminalCommand(const QString &terminalVariable, const Finder &find);
    // The settings tool of the running desktop first ($XDG_CURRENT_DESKTOP), else any installed one.
    static std::optional<Command> settingsCommand(SettingsPanel panel, const QString &desktop, const Finder &find);
    bool hasSettingsTool(SettingsPanel panel) const;
    // The configured web site, or the shipped manual when none was configured at build time.
    QString websiteAddress() const;

    void setStarter(Starter starter) { m_start = std::move(starter); }
    void setFinder(Finder finder) { m_find = std::move(finder); }
    void setFolderOpener(FolderOpener opener) { m_openFolder = std::move(opener); }
    void setEnvironment(const QString &terminalVariable, const QString &desktop)
    {
        m_terminalVariable = terminalVariable;
        m_desktop = desktop;
    }

private:
    void openSettings(SettingsPanel panel);
    // xdg-open, once xdg-mime names a handler for folders (xdg-open itself reports success even
    // when nothing handles them); its exit code decides afterwards.
    bool openFolderWithDesktop(const QString &folder, const std::function<void()> &failedLater);

    ToolsHost &m_host;
    Starter m_start;
    Finder m_find;
    FolderOpener m_openFolder;
    QString m_terminalVariable;
    QString m_desktop;
};
