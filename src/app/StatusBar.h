#pragma once

#include "DocumentLoader.h"

#include <QObject>
#include <QString>

class EditorSurface;
class QLabel;
class QMainWindow;
class QTimer;
struct Settings;

// The main window's status bar: caret position, sizes, the document's modes, INS/OVR, CAPS and the
// hint label whose messages fall back to the idle text after twenty ticks.
class StatusBar : public QObject {
    Q_OBJECT
public:
    StatusBar(QMainWindow *window, const Settings &settings);

    // Line:column (with "(WW)"), then the selection's or the text's size.
    void showCaret(const EditorSurface &surface, TextEncoding encoding);
    // A hint that returns to the idle text after 20 ticks of tmrToolTip.
    void showHint(const QString &text);
    // The idle text (the language's name, or nothing), shown now.
    void setIdleHint(const QString &text);
    void setText(const QString &text);
    void tick();

    QString toolTipCaption;
    int toolTipTicks = 0;
    QTimer *tmrToolTip = nullptr;
    QLabel *lblToolTip = nullptr;
    QLabel *lblXY = nullptr;
    QLabel *lblSize = nullptr;
    QLabel *lblOS = nullptr;
    QLabel *lblUC = nullptr;
    QLabel *lblINS = nullptr;
    QLabel *lblCaps = nullptr;

private:
    const Settings &m_settings;
};
