#include "ChangeDetector.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Action = ChangeDetector::DocumentAction;

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// File times have one-second precision: move the time instead of waiting.
void touch(const QString &path, int secondsAhead)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(secondsAhead), QFileDevice::FileModificationTime));
}

} // namespace

class TestChangeDetector : public QObject {
    Q_OBJECT

private slots:
    void init();
    void checksOncePerActivation();
    void changedAsksOnceAndNoIsRemembered();
    void autoUpdateKeepsSelection();
    void deletedKeepOrDiscard_data();
    void deletedKeepOrDiscard();
    void neverChecked_data();
    void neverChecked();
    void settingsReload();
    void savingForgetsRefusal();
    void deletedMessage();

private:
    QTemporaryDir m_dir;
    QString m_doc;
    QString m_settings;
};

void TestChangeDetector::init()
{
    m_doc = m_dir.filePath(QStringLiteral("doc.txt"));
    m_settings = m_dir.filePath(QStringLiteral("settings.ini"));
    write(m_doc, "text");
    write(m_settings, "[x]");
    touch(m_doc, -100);
    touch(m_settings, -100);
}

void TestChangeDetector::checksOncePerActivation()
{
    ChangeDetector d(m_settings);
    QVERIFY(!d.applicationActive(true));
    QVERIFY(!d.applicationActive(false));
    QVERIFY(d.applicationActive(true));
    QVERIFY(!d.applicationActive(true));
}

void TestChangeDetector::changedAsksOnceAndNoIsRemembered()
{
    ChangeDetector d(m_settings);
    d.documentLoaded(m_doc);
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::None);
    touch(m_doc, 10);
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::AskChanged);
    d.decline();
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::None);
    touch(m_doc, 20);
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::None);
    // Until the next load.
    d.documentLoaded(m_doc);
    touch(m_doc, 30);
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::AskChanged);
}

void TestChangeDetector::autoUpdateKeepsSelection()
{
    ChangeDetector d(m_settings);
    d.documentLoaded(m_doc);
    d.decline();
    touch(m_doc, 10);
    const ChangeDetector::Checks checks = d.runChecks(m_doc, 7, 3, {false, true});
    QCOMPARE(checks.document, Action::Reload);
    QCOMPARE(checks.selStart, 7);
    QCOMPARE(checks.selLength, 3);
}

void TestChangeDetector::deletedKeepOrDiscard_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("Yes keeps: asked again next time") << true;
    QTest::newRow("No discards: not asked again") << false;
}

void TestChangeDetector::deletedKeepOrDiscard()
{
    QFETCH(bool, keep);
    ChangeDetector d(m_settings);
    d.documentLoaded(m_doc);
    QVERIFY(QFile::remove(m_doc));
    QCOMPARE(d.runChecks(m_doc, 0, 0, {false, true}).document, Action::AskDeleted);
    if (!keep)
        d.decline();
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, keep ? Action::AskDeleted : Action::None);
}

void TestChangeDetector::neverChecked_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<bool>("loading");
    QTest::newRow("Untitled") << QStringLiteral("Untitled") << false << false;
    QTest::newRow("detection disabled") << QString() << true << false;
    QTest::newRow("while loading") << QString() << false << true;
}

void TestChangeDetector::neverChecked()
{
    QFETCH(QString, path);
    QFETCH(bool, disabled);
    QFETCH(bool, loading);
    if (path.isEmpty())
        path = m_doc;
    ChangeDetector d(m_settings);
    d.documentLoaded(m_doc);
    touch(m_doc, 10);
    touch(m_settings, 10);
    d.setLoading(loading);
    const ChangeDetector::Checks checks = d.runChecks(path, 0, 0, {disabled, false});
    QCOMPARE(checks.document, Action::None);
    // The settings are watched all the same.
    QVERIFY(checks.reloadSettings);
    QCOMPARE(checks.reloadRecentFiles, !loading);
}

void TestChangeDetector::settingsReload()
{
    ChangeDetector d(m_settings);
    QVERIFY(!d.runChecks(QStringLiteral("Untitled"), 0, 0, {}).reloadSettings);
    touch(m_settings, 10);
    QVERIFY(d.runChecks(QStringLiteral("Untitled"), 0, 0, {}).reloadSettings);
    QVERIFY(!d.runChecks(QStringLiteral("Untitled"), 0, 0, {}).reloadSettings);
    // Saved by this process: recorded, so not reloaded.
    touch(m_settings, 20);
    d.recordSettingsTime();
    QVERIFY(!d.runChecks(QStringLiteral("Untitled"), 0, 0, {}).reloadSettings);
}

void TestChangeDetector::savingForgetsRefusal()
{
    ChangeDetector d(m_settings);
    d.documentLoaded(m_doc);
    touch(m_doc, 10);
    d.decline();
    touch(m_doc, 20);
    d.documentSaved(m_doc);
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::None);
    touch(m_doc, 30);
    QCOMPARE(d.runChecks(m_doc, 0, 0, {}).document, Action::AskChanged);
}

void TestChangeDetector::deletedMessage()
{
    QCOMPARE(ChangeDetector::deletedMessage(QStringLiteral("/a/b.txt")),
             QStringLiteral("/a/b.txt has been deleted, or is no longer available\r\n\r\n"
                            "Click Yes to keep the file, click No to discard it."));
}

QTEST_GUILESS_MAIN(TestChangeDetector)
#include "tst_changedetector.moc"
