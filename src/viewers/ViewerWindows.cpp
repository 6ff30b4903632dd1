#include "ViewerWindows.h"

#include "AboutInfo.h"
#include "EditorSurface.h"
#include "Prompter.h"
#include "Settings.h"
#include "ViewerHost.h"
#include "ViewerParts.h"
#include "frmASCIITable.h"
#include "frmAbout.h"
#include "frmHEX.h"
#include "frmPrintDlg.h"
#include "frmPrinters.h"
#include "frmTip.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPrinterInfo>
#include <QTimer>
#include <QUrl>

namespace {

const QString kTitle = QStringLiteral("Orvane");

} // namespace

ViewerWindows::ViewerWindows(ViewerHost &host, QObject *parent)
    : QObject(parent)
    , m_host(host)
{
}

PrintSession &ViewerWindows::printSession()
{
    // Asked the first time it is needed: the print system takes a noticeable part of a start-up.
    if (!m_printerAsked) {
        m_printerAsked = true;
        m_print.printerName = QPrinterInfo::defaultPrinterName();
    }
    return m_print;
}

frmTip *ViewerWindows::tipWindow() const
{
    return m_tip;
}

void ViewerWindows::ShowHex()
{
    EditorSurface &surface = m_host.surface();
    const Settings &settings = m_host.settings();
    frmHEX window(ViewerParts::fixedFont(settings.Font, settings.FontSize), m_host.ownerWindow());
    window.loadText(surface.selText(), m_host.storageMode(), surface.selStart() == 0);
    ViewerParts::setTopmost(&window, settings.AlwaysOnTop);
    window.exec();
}

void ViewerWindows::ShowASCIITable()
{
    if (!m_ascii) {
        m_ascii = new frmASCIITable(m_host.ownerWindow());
        connect(m_ascii, &frmASCIITable::insertRequested, this, &ViewerWindows::insertCharacter);
        // Closing deletes the window later; a new one is made if it is asked for before then.
        connect(m_ascii, &QDialog::finished, this, [this] { m_ascii = nullptr; });
    }
    ViewerParts::setTopmost(m_ascii, m_host.settings().AlwaysOnTop);
    m_ascii->show();
    m_ascii->raise();
    m_ascii->activateWindow();
}

void ViewerWindows::insertCharacter(const QString &text)
{
    if (text.isEmpty())
        return;
    m_host.AddHistory();
    m_host.surface().setSelText(text);
    m_host.markChanged();
}

void ViewerWindows::PageSetup()
{
    Settings &settings = m_host.settings();
    const Settings before = settings;
    frmPrintDlg dialog(settings, m_host.ownerWindow());
    if (dialog.exec() == QDialog::Accepted
        && (before.PrinterLeft != settings.PrinterLeft || before.PrinterTop != settings.PrinterTop
            || before.PrinterRight != settings.PrinterRight || before.PrinterBottom != settings.PrinterBottom))
        m_host.settingsEdited();
}

void ViewerWindows::Print()
{
    frmPrinters dialog(m_host.surface(), m_host.settings(), printSession(), m_host.documentName(), m_host.ownerWindow());
    dialog.exec();
}

void ViewerWindows::HelpIndex()
{
    const QString path = AboutInfo::helpIndexPath(m_host.folders());
    if (!QFileInfo::exists(path)) {
        askUser(m_host.ownerWindow(), QStringLiteral("The help file ") + QDir::toNativeSeparators(path)
                                          + QStringLiteral(" was not found."),
                kTitle, QMessageBox::Ok, QMessageBox::Information);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        askUser(m_host.ownerWindow(), QStringLiteral("Unable to open URL. Install browser first!"), kTitle,
                QMessageBox::Ok, QMessageBox::Critical);
}

void ViewerWindows::ShowTip()
{
    if (!m_tip) {
        Settings &settings = m_host.settings();
        m_tip = new frmTip(settings, m_host.folders().readablePath(QStringLiteral("tipofday.txt")),
                           m_host.ownerWindow());
        connect(m_tip, &frmTip::showTipChanged, this, [this] { m_host.SaveMySettings(); });
        connect(m_tip, &frmTip::tipShown, this, [this] { m_host.SaveMySettings(); });
        connect(m_tip, &QDialog::finished, this, [this] {
            m_tip = nullptr;
            // Typing goes on in the editor, also where no window manager hands the focus back.
            m_host.ownerWindow()->activateWindow();
        });
        // The next window, of this process or another, goes on with the tip after this one.
        if (m_tip->storeShownTip())
            m_host.SaveMySettings();
    }
    m_tip->show();
    m_tip->raise();
    m_tip->activateWindow();
}

void ViewerWindows::ShowTipAtStartUp()
{
    if (!m_host.settings().ShowTip)
        return;
    // After the main window has been shown and painted, so the tip never holds it up.
    QTimer::singleShot(0, this, &ViewerWindows::ShowTip);
}

void ViewerWindows::About()
{
    frmAbout box(m_host.folders().readablePath(QStringLiteral("help/OrvaneDoc.png")), m_host.ownerWindow());
    box.exec();
}

void ViewerWindows::refreshHelpMenu(QMenu *help)
{
    if (!help)
        return;
    for (QAction *action : help->actions()) {
        if (action->objectName() == QLatin1String("mnuHelpAbout"))
            action->setText(AboutInfo::aboutCaption());
    }
}

void ViewerWindows::registerCommands(const WireCommand &wire, QMenu *help)
{
    wire("mnuToolsHex", [this] { ShowHex(); });
    wire("mnuFormatASCIITable", [this] { ShowASCIITable(); });
    wire("mnuFilePageSetup", [this] { PageSetup(); });
    wire("mnuFilePrint", [this] { Print(); });
    wire("mnuHelpIndex", [this] { HelpIndex(); });
    wire("mnuHelpTipoftheDay", [this] { ShowTip(); });
    wire("mnuHelpAbout", [this] { About(); });
    if (help)
        connect(help, &QMenu::aboutToShow, this, [this, help] { refreshHelpMenu(help); });
}
