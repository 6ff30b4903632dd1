#include "EditorChrome.h"

#include "CommandTable.h"
#include "LineNumberGutter.h"
#include "PaletteColors.h"
#include "ScintillaSurface.h"
#include "ScintillaView.h"
#include "Settings.h"
#include "ViewCommands.h"

#include <QAction>
#include <algorithm>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QToolBar>

EditorChrome::EditorChrome(QMainWindow *window, ScintillaSurface &surface, Settings &settings)
    : m_window(window)
    , m_surface(surface)
    , m_settings(settings)
{
    auto *central = new QWidget(window);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    PicLines = new LineNumberGutter(surface, central);
    row->addWidget(PicLines);
    surface.view()->setParent(central);
    row->addWidget(surface.view(), 1);
    window->setCentralWidget(central);
    lineBox = new CurrentLineBox(surface, surface.view()->viewport());
}

void EditorChrome::applySettings()
{
    const Settings &s = m_settings;
    m_surface.setDefaultFormat(CharFormat{s.fcolor, s.TextBold, s.TextItalic, s.Font, s.FontSize});
    m_surface.setBackColor(s.BackColor);
    m_surface.setTabStops(s.TabWidth * 4);
    m_surface.setWordWrap(s.WordWrap);
    m_surface.setBlanksVisible(s.ShowBlanks);
    m_surface.setEdgeColumn(std::clamp<int>(s.EdgeColumn, 0, ViewCommands::MaxEdgeColumn));
    m_surface.folding()->setMarginVisible(s.ShowFoldMargin);
    applyColors();
    layout();
}

void EditorChrome::applyColors()
{
    using PaletteColors::Role;
    const Settings &s = m_settings;
    const auto color = [&s](Role role, OleColor value) { return PaletteColors::resolve(role, value, s.BackColor); };
    PicLines->setColors(color(Role::GutterBack, s.linenobackground), color(Role::GutterNumbers, s.linenoforeground),
                        color(Role::MarkerBack, s.currlinebackground), color(Role::MarkerText, s.currlineforeground));
    lineBox->setColor(color(Role::Keyword, s.fcolor1));
}

void EditorChrome::startUp()
{
    PicLines->DrawLineNumbers();
    layout();
}

void EditorChrome::activated()
{
    m_surface.setTabStops(m_settings.TabWidth * 4);
    layout();
}

void EditorChrome::paletteChanged()
{
    m_surface.setBackColor(m_surface.backColor());
    applyColors();
}

void EditorChrome::layout()
{
    PicLines->setVisible(m_settings.ShowLineNumbers);
    lineBox->setVisible(m_settings.ShowCurrentLine);
    toolBar->setVisible(m_settings.ShowToolBar);
    if (QAction *lines = CommandTable::findCommand(m_window, "mnuFormatToggleLineNumbers"))
        lines->setChecked(m_settings.ShowLineNumbers);
    if (QAction *wrap = CommandTable::findCommand(m_window, "mnuFormatWordWrap"))
        wrap->setChecked(m_settings.WordWrap);
    if (QAction *blanks = CommandTable::findCommand(m_window, "mnuViewBlanks"))
        blanks->setChecked(m_settings.ShowBlanks);
    if (QAction *margin = CommandTable::findCommand(m_window, "mnuViewFoldMargin"))
        margin->setChecked(m_settings.ShowFoldMargin);
    fitGutter();
    lineBox->PlaceLineBox();
    PicLines->DrawLineNumbers();
}

void EditorChrome::toggleLineNumbers()
{
    QAction *action = CommandTable::findCommand(m_window, "mnuFormatToggleLineNumbers");
    m_settings.ShowLineNumbers = action ? action->isChecked() : !m_settings.ShowLineNumbers;
    layout();
}

void EditorChrome::fitGutter()
{
    if (!PicLines->isVisible() && !m_settings.ShowLineNumbers)
        return;
    const int width = PicLines->preferredWidth();
    if (PicLines->width() != width)
        PicLines->setFixedWidth(width);
    if (PicLines->lastLineCount() != m_surface.lineCount())
        PicLines->DrawLineNumbers();
}

void EditorChrome::redrawGutter()
{
    fitGutter();
    PicLines->DrawLineNumbers();
}

void EditorChrome::caretMoved()
{
    lineBox->PlaceLineBox();
    PicLines->caretMoved();
}

void EditorChrome::scrolled()
{
    fitGutter();
    PicLines->DrawLineNumbers();
    lineBox->PlaceLineBox();
}

void EditorChrome::gotFocus(bool overwrite)
{
    if (overwrite)
        m_surface.setOverwriteCaret(true);
    lineBox->PlaceLineBox();
}
