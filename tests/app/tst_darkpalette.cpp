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
    void shippedDarkSchemeReadableAndTheSameSet();
    void chosenColoursStay();
    void darkDesktopRecoloursTheOpenWindow();
};

namespace {

QPalette desktop(QColor window, QColor base, QColor text)
{
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::WindowText, text);
    return p;
}

// Every pair a default setup draws: what is drawn, on what.
struct Pair {
    const char *what;
    QColor fore;
    QColor back;
};

QList<Pair> drawnPairs(const Settings &s, const QPalette &p)
{
    const auto c = [&](Role role, OleColor value) { return PaletteColors::resolve(role, value, s.BackColor, p); };
    const QColor base = OleColors::toQColor(s.BackColor, p);
    const PaletteColors::Selection selection = PaletteColors::selection(base);
    return {
        {"text", PaletteColors::textColor(s.fcolor, s.BackColor, p), base},
        {"keywords", PaletteColors::textColor(s.fcolor1, s.BackColor, p), base},
        {"functions", PaletteColors::textColor(s.fcolor2, s.BackColor, p), base},
        {"strings", PaletteColors::textColor(s.fcolorString, s.BackColor, p), base},
        {"comments", PaletteColors::textColor(s.fcolorComment, s.BackColor, p), base},
        {"numbers", PaletteColors::textColor(s.fcolorNumber, s.BackColor, p), base},
        {"current-line frame", c(Role::Keyword, s.fcolor1), base},
        {"gutter numbers", c(Role::GutterNumbers, s.linenoforeground), c(Role::GutterBack, s.linenobackground)},
        {"current line number", c(Role::MarkerText, s.currlineforeground), c(Role::MarkerBack, s.currlinebackground)},
        {"selection", selection.text, selection.back},
        {"selection while another program holds it", selection.text, PaletteColors::InactiveSelectionBack},
    };
}

void verifyReadable(const Settings &s, const QPalette &p)
{
    for (const Pair &pair : drawnPairs(s, p)) {
        const double ratio = PaletteColors::contrast(pair.fore, pair.back);
        QVERIFY2(ratio >= PaletteColors::MinimumContrast,
                 qPrintable(QStringLiteral("%1: %2 on %3 is %4:1")
                                .arg(QLatin1String(pair.what), pair.fore.name(), pair.back.name())
                                .arg(ratio, 0, 'f', 2)));
    }
}

} // namespace

void TestDarkPalette::everyDefaultStyleReadable_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::addColumn<bool>("earlierFile");
    const QColor black(Qt::black), light(0xEF, 0xF0, 0xF1);
    const QList<std::pair<const char *, QPalette>> desktops = {
        {"light", desktop(QColor(0xEF, 0xEF, 0xEF), Qt::white, black)},
        {"light grey base", desktop(QColor(0xE0, 0xE0, 0xE0), QColor(0xF0, 0xF0, 0xF0), black)},
        {"dark #232629", desktop(QColor(0x31, 0x36, 0x3B), QColor(0x23, 0x26, 0x29), light)},
        {"dark #1E1E1E", desktop(QColor(0x2D, 0x2D, 0x2D), QColor(0x1E, 0x1E, 0x1E), light)},
        {"dark #353535", desktop(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35), light)},
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
        // What earlier versions wrote as their defaults.
        s.fcolorNumber = 0x0000FF;
        s.linenoforeground = 0xFF8000;
    }
    verifyReadable(s, palette);
}

// The shipped scheme is readable on its own background, and a dark desktop gets its colours.
void TestDarkPalette::shippedDarkSchemeReadableAndTheSameSet()
{
    const auto scheme = ColorScheme::load(TestSupport::sourceDir() + QStringLiteral("/data/schemes/dark.scheme"), {});
    QVERIFY(scheme);
    Settings s;
    scheme->applyTo(s);
    const QPalette light = desktop(QColor(0xEF, 0xEF, 0xEF), Qt::white, Qt::black);
    verifyReadable(s, light);

    const QPalette dark = desktop(QColor(0x2D, 0x2D, 0x2D), OleColors::toQColor(scheme->backcolor), Qt::white);
    const Settings defaults;
    const auto darkDefault = [&](OleColor value) { return PaletteColors::textColor(value, defaults.BackColor, dark); };
    QCOMPARE(darkDefault(defaults.fcolor1), OleColors::toQColor(scheme->keywords));
    QCOMPARE(darkDefault(defaults.fcolor2), OleColors::toQColor(scheme->functions));
    QCOMPARE(darkDefault(defaults.fcolorString), OleColors::toQColor(scheme->strings));
    QCOMPARE(darkDefault(defaults.fcolorComment), OleColors::toQColor(scheme->comments));
    QCOMPARE(darkDefault(defaults.fcolorNumber), OleColors::toQColor(scheme->numbers));
    QCOMPARE(PaletteColors::resolve(Role::GutterBack, defaults.linenobackground, defaults.BackColor, dark),
             OleColors::toQColor(scheme->linebackground));
    QCOMPARE(PaletteColors::resolve(Role::GutterNumbers, defaults.linenoforeground, defaults.BackColor, dark),
             OleColors::toQColor(scheme->lineforeground));
}

void TestDarkPalette::chosenColoursStay()
{
    const QPalette dark = desktop(QColor(0x31, 0x36, 0x3B), QColor(0x23, 0x26, 0x29), Qt::white);
    Settings s;
    s.fcolor1 = 0x123456;
    s.linenoforeground = 0x00FF00;
    QCOMPARE(PaletteColors::textColor(s.fcolor1, s.BackColor, dark), QColor(0x56, 0x34, 0x12));
    QCOMPARE(PaletteColors::resolve(Role::GutterNumbers, s.linenoforeground, s.BackColor, dark), QColor(0, 0xFF, 0));
    // A background of the user's own: every default stays as it is, whatever the desktop.
    s.BackColor = 0xFFFFFF;
    QCOMPARE(PaletteColors::textColor(s.fcolor2, s.BackColor, dark), QColor(0x80, 0, 0x80));
}

// Switching the desktop to dark recolours the text and the gutter of an open window.
void TestDarkPalette::darkDesktopRecoloursTheOpenWindow()
{
    QTemporaryDir app;
    TestSupport::PrompterGuard prompter;
    frmMain window(app.path());
    window.show();
    window.surface().setText(QStringLiteral("while x"));
    window.surface().setSelStart(0);
    window.surface().setSelLength(5);
    window.surface().setSelColor(window.settings.fcolor1);
    window.surface().setSelLength(0);
    auto *view = window.findChild<ScintillaView *>(QStringLiteral("txtText"));
    QVERIFY(view);
    const auto keywordColour = [view] {
        const long style = view->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, 1);
        return OleColors::toQColor(OleColor(view->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, style)));
    };
    QCOMPARE(keywordColour(), QColor(0, 0, 0xFF));

    const QPalette previous = QApplication::palette();
    QApplication::setPalette(desktop(QColor(0x31, 0x36, 0x3B), QColor(0x23, 0x26, 0x29), QColor(0xEF, 0xF0, 0xF1)));
    QTest::qWait(1);
    const QColor keyword = keywordColour();
    const QImage gutter = window.findChild<QWidget *>(QStringLiteral("PicLines"))->grab().toImage();
    QApplication::setPalette(previous);
    QCOMPARE(keyword, QColor(0x56, 0x9C, 0xD6));
    QCOMPARE(gutter.pixelColor(1, gutter.height() - 2), QColor(0x25, 0x25, 0x26));
    QVERIFY(prompter->asked.isEmpty());
}

QTEST_MAIN(TestDarkPalette)
#include "tst_darkpalette.moc"
