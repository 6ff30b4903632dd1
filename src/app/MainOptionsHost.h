#pragma once

#include "CommandContext.h"

#include "OptionsHost.h"

class frmMain;

// The main window as the options dialog and the language definition editor see it; also opens them.
class MainOptionsHost : public OptionsHost {
public:
    explicit MainOptionsHost(frmMain &window) : m_window(window) {}

    // The options dialog, modal; page 1 … 6 first sets LastOptionViewed.
    void showOptions(int page = 0);
    // Options, Edit Templates (the Templates page) and the keyword editor.
    void registerCommands(const WireCommand &wire);
    // The language definition editor, modal; afterwards the document's language is loaded again.
    void showKeywordEditor();

    Settings &settings() override;
    EditorSurface &surface() override;
    const AppFolders &folders() const override;
    QWidget *ownerWindow() override;
    void setLineNumbersVisible(bool visible) override;
    void setToolBarVisible(bool visible) override;
    void applyGutterColors() override;
    void applyWindowFlags(bool translucent, qint16 lucidity, bool alwaysOnTop) override;
    void setCurrentLineVisible(bool visible) override;
    void setTabWidth(int tabWidth) override;
    std::optional<QString> SaveMySettings() override;
    bool highlightingActive() const override;
    void renderDocument() override;
    void AddIgnoreElements() override;
    TemplateSource *templateSource() override;
    void openKeywordEditor() override;
    void optionsClosed() override;

private:
    frmMain &m_window;
};
