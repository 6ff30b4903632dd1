#pragma once

#include "CommandContext.h"

#include "CompilerRunner.h"
#include "ShellTools.h"
#include "UrlFetcher.h"

#include <QObject>

#include <memory>

class ToolsHost;

// The external tools of the main window: the compiler runner, the shell and web commands and
// Insert > Data From URL.
class ExternalTools : public QObject {
    Q_OBJECT
public:
    explicit ExternalTools(std::unique_ptr<ToolsHost> host, QObject *parent = nullptr);
    ~ExternalTools() override;

    ToolsHost &host() { return *m_host; }
    CompilerRunner &compiler() { return *m_compiler; }
    ShellTools &shell() { return m_shell; }
    UrlFetcher &fetcher() { return *m_fetcher; }

    // Insert > Data From URL: the "Open URL" dialog, then the body at the caret.
    void DataFromUrl();
    // The last address fetched successfully in this session.
    QString LastUrl;

    // The settings items are hidden where the desktop has no settings tool for them.
    void adjustMenus(QWidget *window);
    // Connects the compile, shell and web commands, then adjusts the menus of window.
    void registerCommands(const WireCommand &wire, QWidget *window);

private:
    std::unique_ptr<ToolsHost> m_host;
    CompilerRunner *m_compiler;
    ShellTools m_shell;
    UrlFetcher *m_fetcher;
};
