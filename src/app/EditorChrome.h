#pragma once

class CurrentLineBox;
class LineNumberGutter;
class QMainWindow;
class QToolBar;
class ScintillaSurface;
struct Settings;

// The view around the editing widget: the line-number gutter PicLines beside it, the current-line
// box lineBox over it and the tool bar, shown and coloured as the settings say.
class EditorChrome {
public:
    // Makes the window's central widget: the gutter, then the surface's view.
    EditorChrome(QMainWindow *window, ScintillaSurface &surface, Settings &settings);

    void setToolBar(QToolBar *bar) { toolBar = bar; }

    // The surface's format, colours, tabs and wrapping, the gutter's and the box's colours, then layout().
    void applySettings();
    // The first layout once the window is shown.
    void startUp();
    // The window became active again: the tab width and the layout the settings may have changed.
    void activated();
    // Colours that follow the desktop are resolved again when its palette changes.
    void paletteChanged();
    // Gutter and current-line frame; default colours depend on the palette.
    void applyColors();
    // Shows or hides the gutter, the box and the tool bar, checks their menu items, fits and redraws.
    void layout();
    // Line Numbers in the Format menu: the setting follows its check mark.
    void toggleLineNumbers();
    // Re-fits the gutter to the line count and redraws it when the count changed.
    void fitGutter();
    // Fitted and drawn again, after a command moved the text.
    void redrawGutter();
    void caretMoved();
    void scrolled();
    // The box follows the caret; an overwrite mode the status bar shows keeps its block caret.
    void gotFocus(bool overwrite);

    LineNumberGutter *PicLines = nullptr;
    CurrentLineBox *lineBox = nullptr;
    QToolBar *toolBar = nullptr;

private:
    QMainWindow *m_window;
    ScintillaSurface &m_surface;
    Settings &m_settings;
};
