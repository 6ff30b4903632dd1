#include "DocumentLoader.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

class TestLoading : public QObject {
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("os");
        QTest::addColumn<QString>("uc");
        QTest::addColumn<bool>("bom");
        QTest::newRow("LF becomes CR LF, UNIX") << QByteArray("a\nb\n") << "a\r\nb\r\n" << "UNIX" << "ASCII" << false;
        QTest::newRow("mixed is DOS, lone LF converted") << QByteArray("a\r\nb\nc") << "a\r\nb\r\nc" << "DOS" << "ASCII" << false;
        QTest::newRow("empty") << QByteArray() << "" << "DOS" << "ASCII" << false;
        QTest::newRow("binary keeps lone breaks") << QByteArray("a\0\nb\r", 5) << QString::fromLatin1("a\0\nb\r", 5)
                                                  << "BINARY" << "ASCII" << false;
        QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFE" "A\0\n\0\xE9\0", 8) << QString::fromUtf8("A\r\n\u00e9")
                                          << "UNIX" << "UNICODE" << false;
        QTest::newRow("FF FE only") << QByteArray("\xFF\xFE") << "" << "DOS" << "UNICODE" << false;
        QTest::newRow("UTF-8 without mark") << QByteArray("caf\xC3\xA9\n") << QString::fromUtf8("caf\u00e9\r\n")
                                            << "UNIX" << "UTF-8" << false;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFhi") << "hi" << "DOS" << "UTF-8" << true;
        QTest::newRow("invalid UTF-8 is Latin-1") << QByteArray("caf\xE9 \xC3") << QString::fromLatin1("caf\xE9 \xC3")
                                                  << "DOS" << "ASCII" << false;
        QTest::newRow("UTF-8 with NUL is binary Latin-1")
            << QByteArray("\xC3\xA9\0", 3) << QString::fromLatin1("\xC3\xA9\0", 3) << "BINARY" << "ASCII" << false;
        QTest::newRow("odd UTF-16 length stays bytes") << QByteArray("\xFF\xFE" "A") << QString::fromLatin1("\xFF\xFE" "A")
                                                       << "DOS" << "ASCII" << false;
        QTest::newRow("lone surrogate stays bytes") << QByteArray("\xFF\xFE\x00\xD8", 4)
                                                    << QString::fromLatin1("\xFF\xFE\x00\xD8", 4) << "BINARY" << "ASCII" << false;
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, os);
        QFETCH(QString, uc);
        QFETCH(bool, bom);
        const DecodedDocument doc = decodeDocument(bytes);
        QCOMPARE(QString::fromUtf8(doc.utf8), text);
        QCOMPARE(lineEndingLabel(doc.lineEnding), os);
        QCOMPARE(encodingLabel(doc.encoding), uc);
        QCOMPARE(doc.utf8Bom, bom);
        QCOMPARE(doc.ascii, doc.utf8.size() == text.size());
    }

    void lineBreakRules_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("crlf");
        QTest::addColumn<bool>("isUnix");
        QTest::newRow("LF") << "a\nb" << "a\r\nb" << true;
        QTest::newRow("CR CR") << "a\r\rb" << "a\rb" << false;
        QTest::newRow("CR CR CR LF") << "\r\r\r\n" << "\r\r\n" << false;
    }
    void lineBreakRules()
    {
        QFETCH(QString, input);
        QFETCH(QString, crlf);
        QFETCH(bool, isUnix);
        QCOMPARE(ToCrLf(input), crlf);
        QCOMPARE(IsUnixText(input), isUnix);
        QCOMPARE(ToLf(ToCrLf(QStringLiteral("x\ny\r\n"))), QStringLiteral("x\ny\n"));
        // The one-pass byte conversion of loading agrees with the text rule.
        QCOMPARE(QString::fromUtf8(decodeDocument(input.toLatin1()).utf8), crlf);
    }

    void randomBytesNeverLost()
    {
        QRandomGenerator rng(7);
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes(int(rng.bounded(64)), Qt::Uninitialized);
            for (char &b : bytes)
                b = char(rng.bounded(256));
            if (round % 2 && !bytes.isEmpty())
                bytes[int(rng.bounded(int(bytes.size())))] = 0;
            const DecodedDocument doc = decodeDocument(bytes);
            const QString text = QString::fromUtf8(doc.utf8);
            if (doc.lineEnding == LineEnding::Binary && doc.encoding == TextEncoding::SingleByte)
                QCOMPARE(text.toLatin1(), bytes);
            else if (doc.encoding == TextEncoding::Utf16)
                QVERIFY(bytes.startsWith("\xFF\xFE"));
            else if (doc.encoding == TextEncoding::SingleByte && !bytes.contains('\n'))
                QCOMPARE(text.toLatin1(), bytes);
        }
    }

    void pathsAndTimes()
    {
        QCOMPARE(ExtensionOf(QStringLiteral("/x.y/Makefile")), QString());
        QTemporaryDir dir;
        const QString path = TestSupport::writeFile(dir, QStringLiteral("t.txt"), "x");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2)), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(FileTimeText(path), QStringLiteral("202437-9:5:2"));
    }
};

QTEST_GUILESS_MAIN(TestLoading)
#include "tst_loading.moc"
