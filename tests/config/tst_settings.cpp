#include "OleColor.h"
#include "Settings.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "TestSupport.h"
#include "WindowPlacement.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <utility>

namespace {

// Every field away from its default, so a key that is not written or not read shows up.
Settings everythingChanged()
{
    Settings s;
    s.Font = QStringLiteral("Liberation Mono");
    s.FontSize = 10.5;
    s.fcolor = 0x112233;
    s.BackColor = 0x445566;
    s.TextBold = true;
    s.TextItalic = true;
    s.AutoIndent = false;
    s.AutoBracketIndent = true;
    s.ShowLineNumbers = false;
    s.ShowCurrentLine = false;
    s.ShowToolBar = false;
    s.OpenFilesInNewWindow = false;
    s.ReloadFileAtStartup = true;
    s.OnlyMonoSpace = false;
    s.linenobackground = 1;
    s.linenoforeground = 2;
    s.currlinebackground = 3;
    s.currlineforeground = 4;
    s.InsertPairs = false;
    s.HTMLCompletion = false;
    s.HomeKeyCol1 = true;
    s.IsAssociationSet = true;
    s.AlwaysOnTop = true;
    s.TabWidth = 7;
    s.UseSpacesInsteadOfTabs = true;
    s.PrinterTop = 11;
    s.PrinterLeft = 12;
    s.PrinterRight = 13;
    s.PrinterBottom = 14;
    s.ShowTip = false;
    s.CurrentTip = 15;
    s.BlinkAlert = false;
    s.DisableFileChangeDetection = true;
    s.AutoUpdateChangedFiles = true;
    s.HTMLBoldTag = 2;
    s.HTMLItalicTag = 2;
    s.HTMLCenterTag = 2;
    s.FormTransparent = true;
    s.Lucidity = 55;
    s.RegExpSearch = true;
    s.ForceCase = true;
    s.ShowArgumentTips = false;
    s.ListArgumentTipsOnSinglelLine = true;
    s.fcolorComment = 5;
    s.fcolor1 = 6;
    s.fcolor2 = 7;
    s.fcolorString = 8;
    s.fcolorNumber = 9;
    s.HighLightNumbers = true;
    s.enableSyntaxHighlightning = false;
    s.ColorFileSizeLimit = 1234;
    s.PromptWarningLargeFile = false;
    s.UseFolder = true;
    s.CopyAsRichText = true;
    s.AutoUnderlineBracket = false;
    s.CloseEmptyTag = true;
    s.BoldKeyWords = false;
    s.ItalicComments = false;
    s.OpenFileInThirdPartyEditor = true;
    s.ThirdPartyEditorSize = 999;
    s.ThirdPartyEditorPath = QStringLiteral("/usr/bin/my editor");
    s.ShowBlanks = true;
    s.EdgeColumn = 80;
    s.ShowFoldMargin = false;
    s.LastOptionViewed = 6;
    s.placement = {false, 150.5, 300, 12000, 8000.25};
    s.LastOpenedFile = QStringLiteral("/home/user/caf\u00e9.txt");
    s.InitialFolder = QStringLiteral("/srv/\u0434\u043e\u043a/");  // not Latin-1
    s.lastInsertedHTMLColor = 0xABCDEF;
    s.WordWrap = true;
    return s;
}

// The written line of one key, so expectations read like the file.
QString lineOf(const Settings &s, const QString &key)
{
    for (const QString &line : SettingsStore::settingsLines(s) + SettingsStore::settings2Lines(s)) {
        if (line.section(u'=', 0, 0) == key)
            return line;
    }
    return QString();
}

// Converts to any field type, so Settings{Any{}, …} compiles exactly up to its number of fields.
struct Any {
    template <class T> operator T() const;
};

template <class T, std::size_t... I> constexpr bool initialisableWith(std::index_sequence<I...>)
{
    return requires { T{(void(I), Any{})...}; };
}

template <class T, std::size_t N = 0> constexpr std::size_t fieldCount()
{
    if constexpr (initialisableWith<T>(std::make_index_sequence<N + 1>{}))
        return fieldCount<T, N + 1>();
    else
        return N;
}

// A value away from the current one that every read rule takes as it is.
void changeThroughDeclaration(Settings &s, const SettingsKeys::Key &key)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(s.*member)>;
            if constexpr (std::is_same_v<T, QString>)
                s.*member += QStringLiteral("/changed");
            else if constexpr (std::is_same_v<T, bool>)
                s.*member = !(s.*member);
            else
                s.*member = T(s.*member + 1);
        },
        key.field);
}

} // namespace

class tst_Settings : public QObject {
    Q_OBJECT

private slots:
    void roundTripKeepsEveryKey();
    void everyFieldDeclaredOnce();
    void everyDeclaredKeyRoundTrips();
    void writtenForm();
    void maximisedWindowWritesStateOnly();
    void readLine_data();
    void readLine();
    void defaultsForThisPlatform();
    void placement_data();
    void placement();
    void absurdPlacementStaysOnScreen_data();
    void absurdPlacementStaysOnScreen();
    void onlyMonoSpace_data();
    void onlyMonoSpace();
    void missingFilesAndSetDefaults();
    void encodings();
    void oleColors();
    void fuzzRandomLines();
};

void tst_Settings::roundTripKeepsEveryKey()
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    const Settings changed = everythingChanged();

    const QStringList defaultLines = SettingsStore::settingsLines(Settings());
    const QStringList changedLines = SettingsStore::settingsLines(changed);
    QCOMPARE(changedLines.size(), 64);
    for (int i = 0; i < defaultLines.size(); ++i)
        QVERIFY2(defaultLines.at(i) != changedLines.at(i), qPrintable(defaultLines.at(i)));

    QVERIFY(!store.SaveMySettings(changed));
    QVERIFY(!store.SaveMySettings2(changed));
    Settings loaded = store.LoadMySettings2(Settings());
    loaded = store.LoadMySettings(loaded, SettingsLoad::Reload);
    QCOMPARE(loaded, changed);
}

void tst_Settings::everyFieldDeclaredOnce()
{
    const auto keys = SettingsKeys::all();
    QCOMPARE(fieldCount<Settings>(), keys.size() + SettingsKeys::undeclaredFields);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            QVERIFY2(keys[i].field != keys[j].field, keys[i].name);
            QVERIFY2(QString::fromLatin1(keys[i].name).compare(QLatin1String(keys[j].name), Qt::CaseInsensitive) != 0,
                     keys[i].name);
        }
        // A control the dialog edits is applied, and one it does not edit names no control.
        QCOMPARE(keys[i].control != nullptr, keys[i].copiedByApply());
    }
}

void tst_Settings::everyDeclaredKeyRoundTrips()
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    Settings changed;
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        const Settings before = changed;
        changeThroughDeclaration(changed, key);
        QVERIFY2(!(changed == before), key.name);
    }
    QVERIFY(!store.SaveMySettings(changed));
    QVERIFY(!store.SaveMySettings2(changed));
    const Settings loaded = store.LoadMySettings(store.LoadMySettings2(Settings()), SettingsLoad::StartUp);
    QCOMPARE(loaded, changed);
}

void tst_Settings::writtenForm()
{
    // A German default locale would write "7,5" if formatting followed the locale.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German));
    Settings s;
    s.Font = QStringLiteral("Courier New");
    s.FontSize = 7.5;
    s.PrinterLeft = 25;
    const QString fontSize = lineOf(s, "FontSize");
    QLocale::setDefault(previous);

    QCOMPARE(fontSize, QStringLiteral("FontSize=7.5"));
    QCOMPARE(lineOf(s, "BackColor"), QStringLiteral("BackColor=-2147483643"));
    QCOMPARE(lineOf(s, "PrinterLeft"), QStringLiteral("PrinterLeft= 25"));

    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    QVERIFY(!store.SaveMySettings(s));
    const QByteArray bytes = TestSupport::readFile(store.settingsPath());
    QVERIFY(bytes.startsWith("Font=Courier New\r\nFontSize=7.5\r\n"));
    QCOMPARE(bytes.count("\r\n"), 64);

    // A line break in a text value must not end the line and smuggle in another key.
    s.LastOpenedFile = QStringLiteral("/tmp/a\nAutoIndent=0");
    QCOMPARE(SettingsStore::readSettings2(Settings(), SettingsStore::settings2Lines(s).join("\r\n")).LastOpenedFile,
             QStringLiteral("/tmp/a"));
}

void tst_Settings::maximisedWindowWritesStateOnly()
{
    Settings s;
    s.placement = {true, 10, 20, 30, 40};
    s.LastOpenedFile = QStringLiteral("/x.txt");
    s.InitialFolder = QStringLiteral("/home/u/");
    QCOMPARE(SettingsStore::settings2Lines(s),
             QStringList({"lastoptionviewed=1", "state=2", "LastOpenedFile=/x.txt", "InitialFolder=/home/u/",
                          "lastInsertedHTMLColor=16777215", "WordWrap=0"}));
    s.placement = {false, 1440, 720.5, 10000, 7000};
    QCOMPARE(SettingsStore::settings2Lines(s).mid(1, 4),
             QStringList({"top=1440", "left=720.5", "width=10000", "height=7000"}));
}

void tst_Settings::readLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("TabWidth 0 loads as 1") << "TabWidth=0" << "TabWidth=1";
    QTest::newRow("TabWidth 40 loads as 12") << "TabWidth=40" << "TabWidth=12";
    QTest::newRow("FontSize 8 read as before") << "FontSize=8" << "FontSize=8";
    QTest::newRow("FontSize 6 and 72 read") << "FontSize=6\r\nFontSize=72" << "FontSize=72";
    QTest::newRow("FontSize 5.5 ignored") << "FontSize=12\r\nFontSize=5.5" << "FontSize=12";
    QTest::newRow("FontSize 73 ignored") << "FontSize=12\r\nFontSize=73" << "FontSize=12";
    QTest::newRow("PrinterTop abc falls back to 20") << "PrinterTop=33\r\nPrinterTop=abc" << "PrinterTop=20";
    QTest::newRow("Lucidity text keeps value") << "Lucidity=33\r\nLucidity=abc" << "Lucidity=33";
    QTest::newRow("AutoIndent -1 is false") << "AutoIndent=-1" << "AutoIndent=0";
    QTest::newRow("path cut at second =") << "ThirdPartyEditorPath=/opt/a=b/ed" << "ThirdPartyEditorPath=/opt/a";
    QTest::newRow("unknown key and line without = ignored") << "TabWidthX=6\r\n=6\r\nTabWidth 6" << "TabWidth=4";
    QTest::newRow("LF line ends") << "TabWidth=6\nFontSize=10" << "TabWidth=6";
    QTest::newRow("lone CR line ends") << "FontSize=10\rTabWidth=6" << "TabWidth=6";
    QTest::newRow("ForeColor colours gutter background") << "ForeColor=255" << "linenobackground=255";
    QTest::newRow("BackColor colours gutter numbers") << "BackColor=-2147483633" << "linenoforeground=-2147483633";
    QTest::newRow("colour in unsigned form") << "BackColor=2147483653" << "BackColor=-2147483643";
    QTest::newRow("colour beyond 32 bits keeps value") << "fcolor1=4294967296" << "fcolor1=16711680";
    QTest::newRow("settings2 key in settings.ini ignored") << "WordWrap=1" << "WordWrap=0";
}

void tst_Settings::readLine()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const Settings s = SettingsStore::readSettings(Settings(), text, SettingsLoad::StartUp);
    QCOMPARE(lineOf(s, expected.section(u'=', 0, 0)), expected);
}

// No outside editor assumed, colouring up to 100 MB, a fixed-width font of 10 pt or more.
void tst_Settings::defaultsForThisPlatform()
{
    const Settings s;
    QVERIFY(!s.OpenFileInThirdPartyEditor);
    QCOMPARE(s.ThirdPartyEditorPath, QString());
    QCOMPARE(s.ColorFileSizeLimit, 100000000);
    QVERIFY(!s.Font.isEmpty());
    QVERIFY(s.FontSize >= 10);
    // What the defaults write reads back the same.
    QCOMPARE(SettingsStore::readSettings(Settings(), SettingsStore::settingsLines(s).join("\r\n"), SettingsLoad::StartUp), s);
}

void tst_Settings::placement_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<double>("top");  // -1: centred
    QTest::addColumn<double>("width");

    QTest::newRow("top abc ignored") << "top=abc" << false << -1.0 << 10000.0;
    QTest::newRow("state 0 still maximises") << "state=0" << true << -1.0 << 10000.0;
    QTest::newRow("placement after state ignored") << "state=2\r\ntop=150\r\nwidth=9000" << true << -1.0 << 10000.0;
}

void tst_Settings::placement()
{
    QFETCH(QString, text);
    QFETCH(bool, maximized);
    QFETCH(double, top);
    QFETCH(double, width);
    const Settings::Placement p = SettingsStore::readSettings2(Settings(), text).placement;
    QCOMPARE(p.maximized, maximized);
    QCOMPARE(p.top.value_or(-1), top);
    QCOMPARE(p.width, width);
}

void tst_Settings::absurdPlacementStaysOnScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("expected");
    // 15 twips a pixel; the available area is 1280 x 800 below a 24-pixel panel.
    QTest::newRow("corner far off screen") << "left=33000\r\ntop=18000\r\nwidth=6000\r\nheight=3000"
                                           << QRect(880, 624, 400, 200);
    QTest::newRow("huge width") << "left=1500\r\ntop=1500\r\nwidth=1e300\r\nheight=3000" << QRect(0, 100, 1280, 200);
    QTest::newRow("huge height centred") << "width=6000\r\nheight=1e300" << QRect(440, 24, 400, 800);
    QTest::newRow("negative corner is no place") << "left=-90000\r\ntop=-1e300\r\nwidth=6000\r\nheight=3000" << QRect(440, 324, 400, 200);
    QTest::newRow("sane place kept") << "left=1500\r\ntop=1500\r\nwidth=6000\r\nheight=3000" << QRect(100, 100, 400, 200);
}

void tst_Settings::absurdPlacementStaysOnScreen()
{
    QFETCH(QString, text);
    QFETCH(QRect, expected);
    const QRect available(0, 24, 1280, 800);
    const Settings::Placement p = SettingsStore::readSettings2(Settings(), text).placement;
    QCOMPARE(WindowPlacement::geometryFor(p, 15, available), expected);
    Settings::Placement infinite;
    infinite.width = std::numeric_limits<double>::infinity();
    infinite.left = std::numeric_limits<double>::quiet_NaN();
    infinite.top = 0;
    QVERIFY(available.contains(WindowPlacement::geometryFor(infinite, 15, available)));
}

void tst_Settings::onlyMonoSpace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<SettingsLoad>("load");
    QTest::addColumn<bool>("expected");

    QTest::newRow("reload keeps it") << "" << SettingsLoad::Reload << false;
    QTest::newRow("start-up then file clears it") << "OnlyMonoSpace=0" << SettingsLoad::StartUp << false;
    QTest::newRow("reload reads the file") << "OnlyMonoSpace=1" << SettingsLoad::Reload << true;
}

void tst_Settings::onlyMonoSpace()
{
    QFETCH(QString, text);
    QFETCH(SettingsLoad, load);
    QFETCH(bool, expected);
    Settings start;
    start.OnlyMonoSpace = false;
    // Through the files, including a missing settings.ini.
    QTemporaryDir dir;
    if (!text.isEmpty())
        TestSupport::writeFile(dir, "settings.ini", text.toLatin1());
    QCOMPARE(SettingsStore(dir.path()).LoadMySettings(start, load).OnlyMonoSpace, expected);
}

void tst_Settings::missingFilesAndSetDefaults()
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    Settings start = everythingChanged();
    start.OnlyMonoSpace = false;
    const Settings loaded = store.LoadMySettings(store.LoadMySettings2(start), SettingsLoad::StartUp);
    QCOMPARE(loaded, Settings());

    // A reload reads over the current values; keys the file lacks stay as they are.
    TestSupport::writeFile(dir, "settings.ini", "TabWidth=9\r\n");
    const Settings reloaded = store.LoadMySettings(everythingChanged(), SettingsLoad::Reload);
    QCOMPARE(reloaded.TabWidth, qint16(9));
    QCOMPARE(reloaded.Lucidity, everythingChanged().Lucidity);

    // Restoring the defaults keeps a maximised window as it is.
    Settings s = everythingChanged();
    QCOMPARE(SettingsStore::SetDefaults(s).placement, Settings::Placement());
    s.placement = {true, 10, 20, 30, 40};
    const Settings d = SettingsStore::SetDefaults(s);
    QCOMPARE(d.placement, s.placement);
    QCOMPARE(d.OnlyMonoSpace, false);
}

void tst_Settings::encodings()
{
    QTemporaryDir dir;
    const SettingsStore store(dir.path());
    Settings s;
    s.LastOpenedFile = QStringLiteral("/home/caf\u00e9.txt");
    QVERIFY(!store.SaveMySettings2(s));
    QVERIFY(TestSupport::readFile(store.settings2Path()).contains("LastOpenedFile=/home/caf\xe9.txt\r\n"));

    s.LastOpenedFile = QStringLiteral("/home/caf\u00e9/\u65e5\u672c.txt");
    QVERIFY(!store.SaveMySettings2(s));
    QVERIFY(TestSupport::readFile(store.settings2Path()).contains("caf\xc3\xa9/\xe6\x97\xa5"));
    QCOMPARE(store.LoadMySettings2(Settings()).LastOpenedFile, s.LastOpenedFile);

    // A hand-written Latin-1 file whose high bytes are no valid UTF-8.
    TestSupport::writeFile(dir, "settings.ini", "Font=Fran\xe7ois Mono\r\n");
    QCOMPARE(store.LoadMySettings(Settings(), SettingsLoad::StartUp).Font, QStringLiteral("Fran\u00e7ois Mono"));
}

void tst_Settings::oleColors()
{
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 1, 1));
    QCOMPARE(OleColors::toQColor(0x0000FF, palette), QColor(255, 0, 0));  // red in the low byte
    QCOMPARE(OleColors::fromQColor(QColor(255, 0, 0)), quint32(0x0000FF));
    QCOMPARE(OleColors::toQColor(0x80000005, palette), QColor(1, 1, 1));  // window background is Base
}

void tst_Settings::fuzzRandomLines()
{
    QRandomGenerator rng(20240611);
    const QStringList keys = SettingsStore::settingsLines(Settings()).replaceInStrings(QRegularExpression("=.*"), "")
                             + QStringList{"lastoptionviewed", "state", "top", "left", "width", "height", "WordWrap"};
    const QStringList values = {"", "1", "-1", "true", "abc", "7.5", " 25", "1e308", "nan", "inf", "-2147483648",
                                "4294967295", "99999999999999999999", "=", "0x10", "\xe9"};
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int lines = int(rng.bounded(40));
        for (int i = 0; i < lines; ++i) {
            switch (rng.bounded(3)) {
            case 0:
                text += keys.at(rng.bounded(keys.size())) + u'=' + values.at(rng.bounded(values.size()));
                break;
            case 1:
                text += keys.at(rng.bounded(keys.size())).toUpper() + u'=' + QString::number(rng.generateDouble() * 40);
                break;
            default:
                for (int c = int(rng.bounded(30)); c > 0; --c)
                    text += QChar(char16_t(rng.bounded(1, 0x3000)));
            }
            text += rng.bounded(2) ? QStringLiteral("\r\n") : QStringLiteral("\n");
        }
        const Settings s = SettingsStore::readSettings2(
            SettingsStore::readSettings(Settings(), text, SettingsLoad::StartUp), text);
        QVERIFY(s.TabWidth >= 1 && s.TabWidth <= 12);
        QVERIFY(s.FontSize >= 6 && s.FontSize <= 72);
        const QString written = (SettingsStore::settingsLines(s) + SettingsStore::settings2Lines(s)).join("\r\n");
        Settings again = SettingsStore::readSettings2(
            SettingsStore::readSettings(Settings(), written, SettingsLoad::StartUp), written);
        if (s.placement.maximized && again.placement.maximized)
            again.placement = s.placement;
        QVERIFY2(again == s, qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
