#include "FontColorPage.h"

#include "ColorScheme.h"
#include "ColorSwatch.h"
#include "OptionsApply.h"
#include "Prompter.h"

#include "NamedWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using NamedWidgets::checkBox;

QString sizeText(double size)
{
    return QString::number(size, 'f', QLocale::FloatingPointShortest);
}

void paintLabel(QLabel *label, OleColor text, OleColor background)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, OleColors::toQColor(text));
    p.setColor(QPalette::Window, OleColors::toQColor(background));
    label->setPalette(p);
}

} // namespace

FontColorPage::FontColorPage(const AppFolders &folders, QWidget *parent)
    : QGroupBox(QStringLiteral("Font and Colors"), parent)
    , m_folders(folders)
{
    setObjectName(QStringLiteral("fraFontColor"));
    auto *grid = new QGridLayout(this);

    auto *fontRow = new QHBoxLayout;
    auto *fontLabel = new QLabel(QStringLiteral("Font :"), this);
    fontRow->addWidget(fontLabel);
    m_fonts = new QComboBox(this);
    fontLabel->setBuddy(m_fonts);
    m_fonts->setObjectName(QStringLiteral("cboFonts"));
    m_fonts->setMinimumWidth(180);
    fontRow->addWidget(m_fonts, 1);
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("cboSize"));
    for (int size : {6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 18, 20, 22, 24, 28, 32, 36, 48, 72})
        m_size->addItem(QString::number(size));
    // Any size in range can be typed, as in the desktop's own font dialogs.
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    m_size->lineEdit()->setAccessibleName(QStringLiteral("Font size"));
    fontRow->addWidget(m_size);
    m_bold = checkBox("chkBold", QStringLiteral("Bold"), this);
    m_italic = checkBox("chkItalic", QStringLiteral("Italic"), this);
    fontRow->addWidget(m_bold);
    fontRow->addWidget(m_italic);
    grid->addLayout(fontRow, 0, 0, 1, 4);
    m_mono = checkBox("chkMonoSpace", QStringLiteral("Only list monospace fonts"), this);
    grid->addWidget(m_mono, 1, 0, 1, 2);

    m_preview = new QLabel(QStringLiteral("We love to change the colors! What colors do you prefer?"), this);
    m_preview->setObjectName(QStringLiteral("lblPreview"));
    m_preview->setAutoFillBackground(true);
    m_preview->setFrameShape(QFrame::Box);
    m_preview->setMinimumHeight(40);
    m_preview->setWordWrap(true);
    grid->addWidget(m_preview, 2, 0, 1, 4);

    auto *colors = new QGridLayout;
    m_fore = swatch("picForeColor", QStringLiteral("Text colour"), true);
    m_back = swatch("picBackGround", QStringLiteral("Text background"), false);
    colors->addWidget(new QLabel(QStringLiteral("Foreground"), this), 0, 0);
    colors->addWidget(m_fore, 0, 1);
    colors->addWidget(new QLabel(QStringLiteral("Background"), this), 1, 0);
    colors->addWidget(m_back, 1, 1);
    grid->addLayout(colors, 3, 0);

    auto *lines = new QGroupBox(QStringLiteral("Line Numbers"), this);
    auto *linesGrid = new QGridLayout(lines);
    m_lineBack = swatch("picLineNoBackground", QStringLiteral("Gutter background"), false);
    m_lineFore = swatch("picLineNoForeground", QStringLiteral("Gutter numbers colour"), false);
    m_currBack = swatch("picCurrLineNoBackground", QStringLiteral("Current line number background"), false);
    m_currFore = swatch("picCurrLineNoForeground", QStringLiteral("Current line number colour"), false);
    linesGrid->addWidget(new QLabel(QStringLiteral("Background"), lines), 0, 1);
    linesGrid->addWidget(new QLabel(QStringLiteral("Foreground"), lines), 0, 2);
    m_lineNo = new QLabel(QStringLiteral("  12"), lines);
    m_lineNo->setObjectName(QStringLiteral("lblLineNo"));
    m_lineNo->setAutoFillBackground(true);
    linesGrid->addWidget(m_lineNo, 1, 0);
    linesGrid->addWidget(m_lineBack, 1, 1);
    linesGrid->addWidget(m_lineFore, 1, 2);
    m_currLine = new QLabel(QStringLiteral("  13"), lines);
    m_currLine->setObjectName(QStringLiteral("lblCurrLine"));
    m_currLine->setAutoFillBackground(true);
    m_currLine->setToolTip(QStringLiteral("Current Line"));
    linesGrid->addWidget(m_currLine, 2, 0);
    linesGrid->addWidget(m_currBack, 2, 1);
    linesGrid->addWidget(m_currFore, 2, 2);
    linesGrid->addWidget(new QLabel(QStringLiteral("Current Line"), lines), 2, 3);
    grid->addWidget(lines, 3, 1, 1, 3);

    chkEnableSyntaxHighlight =
        checkBox("chkEnableSyntaxHighlight", QStringLiteral("Enable Highlightning (will decrease performance)"), this);
    grid->addWidget(chkEnableSyntaxHighlight, 4, 0, 1, 4);
    auto *highlight = new QGridLayout;
    m_keywords = swatch("picFcolor1", QStringLiteral("Keyword colour"), true);
    m_functions = swatch("picFcolor2", QStringLiteral("Function colour"), true);
    m_comments = swatch("picFcolorComments", QStringLiteral("Comment colour"), true);
    m_strings = swatch("picFColorString", QStringLiteral("String colour"), true);
    m_numbers = swatch("picFcolorNumbers", QStringLiteral("Number colour"), true);
    m_numbersLabel = new QLabel(QStringLiteral("Numbers"), this);
    m_numbersLabel->setObjectName(QStringLiteral("lblNumbers"));
    const std::pair<QWidget *, QWidget *> rows[] = {
        {new QLabel(QStringLiteral("Keywords"), this), m_keywords},
        {new QLabel(QStringLiteral("Functions, subs, classes"), this), m_functions},
        {new QLabel(QStringLiteral("Comments"), this), m_comments},
        {new QLabel(QStringLiteral("Strings"), this), m_strings},
        {m_numbersLabel, m_numbers}};
    int row = 0;
    for (const auto &[label, box] : rows) {
        highlight->addWidget(label, row, 0);
        highlight->addWidget(box, row++, 1);
    }
    grid->addLayout(highlight, 5, 0, 3, 2);
    m_highlightNumbers = checkBox("chkHighlightNumbers", QStringLiteral("Highlight Numbers and HTML Colors"), this);
    m_boldKeywords = checkBox("chkBoldKeywords", QStringLiteral("Bold Keywords"), this);
    m_italicComments = checkBox("chkItalicComment", QStringLiteral("Italic Comments"), this);
    grid->addWidget(m_highlightNumbers, 5, 2, 1, 2);
    grid->addWidget(m_boldKeywords, 6, 2, 1, 2);
    grid->addWidget(m_italicComments, 7, 2, 1, 2);

    auto *schemes = new QGroupBox(QStringLiteral("Color Schemes"), this);
    auto *schemeRow = new QHBoxLayout(schemes);
    auto *schemeLabel = new QLabel(QStringLiteral("Load Color Scheme:"), schemes);
    schemeRow->addWidget(schemeLabel);
    m_schemes = new QComboBox(schemes);
    schemeLabel->setBuddy(m_schemes);
    m_schemes->setObjectName(QStringLiteral("cboColorSchemes"));
    schemeRow->addWidget(m_schemes, 1);
    m_saveScheme = new QPushButton(QStringLiteral("&Save Color Scheme..."), schemes);
    m_saveScheme->setObjectName(QStringLiteral("cmdSaveColorScheme"));
    schemeRow->addWidget(m_saveScheme);
    grid->addWidget(schemes, 8, 0, 1, 4);
    grid->setRowStretch(9, 1);

    connect(m_fonts, &QComboBox::currentTextChanged, this, [this] { touched(true); });
    connect(m_size, &QComboBox::currentTextChanged, this, [this] { touched(false); });
    connect(m_bold, &QCheckBox::toggled, this, [this] { touched(true); });
    connect(m_italic, &QCheckBox::toggled, this, [this] { touched(true); });
    connect(m_mono, &QCheckBox::toggled, this, [this] {
        fillFonts(m_fonts->currentText());
        touched(false);
    });
    for (QCheckBox *box : {chkEnableSyntaxHighlight, m_boldKeywords, m_italicComments})
        connect(box, &QCheckBox::toggled, this, [this] { touched(false); });
    connect(m_highlightNumbers, &QCheckBox::toggled, this, [this] {
        refreshEnabled();
        touched(false);
    });
    connect(m_schemes, &QComboBox::activated, this, [this](int index) { loadScheme(m_schemes->itemText(index)); });
    connect(m_saveScheme, &QPushButton::clicked, this, &FontColorPage::saveScheme);
    fillSchemes();
}

ColorSwatch *FontColorPage::swatch(const char *name, const QString &what, bool recolours)
{
    auto *box = new ColorSwatch(QLatin1String(name), this);
    box->setAccessibleName(what);
    connect(box, &ColorSwatch::picked, this, [this, recolours] { touched(recolours); });
    return box;
}

void FontColorPage::touched(bool recolours)
{
    refreshPreview();
    if (m_loading)
        return;
    if (recolours)
        emit formatChanged();
    emit changed();
}

bool FontColorPage::isFontMonoSpaced(const QString &family)
{
    const QFontMetricsF metrics(QFont(family, 12));
    return qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char('A')), metrics.horizontalAdvance(QLatin1Char('i')));
}

void FontColorPage::fillFonts(const QString &name)
{
    const bool loading = m_loading;
    m_loading = true;
    m_fonts->clear();
    for (const QString &family : QFontDatabase::families()) {
        if (!family.isEmpty() && (!m_mono->isChecked() || isFontMonoSpaced(family)))
            m_fonts->addItem(family);
    }
    int index = m_fonts->findText(name, Qt::MatchFixedString);
    // A font the screen does not report (or one the list leaves out) still stays the choice.
    if (index < 0 && !name.isEmpty()) {
        m_fonts->insertItem(0, name);
        index = 0;
    }
    m_fonts->setCurrentIndex(index);
    m_loading = loading;
}

void FontColorPage::fillSchemes()
{
    m_schemes->clear();
    m_schemes->addItems(ColorScheme::list(m_folders.searchFolders(QStringLiteral("schemes"))));
    m_schemes->setCurrentIndex(-1);
}

void FontColorPage::load(const Settings &s)
{
    m_loading = true;
    // Before the font list: the monospace box decides which fonts it offers.
    OptionsApply::loadControls(*this, s);
    fillFonts(s.Font);
    const QString size = sizeText(s.FontSize);
    if (m_size->findText(size) < 0)
        m_size->insertItem(0, size);
    m_size->setCurrentText(size);
    refreshEnabled();
    refreshPreview();
    m_loading = false;
}

void FontColorPage::store(Settings &s) const
{
    OptionsApply::storeControls(*this, s);
    s.Font = m_fonts->currentText();
    bool ok = false;
    const double size = QLocale::c().toDouble(m_size->currentText(), &ok);
    if (ok && size >= Settings::SmallestFontSize && size <= Settings::LargestFontSize)
        s.FontSize = size;
}

void FontColorPage::refreshEnabled()
{
    m_numbers->setEnabled(m_highlightNumbers->isChecked());
    m_numbersLabel->setEnabled(m_highlightNumbers->isChecked());
}

void FontColorPage::refreshPreview()
{
    QFont font(m_fonts->currentText());
    bool ok = false;
    const double size = QLocale::c().toDouble(m_size->currentText(), &ok);
    font.setPointSizeF(ok && size > 0 ? size : 8);
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    for (QLabel *label : {m_preview, m_lineNo, m_currLine})
        label->setFont(font);
    paintLabel(m_preview, m_fore->color(), m_back->color());
    paintLabel(m_lineNo, m_lineFore->color(), m_lineBack->color());
    paintLabel(m_currLine, m_currFore->color(), m_currBack->color());
}

void FontColorPage::loadScheme(const QString &name)
{
    if (name.isEmpty())
        return;
    Settings current;
    store(current);
    const std::optional<ColorScheme> scheme =
        ColorScheme::load(ColorScheme::pathFor(m_folders.searchFolders(QStringLiteral("schemes")), name), ColorScheme::fromSettings(current));
    if (!scheme)
        return;
    scheme->applyTo(current);
    m_loading = true;
    m_fore->setColor(current.fcolor);
    m_back->setColor(current.BackColor);
    m_lineBack->setColor(current.linenobackground);
    m_lineFore->setColor(current.linenoforeground);
    m_currBack->setColor(current.currlinebackground);
    m_currFore->setColor(current.currlineforeground);
    m_keywords->setColor(current.fcolor1);
    m_functions->setColor(current.fcolor2);
    m_comments->setColor(current.fcolorComment);
    m_strings->setColor(current.fcolorString);
    m_numbers->setColor(current.fcolorNumber);
    m_loading = false;
    touched(false);
}

void FontColorPage::saveScheme()
{
    const std::optional<QString> name =
        Prompter::instance().inputText(window(), QStringLiteral("Enter the name of the Scheme"), QStringLiteral("Orvane"),
                                       QString());
    if (!name || name->trimmed().isEmpty())
        return;
    // The name becomes a file name inside the schemes folder, never a path out of it.
    if (name->contains(QLatin1Char('/')) || name->contains(QLatin1Char('\0')) || *name == QLatin1String("..")) {
        askUser(window(), QStringLiteral("A scheme name cannot contain \"/\"."), QStringLiteral("Orvane"),
                QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const QString path = m_folders.writablePath(QStringLiteral("schemes/") + *name + QStringLiteral(".scheme"));
    if (QFileInfo::exists(path)
        && askUser(window(), QStringLiteral("That scheme allready exists, do you want to overwrite it?"),
                   QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
               != QMessageBox::Yes)
        return;
    Settings current;
    store(current);
    if (const std::optional<QString> error = ColorScheme::fromSettings(current).save(path))
        askUser(window(), QStringLiteral("The scheme could not be saved:\n%1").arg(*error), QStringLiteral("Orvane"),
                QMessageBox::Ok, QMessageBox::Warning);
    else
        fillSchemes();
}
