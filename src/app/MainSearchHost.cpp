#include "MainSearchHost.h"

#include "Highlighter.h"
#include "LanguageMenu.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "Prompter.h"
#include "SingleInstance.h"
#include "frmMain.h"

EditorSurface &MainSearchHost::surface() { return m_window.surface(); }
Settings &MainSearchHost::settings() { return m_window.m_settings; }
QString MainSearchHost::appFolder() const { return m_window.appFolder(); }
void MainSearchHost::AddHistory() { m_window.AddHistory(); }
bool MainSearchHost::highlightingActive() const { return m_window.languages().highlightingActive(); }
void MainSearchHost::renderRange(int start, int length) { m_window.highlighter().renderRange(start, length); }
void MainSearchHost::renderDocument() { m_window.highlighter().renderDocument(); }
void MainSearchHost::showHint(const QString &text) { m_window.showHint(text); }
bool MainSearchHost::isMarkupLanguage() const { return m_window.m_language.languageActive && m_window.m_language.markup; }
bool MainSearchHost::isBinaryMode() const { return m_window.isBinary; }
void MainSearchHost::refreshStatusBar() { m_window.updateXY(1); }
void MainSearchHost::redrawGutter() { m_window.chrome().PicLines->DrawLineNumbers(); }
QWidget *MainSearchHost::ownerWindow() { return &m_window; }
QString MainSearchHost::documentPath() const { return m_window.strfilename; }
const LanguageDefinition &MainSearchHost::language() const { return m_window.m_language; }

void MainSearchHost::openElsewhere(const QString &path, Launcher::Position at)
{
    if (SingleInstance::handOver(path, 1000, at) == SingleInstance::HandOver::Raised)
        return;
    if (!Launcher::startForwardedInstance(path, at))
        askUser(&m_window, QStringLiteral("Couldn't start a new window for ") + path, QStringLiteral("Error"),
                QMessageBox::Ok, QMessageBox::Critical);
}

std::optional<QList<Symbol>> MainSearchHost::keptSymbols()
{
    return m_window.highlighter().symbols().symbols(language(), documentPath(), surface());
}

bool MainSearchHost::readSymbols(std::function<void()> whenRead)
{
    return m_window.highlighter().readSymbols(std::move(whenRead));
}
