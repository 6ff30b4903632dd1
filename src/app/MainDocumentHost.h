#pragma once

#include "DocumentHost.h"

class frmMain;

// What the document commands borrow from the main window.
class MainDocumentHost : public DocumentHost {
public:
    explicit MainDocumentHost(frmMain &window) : m_window(window) {}
    EditorSurface &surface() override;
    Settings &settings() override;
    OpenFilesRegister &openFiles() override;
    QWidget *ownerWindow() override;
    void setToolTipText(const QString &text) override;
    void restoreToolTipText() override;
    void showHint(const QString &text) override;
    void showModes(const QString &lineEnding, const QString &encoding) override;
    void updateTitle() override;
    void refreshView() override;
    std::optional<QString> addRecentFile(const QString &path) override;
    void setLoading(bool loading) override;
    void resetHistory(qint64 fileSize) override;
    void addHistory() override;
    void documentLoaded(const QString &path) override;
    void documentSaved(const QString &path, bool extensionChanged) override;
    void documentClosed() override;
    bool isJavaDocument() const override;
    QString languageExtension() const override;

private:
    frmMain &m_window;
};
