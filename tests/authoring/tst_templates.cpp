#include "AppFolders.h"
#include "MemorySurface.h"
#include "StoredTemplates.h"
#include "TemplateInserter.h"
#include "TemplateStore.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// templates.dat read and written, the variables filled in, the caret placed.
class TestTemplates : public QObject {
    Q_OBJECT

private slots:
    void missingFileGivesTheDefaultNames();
    void loadsWhatItCan_data();
    void loadsWhatItCan();
    void randomRoundTrip();
    void variables_data();
    void variables();
    void insertionPlacesTheCaret();
    void installedProgramKeepsTheShippedFile();
};

namespace {

QByteArray block(const QByteArray &name, const QByteArray &content)
{
    return "@Start\r\n@Name=" + name + "\r\n" + content + "\r\n@End\r\n";
}

} // namespace

void TestTemplates::missingFileGivesTheDefaultNames()
{
    QTemporaryDir app;
    TemplateStore store;
    store.setTemplate(0, QStringLiteral("old"), QStringLiteral("old"));
    store.LoadTemplates(TemplateStore::path(app.path()));
    QCOMPARE(store.menuCaption(0), QStringLiteral("User Template 1 - 1\tAlt+1"));
    QCOMPARE(store.menuCaption(9), QStringLiteral("User Template 10 - 10\tAlt+0"));
    QCOMPARE(store.TemplateContent(0), QString());
}

void TestTemplates::loadsWhatItCan_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("content");
    QByteArray twelve;
    for (int i = 1; i <= 12; ++i)
        twelve += block("T" + QByteArray::number(i), "c" + QByteArray::number(i));
    QTest::newRow("twelve blocks: the tenth is read") << twelve << 9 << "T10" << "c10";
    QTest::newRow("three blocks: later slots keep their names") << block("a", "1") + block("b", "2") + block("c", "3")
                                                              << 3 << "User Template 4" << "";
    QTest::newRow("lines before the first block are ignored") << "stray\r\n@Name=x\r\n" + block("a", "1") << 0 << "a"
                                                            << "1";
    QTest::newRow("no @Start at all") << QByteArray("@Name=x\r\ntext\r\n@End\r\n") << 0 << "User Template 1" << "";
    QTest::newRow("name ends at its second =") << block("a=b=c", "x") << 0 << "a" << "x";
    QTest::newRow("block without a name line keeps the name") << QByteArray("@Start\r\nx\r\n@End") << 0
                                                            << "User Template 1" << "x";
    QTest::newRow("content ending in a blank line") << block("a", "x\r\n") << 0 << "a" << "x\r\n";
    QTest::newRow("LF-only file written by hand") << QByteArray("@Start\n@Name=a\nx\ny\n@End\n") << 0 << "a" << "x\r\ny";
    QTest::newRow("a 1 MB line") << block("big", QByteArray(1 << 20, 'x')) << 0 << "big" << QString(1 << 20, u'x');
    QByteArray garbage(4096, '\0');
    QRandomGenerator random(7);
    for (char &c : garbage)
        c = char(random.bounded(256));
    QTest::newRow("binary garbage") << garbage << 9 << "" << "";
}

void TestTemplates::loadsWhatItCan()
{
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QTemporaryDir app;
    QDir(app.path()).mkdir(QStringLiteral("templates"));
    writeFile(app, QStringLiteral("templates/templates.dat"), file);
    TemplateStore store;
    store.LoadTemplates(TemplateStore::path(app.path()));
    if (QByteArray(QTest::currentDataTag()) == "binary garbage") {
        for (int i = 0; i < TemplateStore::Count; ++i)
            QVERIFY(store.menuCaption(i).endsWith(QStringLiteral("\tAlt+") + QString::number((i + 1) % 10)));
        return;
    }
    QTEST(store.TemplateName(slot), "name");
    QTEST(store.TemplateContent(slot), "content");
}

void TestTemplates::randomRoundTrip()
{
    // Names without "=", content lines that are no block keywords: what the file format can hold.
    const QString alphabet = QStringLiteral("ab $=@#\t<>\"xyz019\u00e9\u00df\u20ac");
    QRandomGenerator random(13);
    const auto randomText = [&](int maxLength, bool allowEquals) {
        QString text;
        const int length = int(random.bounded(maxLength + 1));
        while (text.size() < length) {
            const QChar c = alphabet[int(random.bounded(int(alphabet.size())))];
            if (allowEquals || c != u'=')
                text += c;
        }
        return text;
    };
    QTemporaryDir app;
    const QString path = TemplateStore::path(app.path());
    for (int round = 0; round < 50; ++round) {
        TemplateStore written;
        for (int i = 0; i < TemplateStore::Count; ++i) {
            QStringList lines;
            const int count = int(random.bounded(4));
            for (int n = 0; n < count; ++n) {
                QString line = randomText(12, true);
                if (line.startsWith(u'@'))
                    line.prepend(u' ');
                lines << line;
            }
            written.setTemplate(i, randomText(10, false), lines.join(QStringLiteral("\r\n")));
        }
        QVERIFY(!written.SaveTemplates(path));
        const QByteArray bytes = readFile(path);
        TemplateStore read;
        read.LoadTemplates(path);
        for (int i = 0; i < TemplateStore::Count; ++i) {
            QCOMPARE(read.TemplateName(i), written.TemplateName(i));
            QCOMPARE(read.TemplateContent(i), written.TemplateContent(i));
        }
        QVERIFY(!read.SaveTemplates(path));
        QCOMPARE(readFile(path), bytes);
    }
}

void TestTemplates::variables_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("caret");
    QTest::newRow("full name before file name") << "$fullfilename|$filename" << "/home/u/a.c" << "/home/u/a.c|a.c" << -1;
    QTest::newRow("never saved") << "$fullfilename|$filename" << "Untitled" << "Untitled|" << -1;
    QTest::newRow("user, blank, date") << "$user $date" << "Untitled"
                                       << "ann " + QLocale().toString(QDate(2026, 12, 7), QLocale::ShortFormat) << -1;
    QTest::newRow("first marker decides the caret") << "ab$startposc$startpos" << "Untitled" << "abc" << 2;
    QTest::newRow("marker after a variable counts its value") << "$user:$startpos" << "Untitled" << "ann:" << 4;
    QTest::newRow("a path holding a variable name stays") << "$filename" << "/tmp/$date$startpos" << "$date$startpos"
                                                          << -1;
    QTest::newRow("unknown dollar words stay") << "$(CC) $@ $1" << "Untitled" << "$(CC) $@ $1" << -1;
}

void TestTemplates::variables()
{
    QFETCH(QString, content);
    QFETCH(QString, path);
    const TemplateInserter::Values values{path, QDateTime(QDate(2026, 12, 7), QTime(9, 5)), QStringLiteral("ann"),
                                          QStringLiteral("Orvane v1.0")};
    const TemplateInserter::Expanded expanded = TemplateInserter::expand(content, values);
    QTEST(expanded.text, "expected");
    QTEST(expanded.caret, "caret");
}

void TestTemplates::insertionPlacesTheCaret()
{
    MemorySurface surface;
    TemplateStore store;
    store.setTemplate(0, QStringLiteral("t"), QStringLiteral("<p>$startpos</p>"));
    store.setTemplate(1, QStringLiteral("t"), QStringLiteral("end"));
    struct : AuthoringHost {
        int snapshots = 0;
        void addHistory() override { ++snapshots; }
    } host;
    int &snapshots = host.snapshots;
    TemplateInserter inserter(surface, store, host);
    const TemplateInserter::Values values{QStringLiteral("Untitled"), QDateTime::currentDateTime(), {}, {}};
    surface.setText(QStringLiteral("xy"));
    surface.setSelStart(1);
    inserter.insert(0, values);
    QCOMPARE(surface.text(), QStringLiteral("x<p></p>y"));
    QCOMPARE(surface.selStart(), 4);
    inserter.insert(1, values);
    QCOMPARE(surface.selStart(), 7);
    QCOMPARE(snapshots, 2);

    // An empty slot neither inserts nor wipes out the selection.
    surface.setSelStart(0);
    surface.setSelLength(2);
    inserter.insert(5, values);
    QCOMPARE(surface.selText(), QStringLiteral("x<"));
    QCOMPARE(snapshots, 2);
}

QTEST_MAIN(TestTemplates)
void TestTemplates::installedProgramKeepsTheShippedFile()
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("share/templates"));
    const QByteArray shipped = block("Shipped", "text");
    writeFile(root, QStringLiteral("share/templates/templates.dat"), shipped);
    AppFolders::Environment environment;
    environment.exeFolder = root.filePath(QStringLiteral("bin"));
    environment.shippedFolder = root.filePath(QStringLiteral("share"));
    environment.xdgConfigHome = root.filePath(QStringLiteral("config"));
    environment.xdgDataHome = root.filePath(QStringLiteral("data"));
    environment.home = root.path();

    TemplateStore store;
    StoredTemplates stored(store, AppFolders::resolve(environment));
    store.LoadTemplates(stored.readablePath());
    QCOMPARE(stored.loadTemplates().at(0), (TemplateEntry{QStringLiteral("Shipped"), QStringLiteral("text")}));

    QList<TemplateEntry> edited = stored.loadTemplates();
    edited[0].name = QStringLiteral("Mine");
    QCOMPARE(stored.saveTemplates(edited), std::nullopt);
    QCOMPARE(readFile(root.filePath(QStringLiteral("share/templates/templates.dat"))), shipped);
    QCOMPARE(stored.readablePath(), root.filePath(QStringLiteral("data/orvane/templates/templates.dat")));
    QCOMPARE(store.TemplateName(0), QStringLiteral("Mine"));
}

#include "tst_templates.moc"
