#include "ExternalTools.h"

#include "CommandTable.h"
#include "HistoryLists.h"
#include "Settings.h"
#include "ToolsHost.h"
#include "frmURL.h"
#include "modURLRetrieve.h"

#include <QAction>
#include <QWidget>

ExternalTools::ExternalTools(std::unique_ptr<ToolsHost> host, QObject *parent)
    : QObject(parent)
    , m_host(std::move(host))
    , m_compiler(new CompilerRunner(*m_host, this))
    , m_shell(*m_host)
    , m_fetcher(new UrlFetcher(this))
{
}

ExternalTools::~ExternalTools() = default;

void ExternalTools::DataFromUrl()
{
    const HistoryLists lists(m_host->appFolder());
    frmURL dialog(m_host->ownerWindow(), *m_fetcher, lists.LoadHistory(HistoryLists::Urls), LastUrl,
                  m_host->settings().AlwaysOnTop);
    if (dialog.exec() != QDialog::Accepted)
        return;
    lists.AddToHistory(dialog.typedAddress(), HistoryLists::Urls);
    m_host->insertText(modURLRetrieve::normaliseLineBreaks(dialog.fetchedText()));
    LastUrl = dialog.typedAddress();
}

void ExternalTools::adjustMenus(QWidget *window)
{
    if (QAction *keyboard = CommandTable::findCommand(window, "mnuToolsKeyboardSettings"))
        keyboard->setVisible(m_shell.hasSettingsTool(ShellTools::SettingsPanel::Keyboard));
    if (QAction *mouse = CommandTable::findCommand(window, "mnuToolsMouseSettings"))
        mouse->setVisible(m_shell.hasSettingsTool(ShellTools::SettingsPanel::Mouse));
}

void ExternalTools::registerCommands(const WireCommand &wire, QWidget *window)
{
    wire("mnuToolsCompile", [this] { compiler().Compile(); });
    wire("mnuToolsExplorer", [this] { shell().Explorer(); });
    wire("mnuToolsCommandPrompt", [this] { shell().CommandPrompt(); });
    wire("mnuToolsKeyboardSettings", [this] { shell().KeyboardSettings(); });
    wire("mnuToolsMouseSettings", [this] { shell().MouseSettings(); });
    wire("mnuToolsOpenFileInDefaultBrowser", [this] { shell().OpenFileInDefaultBrowser(); });
    wire("mnuHelpWebsite", [this] { shell().VisitWebsite(); });
    wire("mnuToolsURL", [this] { DataFromUrl(); });
    adjustMenus(window);
}
