#include "Authoring.h"
#include "ColorScheme.h"
#include "ColorSwatch.h"
#include "CommandTable.h"
#include "EditorSurface.h"
#include "FieldRule.h"
#include "FileFilters.h"
#include "MainOptionsHost.h"
#include "NumberField.h"
#include "OptionsApply.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "TypingAids.h"
#include "TestSupport.h"
#include "WindowPlacement.h"
#include "frmMain.h"
#include "frmSettings.h"
#include "modTransparent.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace {

FieldRule ruleNamed(const QString &name)
{
    if (name == QLatin1String("tab"))
        return FieldRule::tabWidth();
    if (name == QLatin1String("lucidity"))
        return FieldRule::lucidity();
    return FieldRule::fileSizeLimit(40000);
}

// A main window over a temporary application folder holding the shipped data.
struct Window {
    QTemporaryDir app;
    PrompterGuard prompter;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<MainOptionsHost> host;

    Window()
    {
        seedFolder(sourceDir() + QStringLiteral("/data"), app.path());
        window = std::make_unique<frmMain>(app.path());
        host = std::make_unique<MainOptionsHost>(*window);
    }
    std::unique_ptr<frmSettings> dialog() { return std::make_unique<frmSettings>(*host, window.get()); }
    QString settingsFile() const { return app.filePath(QStringLiteral("settings.ini")); }
};

template <typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

QString otherFont(QComboBox *fonts)
{
    for (int i = 0; i < fonts->count(); ++i) {
        if (fonts->itemText(i) != fonts->currentText())
            return fonts->itemText(i);
    }
    return {};
}

// A template store that remembers what it was given.
struct RecordingTemplates : TemplateSource {
    QList<QList<TemplateEntry>> saves;
    QList<TemplateEntry> loadTemplates() override
    {
        QList<TemplateEntry> entries = defaultTemplates();
        entries[2] = {QStringLiteral("Header"), QStringLiteral("a\r\nb")};
        return entries;
    }
    std::optional<QString> saveTemplates(const QList<TemplateEntry> &templates) override
    {
        saves << templates;
        return std::nullopt;
    }
};

struct HostWithTemplates : MainOptionsHost {
    using MainOptionsHost::MainOptionsHost;
    RecordingTemplates store;
    TemplateSource *templateSource() override { return &store; }
};

struct LongNameTemplates : RecordingTemplates {
    QList<TemplateEntry> loadTemplates() override
    {
        QList<TemplateEntry> entries = defaultTemplates();
        entries[0].name = QString(100000, u'n');
        return entries;
    }
};

struct HostWithLongName : MainOptionsHost {
    using MainOptionsHost::MainOptionsHost;
    LongNameTemplates store;
    TemplateSource *templateSource() override { return &store; }
};

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void fieldRules_data();
    void fieldRules();
    void typingIntoTheLimitField();
    void translucencyAlpha_data();
    void translucencyAlpha();
    void ignoreList_data();
    void ignoreList();
    void reloadedSettingsKeptTheOldIgnoreList();
    void schemeBoxAndProgramFilterWereMisnamed();
    void schemeFiles();
    void defaultsLeaveUnlistedControls();
    void defaultsThenCancelChangesNothing();
    void everyDeclaredControlLoadsAndStores();
    void applyFont_data();
    void applyFont();
    void applyRehighlightsSavesAndKeepsOtherKeys();
    void templatesPageIsRemembered();
    void templatesPageSavesThroughItsStore();
    void templatesReachTheInsertMenu();
    void longTemplateNameNeverWidensSettingsPastTheScreen();
    void schemeChosenInTheDialog();
};

void TestOptions::fieldRules_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tab width 0 becomes 1") << "tab" << "0" << false << "1";
    QTest::newRow("tab width 40 becomes 12") << "tab" << "40" << true << "12";
    QTest::newRow("tab width not a number becomes 1") << "tab" << "x" << true << "1";
    QTest::newRow("tab width 7 stays") << "tab" << "7" << true << "7";
    QTest::newRow("lucidity 40 becomes 30") << "lucidity" << "40" << true << "30";
    QTest::newRow("lucidity 31 becomes 30") << "lucidity" << "31" << false << "30";
    QTest::newRow("lucidity not a number becomes 10") << "lucidity" << "ab" << false << "10";
    QTest::newRow("lucidity -3 becomes 1") << "lucidity" << "-3" << true << "1";
    QTest::newRow("limit 999 becomes 1000") << "limit" << "999" << false << "1000";
    QTest::newRow("limit 5 being typed waits") << "limit" << "5" << true << "5";
    QTest::newRow("limit not a number becomes the current limit") << "limit" << "12a" << true << "40000";
    QTest::newRow("limit beyond 32 bits is cut") << "limit" << "99999999999" << true << "2147483647";
    QTest::newRow("emptied field waits while typing") << "tab" << "" << true << "";
    QTest::newRow("empty field left becomes the fallback") << "lucidity" << "" << false << "10";
}

void TestOptions::fieldRules()
{
    QFETCH(QString, rule);
    QFETCH(QString, text);
    QFETCH(bool, typing);
    QFETCH(QString, expected);
    QCOMPARE(ruleNamed(rule).corrected(text, typing), expected);
}

void TestOptions::typingIntoTheLimitField()
{
    NumberField limit(QStringLiteral("txtColorFileSizeLimit"), FieldRule::fileSizeLimit(40000), nullptr);
    limit.setText(QStringLiteral("999"));
    QCOMPARE(limit.text(), QStringLiteral("1000"));
    limit.selectAll();
    QTest::keyClick(&limit, Qt::Key_Backspace);
    QTest::keyClicks(&limit, QStringLiteral("5"));
    QCOMPARE(limit.text(), QStringLiteral("5"));
    emit limit.editingFinished();
    QCOMPARE(limit.text(), QStringLiteral("1000"));
    QTest::keyClick(&limit, Qt::Key_Down);
    QCOMPARE(limit.text(), QStringLiteral("1000"));
    QTest::keyClick(&limit, Qt::Key_Up);
    QCOMPARE(limit.text(), QStringLiteral("2000"));

    NumberField tab(QStringLiteral("txtTabWidth"), FieldRule::tabWidth(), nullptr);
    tab.setText(QStringLiteral("11"));
    QTest::keyClick(&tab, Qt::Key_Up);
    QTest::keyClick(&tab, Qt::Key_Up);
    QCOMPARE(tab.text(), QStringLiteral("12"));
    tab.selectAll();
    QTest::keyClicks(&tab, QStringLiteral("40"));
    QCOMPARE(tab.text(), QStringLiteral("12"));
}

void TestOptions::translucencyAlpha_data()
{
    QTest::addColumn<int>("lucidity");
    QTest::addColumn<int>("alpha");
    QTest::newRow("L=10") << 10 << 229;
    QTest::newRow("L=20") << 20 << 204;
    QTest::newRow("L=30") << 30 << 178;
    QTest::newRow("L=1") << 1 << 252;
    QTest::newRow("L=0 counts as 10") << 0 << 229;
    QTest::newRow("L=31 counts as 10") << 31 << 229;
    QTest::newRow("L=100 counts as 10") << 100 << 229;
    QTest::newRow("L=-5 counts as 10") << -5 << 229;
}

void TestOptions::translucencyAlpha()
{
    QFETCH(int, lucidity);
    QFETCH(int, alpha);
    QCOMPARE(modTransparent::alphaFor(qint16(lucidity)), alpha);
}

void TestOptions::ignoreList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("BR, empty line, HR") << "BR\r\n\r\nHR" << QByteArray("br\r\nhr\r\n");
    QTest::newRow("one line is written too") << "Img" << QByteArray("img\r\n");
    QTest::newRow("emptied list empties the file") << "" << QByteArray();
    QTest::newRow("plain line breaks") << "p\nli\n" << QByteArray("p\r\nli\r\n");
}

void TestOptions::ignoreList()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, file);
    Window w;
    writeFile(w.app, QStringLiteral("ignoreclosetag.txt"), "old\r\nlist\r\n");
    auto dialog = w.dialog();
    QCOMPARE(child<QPlainTextEdit>(dialog.get(), "txtIgnore")->toPlainText(), QStringLiteral("old\nlist"));
    child<QPlainTextEdit>(dialog.get(), "txtIgnore")->setPlainText(text);
    QVERIFY(dialog->Apply().isEmpty());
    QCOMPARE(readFile(w.app.filePath(QStringLiteral("ignoreclosetag.txt"))), file);
}

void TestOptions::reloadedSettingsKeptTheOldIgnoreList()
{
    Window w;
    writeFile(w.app, QStringLiteral("ignoreclosetag.txt"), "BLINK\r\nwbr\r\n");
    QVERIFY(!w.window->typingAids().ignoreElements().contains(QStringLiteral("blink")));
    // What the focus check does after another window saved its settings.
    w.window->LoadMySettings(true);
    QCOMPARE(w.window->typingAids().ignoreElements(), (QStringList{QStringLiteral("blink"), QStringLiteral("wbr")}));
}

void TestOptions::schemeBoxAndProgramFilterWereMisnamed()
{
    Window w;
    auto dialog = w.dialog();
    w.prompter->inputAnswers << std::nullopt;
    child<QPushButton>(dialog.get(), "cmdSaveColorScheme")->click();
    QCOMPARE(w.prompter->dialogs.last().title, QStringLiteral("Orvane"));
    w.prompter->openAnswers << QString();
    // The hand-off is off by default, and its browse button with it.
    child<QCheckBox>(dialog.get(), "chkThirdPartyEditor")->click();
    child<QPushButton>(dialog.get(), "cmdBrowseThirdPartyEditor")->click();
    // Shown with the dialog's details hidden, each entry names its patterns once.
    for (const QString &entry : FileFilters::dialogFilter(w.prompter->dialogs.last().filter).split(QStringLiteral(";;")))
        QCOMPARE(FileFilters::displayText(entry).count(QLatin1Char('(')), 1);
}

void TestOptions::schemeFiles()
{
    QTemporaryDir app;
    QDir(app.path()).mkpath(QStringLiteral("schemes/folder.scheme"));
    writeFile(app, QStringLiteral("schemes/dark.blue.scheme"), "LineForeground=16777215\r\nkeywords=5=6\r\n");
    writeFile(app, QStringLiteral("schemes/garbage.scheme"), QByteArray("\x00\xff=\x01\r\nnumbers=abc\r\n=\r\ncomments", 30));
    writeFile(app, QStringLiteral("schemes/notes.txt"), "backcolor=1\r\n");
    QCOMPARE(ColorScheme::list({app.filePath(QStringLiteral("schemes"))}), (QStringList{QStringLiteral("dark"), QStringLiteral("garbage")}));

    const ColorScheme start = ColorScheme::fromSettings(Settings());
    const std::optional<ColorScheme> dark = ColorScheme::load(ColorScheme::pathFor({app.filePath(QStringLiteral("schemes"))}, QStringLiteral("dark")), start);
    QVERIFY(dark);
    Settings s;
    dark->applyTo(s);
    QCOMPARE(s.linenoforeground, OleColor(0xFFFFFF));
    QCOMPARE(s.currlinebackground, OleColor(0xFFFFFF));
    QCOMPARE(s.fcolor1, OleColor(5));
    QCOMPARE(ColorScheme::load(ColorScheme::pathFor({app.filePath(QStringLiteral("schemes"))}, QStringLiteral("garbage")), start), std::optional(start));
    QVERIFY(!ColorScheme::load(app.filePath(QStringLiteral("schemes/missing.scheme")), start));

    // An installed program lists the user's schemes with the shipped ones; the user's copy wins.
    QDir(app.path()).mkpath(QStringLiteral("shipped"));
    writeFile(app, QStringLiteral("shipped/dark.scheme"), "LineForeground=0\r\n");
    writeFile(app, QStringLiteral("shipped/light.scheme"), "LineForeground=0\r\n");
    const QStringList both{app.filePath(QStringLiteral("schemes")), app.filePath(QStringLiteral("shipped"))};
    QCOMPARE(ColorScheme::list(both), (QStringList{QStringLiteral("dark"), QStringLiteral("garbage"), QStringLiteral("light")}));
    QCOMPARE(ColorScheme::pathFor(both, QStringLiteral("dark")), app.filePath(QStringLiteral("schemes/dark.blue.scheme")));
    QCOMPARE(ColorScheme::pathFor(both, QStringLiteral("light")), app.filePath(QStringLiteral("shipped/light.scheme")));

    ColorScheme saved{OleColors::WindowBackground, 1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFF};
    QVERIFY(!saved.save(app.filePath(QStringLiteral("schemes/mine.scheme"))));
    QVERIFY(readFile(app.filePath(QStringLiteral("schemes/mine.scheme")))
                .startsWith("backcolor=-2147483643\r\nforecolor=1\r\nlinebackground=2\r\n"));
    QCOMPARE(ColorScheme::load(app.filePath(QStringLiteral("schemes/mine.scheme")), start), std::optional(saved));
}

void TestOptions::defaultsLeaveUnlistedControls()
{
    Settings changed;
    changed.Font = QStringLiteral("Liberation Sans");
    changed.TabWidth = 9;
    changed.FormTransparent = true;
    changed.OnlyMonoSpace = false;
    changed.BoldKeyWords = false;
    changed.ColorFileSizeLimit = 5000;
    changed.fcolorNumber = 7;
    changed.HTMLBoldTag = 2;
    changed.InitialFolder = QStringLiteral("/tmp/x/");
    changed.UseFolder = true;
    const Settings d = OptionsApply::defaults(changed);
    QCOMPARE(d.Font, Settings().Font);
    QCOMPARE(d.TabWidth, qint16(4));
    QVERIFY(!d.FormTransparent);
    QVERIFY(!d.OnlyMonoSpace);
    QVERIFY(!d.BoldKeyWords);
    QCOMPARE(d.ColorFileSizeLimit, 5000);
    QCOMPARE(d.fcolorNumber, OleColor(7));
    QCOMPARE(d.HTMLBoldTag, qint16(2));
    QCOMPARE(d.InitialFolder, QStringLiteral("/tmp/x/"));
    QVERIFY(d.UseFolder);
}

void TestOptions::defaultsThenCancelChangesNothing()
{
    Window w;
    w.window->settings().TabWidth = 7;
    w.window->settings().fcolor1 = 0x123456;
    w.window->SaveMySettings();
    const QByteArray before = readFile(w.settingsFile());
    const Settings settings = w.window->settings();
    auto dialog = w.dialog();
    QVERIFY(!child<QPushButton>(dialog.get(), "cmdApply")->isEnabled());
    child<QPushButton>(dialog.get(), "cmdDefault")->click();
    QCOMPARE(child<NumberField>(dialog.get(), "txtTabWidth")->text(), QStringLiteral("4"));
    QVERIFY(child<QPushButton>(dialog.get(), "cmdOK")->isEnabled());
    child<QPushButton>(dialog.get(), "cmdClose")->click();
    QCOMPARE(readFile(w.settingsFile()), before);
    QVERIFY(w.window->settings() == settings);
}

void TestOptions::everyDeclaredControlLoadsAndStores()
{
    Window w;
    const Settings start = w.window->settings();
    Settings changed = start;
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(changed.*member)>;
                if constexpr (std::is_same_v<T, QString>)
                    changed.*member += QStringLiteral("/changed");
                else if constexpr (std::is_same_v<T, bool>)
                    changed.*member = !(changed.*member);
                else
                    changed.*member = T(changed.*member + 1);
            },
            key.field);
    }

    // The user edits every declared control: exactly those keys change.
    auto dialog = w.dialog();
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        if (!key.control)
            continue;
        const QList<QWidget *> found = dialog->findChildren<QWidget *>(QLatin1String(key.control));
        QVERIFY2(found.size() == 1, key.control);
        QWidget *control = found.first();
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(changed.*member)>;
                const T value = changed.*member;
                auto *combo = qobject_cast<QComboBox *>(control);
                if constexpr (std::is_same_v<T, bool>) {
                    qobject_cast<QCheckBox *>(control)->setChecked(value);
                } else if constexpr (std::is_same_v<T, OleColor>) {
                    qobject_cast<ColorSwatch *>(control)->setColor(value);
                } else if constexpr (std::is_same_v<T, QString>) {
                    if (combo) {
                        combo->addItem(value);
                        combo->setCurrentText(value);
                    } else {
                        qobject_cast<QLineEdit *>(control)->setText(value);
                    }
                } else if (combo) {
                    if constexpr (std::is_same_v<T, double>)
                        combo->setCurrentText(QString::number(value));
                    else
                        combo->setCurrentIndex(value - 1);
                } else {
                    qobject_cast<QLineEdit *>(control)->setText(QString::number(value));
                }
            },
            key.field);
    }
    const Settings edited = dialog->controlsSettings();
    Settings applied = start;
    OptionsApply::copyEdited(edited, applied);
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        Settings expected = edited;
        SettingsKeys::copy(key, key.control ? changed : start, expected);
        QVERIFY2(expected == edited, key.name);
        SettingsKeys::copy(key, key.copiedByApply() ? changed : start, expected = applied);
        QVERIFY2(expected == applied, key.name);
    }

    // Opened over changed settings, the dialog gives them back untouched.
    w.window->settings() = changed;
    QCOMPARE(w.dialog()->controlsSettings(), changed);
}

void TestOptions::applyFont_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("recoloured");
    QTest::newRow("size only keeps the colours") << "size" << false;
    QTest::newRow("font name recolours") << "name" << true;
    QTest::newRow("bold recolours") << "bold" << true;
    QTest::newRow("text colour recolours") << "colour" << true;
}

void TestOptions::applyFont()
{
    QFETCH(QString, change);
    QFETCH(bool, recoloured);
    Window w;
    EditorSurface &s = w.window->surface();
    s.setText(QStringLiteral("hello world"));
    s.setSelStart(6);
    s.setSelLength(5);
    s.setSelColor(0x00AA00);
    s.setSelStart(2);
    s.setSelLength(0);
    auto dialog = w.dialog();
    auto *fonts = child<QComboBox>(dialog.get(), "cboFonts");
    if (change == QLatin1String("size"))
        child<QComboBox>(dialog.get(), "cboSize")->setCurrentText(QStringLiteral("12"));
    else if (change == QLatin1String("name"))
        fonts->setCurrentText(otherFont(fonts));
    else if (change == QLatin1String("bold"))
        child<QCheckBox>(dialog.get(), "chkBold")->setChecked(true);
    else {
        w.prompter->colorAnswers << QColor(0x00, 0x00, 0x80);
        QVERIFY(child<ColorSwatch>(dialog.get(), "picForeColor")->pick());
    }
    QCOMPARE(dialog->formatChanged(), recoloured);
    QVERIFY(dialog->Apply().isEmpty());
    const CharFormat world = s.formatAt(7);
    QCOMPARE(world.color, recoloured ? w.window->settings().fcolor : OleColor(0x00AA00));
    QCOMPARE(world.fontName, fonts->currentText());
    QCOMPARE(world.fontSize, change == QLatin1String("size") ? 12.0 : Settings().FontSize);
    QCOMPARE(s.selStart(), 2);
    QVERIFY(!dialog->formatChanged());
}

void TestOptions::applyRehighlightsSavesAndKeepsOtherKeys()
{
    Window w;
    const QString doc = writeFile(w.app, QStringLiteral("t.c"), "int x;\r\n");
    w.window->settings().RegExpSearch = true;
    w.window->ReadFile(doc, false);
    QVERIFY(w.window->languageActive());
    auto dialog = w.dialog();
    auto *fonts = child<QComboBox>(dialog.get(), "cboFonts");
    fonts->setCurrentText(otherFont(fonts));
    child<NumberField>(dialog.get(), "txtTabWidth")->setText(QStringLiteral("40"));
    child<QCheckBox>(dialog.get(), "chkTransparent")->setChecked(true);
    child<NumberField>(dialog.get(), "txtTrans")->setText(QStringLiteral("20"));
    QVERIFY(dialog->Apply().isEmpty());
    EditorSurface &s = w.window->surface();
    QCOMPARE(s.formatAt(0).color, w.window->settings().fcolor1);
    QCOMPARE(s.formatAt(0).fontName, fonts->currentText());
    QCOMPARE(w.window->settings().TabWidth, qint16(12));
    QVERIFY(w.window->settings().RegExpSearch);
    QCOMPARE(qRound(w.window->windowOpacity() * 255), 204);
    const QByteArray ini = readFile(w.settingsFile());
    QVERIFY(ini.contains("\r\nTabWidth=12\r\n"));
    QVERIFY(ini.contains("\r\nFormTransparent=1\r\n"));
    QVERIFY(!child<QPushButton>(dialog.get(), "cmdApply")->isEnabled());
    child<QCheckBox>(dialog.get(), "chkTransparent")->setChecked(false);
    dialog->Apply();
    QCOMPARE(w.window->windowOpacity(), 1.0);
}

void TestOptions::templatesPageIsRemembered()
{
    Window w;
    QList<int> pages;
    const auto openAndClose = [&](const char *command) {
        QTimer::singleShot(0, [&pages] {
            auto *dialog = qobject_cast<frmSettings *>(QApplication::activeModalWidget());
            pages << (dialog ? dialog->currentPage() : -1);
            if (dialog)
                dialog->reject();
        });
        CommandTable::findCommand(w.window.get(), command)->trigger();
    };
    openAndClose("mnuInsertTemplatesEdit");
    openAndClose("mnuFormatOptions");
    QCOMPARE(pages, (QList<int>{6, 6}));
    auto dialog = w.dialog();
    QVERIFY(dialog->findChild<QWidget *>(QStringLiteral("fraTemplate"))->isVisibleTo(dialog.get()));
    QVERIFY(!dialog->findChild<QWidget *>(QStringLiteral("fraGeneral"))->isVisibleTo(dialog.get()));
    child<QPushButton>(dialog.get(), "cmdEditor")->click();
    QCOMPARE(w.window->settings().LastOptionViewed, qint16(2));
}

void TestOptions::templatesPageSavesThroughItsStore()
{
    Window w;
    HostWithTemplates host(*w.window);
    frmSettings dialog(host, w.window.get());
    auto *list = child<QComboBox>(&dialog, "cboTempName");
    QCOMPARE(list->itemText(2), QStringLiteral("Header - 3"));
    QCOMPARE(list->itemText(9), QStringLiteral("User Template 10 - 10"));
    emit list->activated(2);
    QCOMPARE(child<QPlainTextEdit>(&dialog, "txtContent")->toPlainText(), QStringLiteral("a\nb"));
    QTest::keyClicks(child<QLineEdit>(&dialog, "txtTempName"), QStringLiteral("X"));
    QCOMPARE(list->itemText(2), QStringLiteral("HeaderX - 3"));
    QVERIFY(child<QPushButton>(&dialog, "cmdOK")->isEnabled());
    dialog.Apply();
    dialog.Apply();
    QCOMPARE(host.store.saves.size(), 1);
    QCOMPARE(host.store.saves.at(0).at(2), (TemplateEntry{QStringLiteral("HeaderX"), QStringLiteral("a\r\nb")}));
    QCOMPARE(host.store.saves.at(0).size(), TemplateSource::Count);
}

void TestOptions::longTemplateNameNeverWidensSettingsPastTheScreen()
{
    WindowPlacement::keepWindowsOnScreen();
    Window w;
    w.window->settings().LastOptionViewed = 6;
    HostWithLongName host(*w.window);
    frmSettings dialog(host, w.window.get());
    QVERIFY(dialog.findChild<QWidget *>(QStringLiteral("fraTemplate"))->isVisibleTo(&dialog));
    dialog.show();
    const QRect area = dialog.screen()->availableGeometry();
    QVERIFY2(area.contains(dialog.frameGeometry()), qPrintable(QStringLiteral("%1 wide").arg(dialog.frameGeometry().width())));
}

void TestOptions::templatesReachTheInsertMenu()
{
    Window w;
    const QString file = w.app.filePath(QStringLiteral("templates/templates.dat"));
    {
        auto dialog = w.dialog();
        auto *list = child<QComboBox>(dialog.get(), "cboTempName");
        emit list->activated(1);
        child<QLineEdit>(dialog.get(), "txtTempName")->clear();
        QTest::keyClicks(child<QLineEdit>(dialog.get(), "txtTempName"), QStringLiteral("Letter"));
        child<QPlainTextEdit>(dialog.get(), "txtContent")->setPlainText(QStringLiteral("Dear $startpos,\nBye"));
        QVERIFY(dialog->Apply().isEmpty());
        dialog->accept();
    }
    QVERIFY(readFile(file).contains("Letter"));
    QCOMPARE(w.window->authoring().templates().TemplateName(1), QStringLiteral("Letter"));
    QCOMPARE(w.window->authoring().templates().TemplateContent(1), QStringLiteral("Dear $startpos,\r\nBye"));

    // Cancel after an edit writes nothing and the store keeps what the file has.
    const QByteArray before = readFile(file);
    {
        auto dialog = w.dialog();
        emit child<QComboBox>(dialog.get(), "cboTempName")->activated(1);
        QTest::keyClicks(child<QLineEdit>(dialog.get(), "txtTempName"), QStringLiteral("Dropped"));
        dialog->reject();
    }
    QCOMPARE(readFile(file), before);
    QCOMPARE(w.window->authoring().templates().TemplateName(1), QStringLiteral("Letter"));
}

void TestOptions::schemeChosenInTheDialog()
{
    Window w;
    writeFile(w.app, QStringLiteral("schemes/dark.blue.scheme"), "lineforeground=16777215\r\nbackcolor=3355443\r\n");
    w.window->surface().setText(QStringLiteral("plain text"));
    auto dialog = w.dialog();
    auto *schemes = child<QComboBox>(dialog.get(), "cboColorSchemes");
    QVERIFY(schemes->findText(QStringLiteral("dark")) >= 0);
    QVERIFY(schemes->findText(QStringLiteral("high-contrast")) >= 0);
    child<ColorSwatch>(dialog.get(), "picCurrLineNoBackground")->setColor(0);
    QTest::qWait(0);
    emit schemes->activated(schemes->findText(QStringLiteral("dark")));
    // The shipped dark.scheme is the one "dark" names; its own current-line colour is its lineforeground.
    const OleColor lineFore = child<ColorSwatch>(dialog.get(), "picLineNoForeground")->color();
    QCOMPARE(child<ColorSwatch>(dialog.get(), "picCurrLineNoBackground")->color(), lineFore);
    QVERIFY(!dialog->formatChanged());
    dialog->Apply();
    QCOMPARE(w.window->surface().backColor(), child<ColorSwatch>(dialog.get(), "picBackGround")->color());
    QVERIFY(qGray(OleColors::toQColor(w.window->surface().backColor()).rgb()) < 64);
    QCOMPARE(w.window->surface().formatAt(0).color, child<ColorSwatch>(dialog.get(), "picForeColor")->color());
    QVERIFY(qGray(OleColors::toQColor(w.window->surface().formatAt(0).color).rgb()) > 160);

    w.prompter->inputAnswers << QStringLiteral("mine");
    child<QPushButton>(dialog.get(), "cmdSaveColorScheme")->click();
    QVERIFY(schemes->findText(QStringLiteral("mine")) >= 0);
    w.prompter->inputAnswers << QStringLiteral("mine");
    w.prompter->answers << QMessageBox::No;
    child<QPushButton>(dialog.get(), "cmdSaveColorScheme")->click();
    QCOMPARE(w.prompter->asked.last().text, QStringLiteral("That scheme allready exists, do you want to overwrite it?"));
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
