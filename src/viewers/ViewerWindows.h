#pragma once

#include "CommandContext.h"

#include "PrintSession.h"

#include <QObject>
#include <QPointer>

class QMenu;
class ViewerHost;
class frmASCIITable;
class frmTip;

// The commands of the viewer, printing and help windows, the printer chosen for the session and
// the two modeless windows (ASCII table, tip of the day), each open at most once.
class ViewerWindows : public QObject {
    Q_OBJECT
public:
    explicit ViewerWindows(ViewerHost &host, QObject *parent = nullptr);

    void ShowHex();          // mnuToolsHex, Ctrl+H
    void ShowASCIITable();   // mnuFormatASCIITable
    void PageSetup();        // mnuFilePageSetup
    void Print();            // mnuFilePrint, Ctrl+P
    void HelpIndex();        // mnuHelpIndex, F1
    void ShowTip();          // mnuHelpTipoftheDay
    void About();            // mnuHelpAbout
    // At start-up, once the main window is up: the tip of the day when ShowTip is on.
    void ShowTipAtStartUp();
    // The Help menu is opening.
    void refreshHelpMenu(QMenu *help);
    // Connects the viewer, printing and Help commands; help is refreshed each time it opens.
    void registerCommands(const WireCommand &wire, QMenu *help);

    // The ASCII table chose a character.
    void insertCharacter(const QString &text);

    PrintSession &printSession();
    frmTip *tipWindow() const;

private:
    ViewerHost &m_host;
    PrintSession m_print;
    bool m_printerAsked = false;
    QPointer<frmASCIITable> m_ascii;
    QPointer<frmTip> m_tip;
};
