#pragma once

#include "ToolsHost.h"

class frmMain;

// The external tools' view of the main window.
class MainToolsHost : public ToolsHost {
public:
    explicit MainToolsHost(frmMain &window) : m_window(window) {}

    EditorSurface &surface() override;
    const Settings &settings() const override;
    QString appFolder() const override;
    QString documentPath() const override;
    bool isDocumentSaved() const override;
    bool saveDocument() override;
    bool languageActive() const override;
    QString compilerCommand() const override;
    bool openLanguageEditor() override;
    void insertText(const QString &text) override;
    void showHint(const QString &text) override;
    QWidget *ownerWindow() override;

private:
    frmMain &m_window;
};
