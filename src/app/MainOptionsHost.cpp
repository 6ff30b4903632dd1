#include "MainOptionsHost.h"

#include "Authoring.h"
#include "TypingAids.h"
#include "frmKeyWordEditor.h"
#include "frmMain.h"
#include "frmSettings.h"
#include "Highlighter.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "modTransparent.h"
#include "StatusBar.h"

#include <QApplication>
#include <QLabel>
#include <QToolBar>

void MainOptionsHost::showOptions(int page)
{
    if (page >= 1 && page <= frmSettings::PageCount)
        m_window.m_settings.LastOptionViewed = qint16(page);
    frmSettings dialog(*this, &m_window);
    dialog.exec();
}

void MainOptionsHost::showKeywordEditor()
{
    QWidget *owner = QApplication::activeModalWidget();
    frmKeyWordEditor editor(m_window.keywordsFolder(), m_window.m_language.definitionPath, owner ? owner : &m_window);
    editor.exec();
    if (m_window.strfilename != QLatin1String("Untitled") && m_window.languageActive())
        m_window.LoadLanguage(m_window.strfilename, true);
}

Settings &MainOptionsHost::settings()
{
    return m_window.m_settings;
}

EditorSurface &MainOptionsHost::surface()
{
    return m_window.surface();
}

const AppFolders &MainOptionsHost::folders() const
{
    return m_window.folders();
}

QWidget *MainOptionsHost::ownerWindow()
{
    return &m_window;
}

void MainOptionsHost::setLineNumbersVisible(bool visible)
{
    m_window.chrome().PicLines->setVisible(visible);
}

void MainOptionsHost::setToolBarVisible(bool visible)
{
    m_window.chrome().toolBar->setVisible(visible);
}

void MainOptionsHost::applyGutterColors()
{
    // The current-line frame is drawn in the keyword colour, which a scheme changes too.
    m_window.chrome().applyColors();
}

void MainOptionsHost::applyWindowFlags(bool translucent, qint16 lucidity, bool alwaysOnTop)
{
    modTransparent::applyTranslucency(&m_window, translucent, lucidity);
    if (m_window.testAttribute(Qt::WA_WState_Created)
        && m_window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == alwaysOnTop)
        return;
    // Changing the flag re-creates the native window, which hides it.
    const bool visible = m_window.isVisible();
    m_window.setWindowFlag(Qt::WindowStaysOnTopHint, alwaysOnTop);
    if (visible)
        m_window.show();
}

void MainOptionsHost::setCurrentLineVisible(bool visible)
{
    m_window.chrome().lineBox->setVisible(visible);
}

void MainOptionsHost::setTabWidth(int tabWidth)
{
    m_window.surface().setTabStops(tabWidth * 4);
    m_window.chrome().layout();
}

std::optional<QString> MainOptionsHost::SaveMySettings()
{
    return m_window.SaveMySettings();
}

bool MainOptionsHost::highlightingActive() const
{
    return m_window.m_settings.enableSyntaxHighlightning && m_window.languageActive()
        && !m_window.m_docFlags.highlightingDeclined;
}

void MainOptionsHost::renderDocument()
{
    m_window.highlighter().renderDocument();
}

void MainOptionsHost::AddIgnoreElements()
{
    m_window.typingAids().AddIgnoreElements(m_window.folders().readablePath(QStringLiteral("ignoreclosetag.txt")));
}

TemplateSource *MainOptionsHost::templateSource()
{
    return &m_window.authoring().templateSource();
}

void MainOptionsHost::openKeywordEditor()
{
    showKeywordEditor();
}

void MainOptionsHost::optionsClosed()
{
    // The menu shows the new names the next time the Insert menu opens.
    m_window.authoring().LoadTemplates();
    m_window.statusLabels().lblToolTip->clear();
}

void MainOptionsHost::registerCommands(const WireCommand &wire)
{
    wire("mnuFormatOptions", [this] { showOptions(); });
    wire("mnuInsertTemplatesEdit", [this] { showOptions(6); });
    wire("mnuToolsKeyWordEditor", [this] { showKeywordEditor(); });
}
