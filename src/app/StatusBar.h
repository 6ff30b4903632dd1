#pragma once

#include "StatusLabelAccessible.h"
#include "TextCodec.h"

#include <QObject>
#include <QString>

#include <functional>

class EditorSurface;
class QMainWindow;
class QTimer;
struct Settings;

// The main window's status bar: caret position, sizes, the document's modes, INS/OVR, CAPS and the
// hint label whose messages fall back to the idle text after twenty ticks.
class StatusBar : public QObject {
    Q_OBJECT
public:
    StatusBar(QMainWindow *window, const Settings &settings);

    // How the document is written: what its size on disk depends on.
    struct SavedForm {
        TextEncoding encoding = TextEncoding::Utf8;
        bool bom = false;
        bool unixEndings = false;   // the surface's CR LF pairs are written as LF
    };
    // Line:column (with "(WW)"), then the selection's or the text's size in bytes as saved.
    void showCaret(const EditorSurface &surface, const SavedForm &form);
    // After a change: the size, and "ASCII"/"UTF-8" of a UTF-8 document following its text both ways.
    void showDocumentChange(const EditorSurface &surface, const SavedForm &form);
    // Bytes the range takes when written in form; the whole document adds its byte-order mark.
    static qint64 savedBytes(const EditorSurface &surface, int start, int length, const SavedForm &form);
    // A hint that returns to the idle text after 20 ticks of tmrToolTip.
    void showHint(const QString &text);
    // The idle text (the language's name, or nothing), shown now.
    void setIdleHint(const QString &text);
    void setText(const QString &text);
    void tick();
    bool overwriteShown() const;
    // CAPS follows the lock where the platform tells its state.
    void refreshCapsLock();

    // What double-clicking the mode labels does: lblOS by the line ending it shows, lblUC by the encoding.
    struct Conversions {
        std::function<void()> dosToUnix;
        std::function<void()> unixToDos;
        std::function<void()> asciiToUnicode;
        std::function<void()> unicodeToAscii;
    };
    void setConversions(Conversions conversions) { m_conversions = std::move(conversions); }

    QString toolTipCaption;
    int toolTipTicks = 0;
    QTimer *tmrToolTip = nullptr;
    StatusField *lblToolTip = nullptr;
    StatusField *lblXY = nullptr;
    StatusField *lblSize = nullptr;
    StatusField *lblOS = nullptr;
    StatusField *lblUC = nullptr;
    StatusField *lblINS = nullptr;
    StatusField *lblCaps = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const Settings &m_settings;
    Conversions m_conversions;
};
