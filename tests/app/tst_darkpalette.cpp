#include "ColorScheme.h"
#include "PaletteColors.h"
#include "ScintillaView.h"
#include "Settings.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

using PaletteColors::Role;

// Default colours on light and dark desktops, measured as WCAG contrast.
class TestDarkPalette : public QObject {
    Q_OBJECT
private slots:
    void everyDefaultStyleReadable_data();
    void everyDefaultStyleReadable();
    void shippedDarkSchemeIsTheDarkSet();
    void darkDesktopRecoloursTheOpenWindowButNotChosenColours();
};

namespace {

QPalette desktop(QColor window, QColor base)
{
    QPalette p(window);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Text, window.lightness() < 128 ? QColor(0xEF, 0xF0, 0xF1) : QColor(Qt::black));
    return p;
}

// Every pair a setup draws, each held to 4.5:1.
void verifyReadable(const Settings &s, const QPalette &p)
{
    const auto c = [&](Role role, OleColor value) { return PaletteColors::resolve(role, value, s.BackColor, p); };
    const auto text = [&](OleColor value) { return PaletteColors::textColor(value, s.BackColor, p); };
    const QColor base = OleColors::toQColor(s.BackColor, p);
    const PaletteColors::Selection selection = PaletteColors::selection(base);
    const std::tuple<const char *, QColor, QColor> pairs[] = {
        {"text", text(s.fcolor), base},
        {"keywords", text(s.fcolor1), base},
        {"functions", text(s.fcolor2), base},
        {"strings", text(s.fcolorString), base},
        {"comments", text(s.fcolorComment), base},
        {"numbers", text(s.fcolorNumber), base},
        {"current-line frame", c(Role::Keyword, s.fcolor1), base},
        {"gutter", c(Role::GutterNumbers, s.linenoforeground), c(Role::GutterBack, s.linenobackground)},
        {"current line number", c(Role::MarkerText, s.currlineforeground), c(Role::MarkerBack, s.currlinebackground)},
        {"selection", selection.text, selection.back},
        {"selection another program holds", selection.text, PaletteColors::InactiveSelectionBack},
    };
    for (const auto &[what, fore, back] : pairs) {
        const double ratio = PaletteColors::contrast(fore, back);
        QVERIFY2(ratio >= PaletteColors::MinimumContrast,
                 qPrintable(QStringLiteral("%1: %2 on %3 is %4:1")
                                .arg(QLatin1String(what), fore.name(), back.name())
                                .arg(ratio, 0, 'f', 2)));
    }
}

} // namespace

void TestDarkPalette::everyDefaultStyleReadable_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("earlierFile");
    const std::pair<const char *, QPalette> desktops[] = {
        {"light", desktop(QColor(0xEF, 0xEF, 0xEF), Qt::white)},
        {"dark #232629", desktop(QColor(0x31, 0x36, 0x3B), QColor(0x23, 0x26, 0x29))},
        {"dark #353535", desktop(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35))},
    };
    for (const auto &[name, palette] : desktops) {
        QTest::addRow("%s", name) << palette << false;
        QTest::addRow("%s, file of an earlier version", name) << palette << true;
    }
}

void TestDarkPalette::everyDefaultStyleReadable()
{
    QFETCH(QPalette, palette);
    QFETCH(bool, earlierFile);
    Settings s;
    if (earlierFile) {
        s.fcolorNumber = 0x0000FF;
        s.linenoforeground = 0xFF8000;
    }
    verifyReadable(s, palette);
}

// Readable on its own background (its unfocused selection was white on grey), and the colours a
// dark desktop gives the defaults.
void TestDarkPalette::shippedDarkSchemeIsTheDarkSet()
{
    const auto scheme = ColorScheme::load(TestSupport::sourceDir() + QStringLiteral("/data/schemes/dark.scheme"), {});
    QVERIFY(scheme);
    Settings s;
    scheme->applyTo(s);
    verifyReadable(s, desktop(QColor(0xEF, 0xEF, 0xEF), Qt::white));

    const QPalette dark = desktop(QColor(0x2D, 0x2D, 0x2D), OleColors::toQColor(scheme->backcolor));
    const Settings d;
    const auto darkText = [&](OleColor value) { return OleColors::fromQColor(PaletteColors::textColor(value, d.BackColor, dark)); };
    QCOMPARE((QList<OleColor>{darkText(d.fcolor1), darkText(d.fcolor2), darkText(d.fcolorString),
                              darkText(d.fcolorComment), darkText(d.fcolorNumber)}),
             (QList<OleColor>{scheme->keywords, scheme->functions, scheme->strings, scheme->comments, scheme->numbers}));
    QCOMPARE(PaletteColors::resolve(Role::GutterNumbers, d.linenoforeground, d.BackColor, dark),
             OleColors::toQColor(scheme->lineforeground));
}

// Switching the desktop to dark recolours the text and the gutter of an open window; a colour the
// user chose, or a background of their own, stays.
void TestDarkPalette::darkDesktopRecoloursTheOpenWindowButNotChosenColours()
{
    QTemporaryDir app;
    TestSupport::PrompterGuard prompter;
    frmMain window(app.path());
    window.show();
    EditorSurface &surface = window.surface();
    surface.setText(QStringLiteral("while x = y"));
    surface.setSelStart(0);
    surface.setSelLength(5);
    surface.setSelColor(window.settings().fcolor1);
    surface.setSelStart(8);
    surface.setSelLength(1);
    surface.setSelColor(0x123456);
    auto *view = window.findChild<ScintillaView *>(QStringLiteral("txtText"));
    const auto colourAt = [view](int position) {
        const long style = view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position);
        return OleColors::toQColor(OleColor(view->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style)));
    };
    QCOMPARE(colourAt(1), QColor(0, 0, 0xFF));

    const QPalette previous = QApplication::palette();
    QApplication::setPalette(desktop(QColor(0x31, 0x36, 0x3B), QColor(0x23, 0x26, 0x29)));
    QTest::qWait(1);
    const QColor keyword = colourAt(1);
    const QColor chosen = colourAt(8);
    const QImage gutter = window.findChild<QWidget *>(QStringLiteral("PicLines"))->grab().toImage();
    const QColor ownBackground = PaletteColors::textColor(window.settings().fcolor1, 0xFFFFFF);
    QApplication::setPalette(previous);
    QCOMPARE(keyword, QColor(0x56, 0x9C, 0xD6));
    QCOMPARE(chosen, QColor(0x56, 0x34, 0x12));
    QCOMPARE(gutter.pixelColor(1, gutter.height() - 2), QColor(0x25, 0x25, 0x26));
    QCOMPARE(ownBackground, QColor(0, 0, 0xFF));
    QVERIFY(prompter->asked.isEmpty());
}

QTEST_MAIN(TestDarkPalette)
#include "tst_darkpalette.moc"
