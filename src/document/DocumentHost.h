#pragma once

#include <QString>

#include <optional>

class EditorSurface;
class OpenFilesRegister;
class QWidget;
struct Settings;

// What the document commands borrow from the main window.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    virtual EditorSurface &surface() = 0;
    virtual Settings &settings() = 0;
    virtual OpenFilesRegister &openFiles() = 0;
    // Owner of the questions and dialogs.
    virtual QWidget *ownerWindow() = 0;

    // The status bar: the busy text of lblToolTip, a passing hint, the mode labels lblOS and lblUC.
    virtual void setToolTipText(const QString &text) = 0;
    // lblToolTip back to its idle text.
    virtual void restoreToolTipText() = 0;
    virtual void showHint(const QString &text) = 0;
    virtual void showModes(const QString &lineEnding, const QString &encoding) = 0;
    virtual void updateTitle() = 0;
    // Gutter, status bar and caret display after the text was replaced.
    virtual void refreshView() = 0;

    // Puts the path at the top of the recent files; the error text when the list couldn't be written.
    virtual std::optional<QString> addRecentFile(const QString &path) = 0;
    virtual void setLoading(bool loading) = 0;
    virtual void resetHistory(qint64 fileSize) = 0;
    virtual void addHistory() = 0;

    // After a load: the change detector records the file, the language follows its extension.
    virtual void documentLoaded(const QString &path) = 0;
    // After a save, the last call of it: caption, view and the language follow the saved file.
    virtual void documentSaved(const QString &path, bool extensionChanged) = 0;
    // Close: the language and its hints are forgotten.
    virtual void documentClosed() = 0;

    // The current language: whether it is the one named "java", and its first extension.
    virtual bool isJavaDocument() const = 0;
    virtual QString languageExtension() const = 0;
};
