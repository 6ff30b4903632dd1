#pragma once

#include "SearchHost.h"

class frmMain;

// What the search windows borrow from the main window.
class MainSearchHost : public SearchHost {
public:
    explicit MainSearchHost(frmMain &window) : m_window(window) {}
    EditorSurface &surface() override;
    Settings &settings() override;
    QString appFolder() const override;
    void AddHistory() override;
    bool highlightingActive() const override;
    void renderRange(int start, int length) override;
    void renderDocument() override;
    void showHint(const QString &text) override;
    bool isMarkupLanguage() const override;
    bool isBinaryMode() const override;
    void refreshStatusBar() override;
    void redrawGutter() override;
    QWidget *ownerWindow() override;
    QString documentPath() const override;
    const LanguageDefinition &language() const override;
    void openElsewhere(const QString &path, Launcher::Position at) override;
    std::optional<QList<Symbol>> keptSymbols() override;
    bool readSymbols(std::function<void()> whenRead) override;

private:
    frmMain &m_window;
};
