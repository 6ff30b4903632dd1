#include "FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// Replays the fuzzers' seed corpus and every input that once found a fault, so the normal build
// (and its sanitizer run) checks the readers without a fuzzing toolchain.
class TestFuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("input");
    const QString root = qEnvironmentVariable("ORVANE_SOURCE_DIR") + QStringLiteral("/tests/fuzz");
    int count = 0;
    for (int t = 0; t < int(fuzzTargets().size()); ++t) {
        const QString name = QString::fromLatin1(fuzzTargets()[std::size_t(t)].name);
        for (const QString &kind : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
            const QDir dir(root + u'/' + kind + u'/' + name);
            for (const QString &file : dir.entryList(QDir::Files, QDir::Name)) {
                QTest::newRow(qPrintable(name + u'/' + kind + u'/' + file)) << t << dir.filePath(file);
                ++count;
            }
        }
    }
    QVERIFY2(count >= int(fuzzTargets().size()), "every target has seeds");
}

void TestFuzzReplay::replay()
{
    QFETCH(int, target);
    QFETCH(QString, input);
    QFile file(input);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(fuzzTargets()[std::size_t(target)].run(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                                     std::size_t(bytes.size())),
             0);
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
