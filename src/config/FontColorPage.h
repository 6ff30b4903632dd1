#pragma once

#include "AppFolders.h"

#include "Settings.h"

#include <QGroupBox>

class ColorSwatch;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The "Font and Colors" page of the options dialog: font, previews, swatches and colour schemes.
class FontColorPage : public QGroupBox {
    Q_OBJECT
public:
    FontColorPage(const AppFolders &folders, QWidget *parent);

    // Sets every control from the settings without reporting a change.
    void load(const Settings &settings);
    void store(Settings &settings) const;

    // Equal advances of "A" and "i".
    static bool isFontMonoSpaced(const QString &family);
    // Fills cboFonts (only fixed-pitch faces while chkMonoSpace is checked) and selects name.
    void fillFonts(const QString &name);
    void fillSchemes();
    // Puts schemes/<name>.scheme into the swatches.
    void loadScheme(const QString &name);
    // Asks for a name (and before overwriting) and writes the swatches as a scheme.
    void saveScheme();

    QCheckBox *chkEnableSyntaxHighlight = nullptr;

signals:
    void changed();
    // A change that makes Apply recolour the whole text.
    void formatChanged();

private:
    ColorSwatch *swatch(const char *name, const QString &what, bool recolours);
    void refreshPreview();
    void refreshEnabled();
    void touched(bool recolours);

    AppFolders m_folders;
    bool m_loading = false;
    QComboBox *m_fonts = nullptr;
    QComboBox *m_size = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    QCheckBox *m_mono = nullptr;
    QLabel *m_preview = nullptr;
    QLabel *m_lineNo = nullptr;
    QLabel *m_currLine = nullptr;
    ColorSwatch *m_fore = nullptr;
    ColorSwatch *m_back = nullptr;
    ColorSwatch *m_lineBack = nullptr;
    ColorSwatch *m_lineFore = nullptr;
    ColorSwatch *m_currBack = nullptr;
    ColorSwatch *m_currFore = nullptr;
    ColorSwatch *m_keywords = nullptr;
    ColorSwatch *m_functions = nullptr;
    ColorSwatch *m_comments = nullptr;
    ColorSwatch *m_strings = nullptr;
    ColorSwatch *m_numbers = nullptr;
    QLabel *m_numbersLabel = nullptr;
    QCheckBox *m_highlightNumbers = nullptr;
    QCheckBox *m_boldKeywords = nullptr;
    QCheckBox *m_italicComments = nullptr;
    QComboBox *m_schemes = nullptr;
    QPushButton *m_saveScheme = nullptr;
};
