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

    QTemporaryDir m_dir;
    QString m_doc;
    QString m_settings;

    Action check(ChangeDetector &d) { return d.runChecks(m_doc, 0, 0, {}).document; }

private slots:
    void init()
    {
        m_doc = m_dir.filePath(QStringLiteral("doc.txt"));
        m_settings = m_dir.filePath(QStringLiteral("settings.ini"));
        write(m_doc, "text");
        write(m_settings, "[x]");
        touch(m_doc, -100);
        touch(m_settings, -100);
    }

    void checksOncePerActivation()
    {
        ChangeDetector d(m_settings);
        QVERIFY(!d.applicationActive(true));
        QVERIFY(!d.applicationActive(false));
        QVERIFY(d.applicationActive(true));
        QVERIFY(!d.applicationActive(true));
    }

    // Asked once; No is remembered until the next load or save.
    void changedAsksOnceAndNoIsRemembered_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("loaded again") << false;
        QTest::newRow("saved") << true;
    }
    void changedAsksOnceAndNoIsRemembered()
    {
        QFETCH(bool, save);
        ChangeDetector d(m_settings);
        d.documentLoaded(m_doc);
        QCOMPARE(check(d), Action::None);
        touch(m_doc, 10);
        QCOMPARE(check(d), Action::AskChanged);
        // Unsaved edits: asked even with automatic update.
        QCOMPARE(d.runChecks(m_doc, 0, 0, {false, true, true}).document, Action::AskChanged);
        d.decline();
        touch(m_doc, 20);
        QCOMPARE(check(d), Action::None);
        // Automatic update reloads all the same, keeping the selection.
        const ChangeDetector::Checks checks = d.runChecks(m_doc, 7, 3, {false, true});
        QCOMPARE(checks.document, Action::Reload);
        QCOMPARE(std::pair(checks.selStart, checks.selLength), std::pair(7, 3));
        save ? d.documentSaved(m_doc) : d.documentLoaded(m_doc);
        QCOMPARE(check(d), Action::None);
        touch(m_doc, 30);
        QCOMPARE(check(d), Action::AskChanged);
    }

    void deletedKeepOrDiscard_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("Yes keeps: not asked again") << true;
        QTest::newRow("No discards: not asked again") << false;
    }
    void deletedKeepOrDiscard()
    {
        QFETCH(bool, keep);
        ChangeDetector d(m_settings);
        d.documentLoaded(m_doc);
        QVERIFY(QFile::remove(m_doc));
        QCOMPARE(d.runChecks(m_doc, 0, 0, {false, true}).document, Action::AskDeleted);
        keep ? d.keepDeleted() : d.decline();
        QCOMPARE(check(d), Action::None);
        // A kept document hears of a file that appears again under its name.
        write(m_doc, "new");
        QCOMPARE(check(d), keep ? Action::AskChanged : Action::None);
        QCOMPARE(ChangeDetector::deletedMessage(QStringLiteral("/a/b.txt")),
                 QStringLiteral("/a/b.txt has been deleted, or is no longer available\r\n\r\n"
                                "Click Yes to keep the file, click No to discard it."));
    }

    // Another program writing within the second of our save, even with the same size, is seen.
    void rewriteWithinTheSecondOfASaveIsSeen()
    {
        ChangeDetector d(m_settings);
        const QDateTime second = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 50);
        QFile file(m_doc);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(second.addMSecs(100), QFileDevice::FileModificationTime));
        file.close();
        d.documentSaved(m_doc);
        write(m_doc, "TEXT");
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(second.addMSecs(250), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(check(d), Action::AskChanged);
    }

    // The question box taking and giving back the focus is not a new activation.
    void ownQuestionIsNoActivation()
    {
        ChangeDetector d(m_settings);
        d.applicationActive(false);
        QVERIFY(d.applicationActive(true));
        d.setAsking(true);
        QVERIFY(!d.applicationActive(false));
        QVERIFY(!d.applicationActive(true));
        d.setAsking(false);
        QVERIFY(!d.applicationActive(true));
    }

    void neverChecked_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<bool>("loading");
        QTest::newRow("Untitled") << QStringLiteral("Untitled") << false << false;
        QTest::newRow("detection disabled") << QString() << true << false;
        QTest::newRow("while loading") << QString() << false << true;
    }
    void neverChecked()
    {
        QFETCH(QString, path);
        QFETCH(bool, disabled);
        QFETCH(bool, loading);
        ChangeDetector d(m_settings);
        d.documentLoaded(m_doc);
        touch(m_doc, 10);
        touch(m_settings, 10);
        d.setLoading(loading);
        const ChangeDetector::Checks checks = d.runChecks(path.isEmpty() ? m_doc : path, 0, 0, {disabled, false});
        QCOMPARE(checks.document, Action::None);
        // The settings are watched all the same.
        QVERIFY(d.settingsChanged());
        QCOMPARE(checks.reloadRecentFiles, !loading);
    }

    void settingsReload()
    {
        ChangeDetector d(m_settings);
        QVERIFY(!d.settingsChanged());
        touch(m_settings, 10);
        QVERIFY(d.settingsChanged());
        QVERIFY(!d.settingsChanged());
        // Saved by this process: recorded, so not reloaded.
        touch(m_settings, 20);
        d.recordSettingsTime();
        QVERIFY(!d.settingsChanged());
    }
};

QTEST_GUILESS_MAIN(TestChangeDetector)
#include "tst_changedetector.moc"
