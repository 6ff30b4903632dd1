#include "DocumentLoader.h"
#include "Utf8Units.h"

#include <QRandomGenerator>
#include <QRegularExpression>
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
        QTest::newRow("no line break is UNIX") << QByteArray("abc") << "abc" << "UNIX" << "ASCII" << false;
        QTest::newRow("empty is UNIX") << QByteArray() << "" << "UNIX" << "ASCII" << false;
        QTest::newRow("CR CR keeps both") << QByteArray("a\r\rb\r\n") << "a\r\rb\r\n" << "DOS" << "ASCII" << false;
        QTest::newRow("lone CR beside LF") << QByteArray("a\r\r\nb\n\r") << "a\r\r\nb\r\n\r" << "DOS" << "ASCII" << false;
        QTest::newRow("binary keeps lone breaks") << QByteArray("a\0\nb\r", 5) << QString::fromLatin1("a\0\nb\r", 5)
                                                  << "BINARY" << "ASCII" << false;
        QTest::newRow("UTF-16 with mark") << QByteArray("\xFF\xFE" "A\0\n\0\xE9\0", 8) << QString::fromUtf8("A\r\n\u00e9")
                                          << "UNIX" << "UNICODE" << false;
        QTest::newRow("a second mark is text") << QByteArray("\xFF\xFE\xFF\xFE" "A\0", 6) << QString(QChar(0xFEFF)) + u'A'
                                               << "UNIX" << "UNICODE" << false;
        QTest::newRow("FF FE only") << QByteArray("\xFF\xFE") << "" << "UNIX" << "UNICODE" << false;
        QTest::newRow("UTF-8 without mark") << QByteArray("caf\xC3\xA9\n") << QString::fromUtf8("caf\u00e9\r\n")
                                            << "UNIX" << "UTF-8" << false;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFh\xC3\xA9") << QString::fromUtf8("h\u00e9") << "UNIX"
                                         << "UTF-8" << true;
        QTest::newRow("invalid UTF-8 is Latin-1") << QByteArray("caf\xE9 \xC3\r\n") << QString::fromLatin1("caf\xE9 \xC3\r\n")
                                                  << "DOS" << "ASCII" << false;
        QTest::newRow("UTF-8 with NUL is binary Latin-1")
            << QByteArray("\xC3\xA9\0", 3) << QString::fromLatin1("\xC3\xA9\0", 3) << "BINARY" << "ASCII" << false;
        QTest::newRow("odd UTF-16 length stays bytes") << QByteArray("\xFF\xFE" "A") << QString::fromLatin1("\xFF\xFE" "A")
                                                       << "UNIX" << "ASCII" << false;
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
        QCOMPARE(utf8ToText(doc.utf8), text);
        QCOMPARE(lineEndingLabel(doc.lineEnding), os);
        QCOMPARE(encodingLabel(doc.encoding, doc.ascii), uc);
        // Valid UTF-8 without NUL, pure ASCII included, is this platform's text.
        if (!bytes.contains('\0') && !bytes.startsWith("\xFF\xFE") && QString::fromUtf8(bytes).toUtf8() == bytes)
            QCOMPARE(doc.encoding, TextEncoding::Utf8);
        QCOMPARE(doc.utf8Bom, bom);
        QCOMPARE(doc.ascii, doc.utf8.size() == text.size());
    }

    void lineBreakRules_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("crlf");
        QTest::addColumn<bool>("isUnix");
        QTest::newRow("LF") << "a\nb" << "a\r\nb" << true;
        QTest::newRow("CR CR stays") << "a\r\rb" << "a\r\rb" << false;
        QTest::newRow("CR CR CR LF") << "\r\r\r\n" << "\r\r\r\n" << false;
        QTest::newRow("LF CR LF") << "\n\r\n" << "\r\n\r\n" << false;
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

    // Files of every kind come back byte for byte from a load and a save; only a DOS file's LF
    // without its CR is written back with one.
    void randomFilesRoundTrip()
    {
        static const QList<QByteArray> pieces = {"a", "\r", "\n", "\r\n", "\r\r", QByteArray(1, '\0'), "\xC3\xA9",
                                                 "\xF0\x9F\x98\x80", "\xE9", "\xFF\xFE", "\x00\xD8", "\xED\xA0\x80", " "};
        QRandomGenerator rng(7);
        for (int round = 0; round < 1000; ++round) {
            QByteArray bytes = round % 4 == 0 ? QByteArray("\xFF\xFE") : QByteArray();
            const int count = int(rng.bounded(24));
            for (int i = 0; i < count; ++i)
                bytes += round % 7 == 0 ? QByteArray(1, char(rng.bounded(256))) : pieces[int(rng.bounded(int(pieces.size())))];
            const DecodedDocument doc = decodeDocument(bytes);
            const auto saved = encodeDocumentUtf8(doc.utf8, doc.encoding, doc.utf8Bom, doc.lineEnding == LineEnding::Unix);
            QVERIFY(saved);
            const QString text = doc.encoding == TextEncoding::Utf16
                ? QString(reinterpret_cast<const QChar *>(bytes.constData() + 2), (bytes.size() - 2) / 2)
                : QString::fromLatin1(bytes);
            const bool loneLf = QRegularExpression(QStringLiteral("(^|[^\r])\n")).match(text).hasMatch();
            if (doc.lineEnding == LineEnding::Dos && loneLf) {
                if (doc.encoding == TextEncoding::Utf16)
                    continue;
                QByteArray expected;
                for (qsizetype i = 0; i < bytes.size(); ++i)
                    expected += (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ? QByteArray("\r\n") : bytes.mid(i, 1);
                QCOMPARE(*saved, expected);
            } else {
                QVERIFY2(*saved == bytes, qPrintable(QStringLiteral("round %1: %2").arg(round).arg(QString::fromLatin1(bytes.toHex(' ')))));
            }
        }
    }

    // Long runs, lines and pieces of any size convert as one piece does: a large file is handed
    // to the widget in pieces whose edges fall anywhere, a CR LF pair split by one included.
    void conversionInPiecesAgrees()
    {
        QRandomGenerator rng(11);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes;
            const int count = int(rng.bounded(40));
            for (int i = 0; i < count; ++i) {
                static const char *parts[] = {"\r", "\n", "\r\n", "abcdefghij", "\xE9", "\xC3\xA9", "x"};
                bytes += parts[rng.bounded(7)];
            }
            const DecodePlan plan = planDecode(bytes.constData(), bytes.size());
            QByteArray whole;
            convertForWidget(bytes.constData(), bytes.size(), plan,
                             [&whole](const char *piece, qsizetype n) { whole.append(piece, n); });
            const qsizetype chunk = 1 + qsizetype(rng.bounded(9));
            QByteArray pieced;
            convertForWidget(
                bytes.constData(), bytes.size(), plan,
                [&](const char *piece, qsizetype n) {
                    QVERIFY(n > 0 && n <= std::max<qsizetype>(chunk, 4) + 2);
                    pieced.append(piece, n);
                },
                chunk);
            QCOMPARE(pieced, whole);
            QCOMPARE(whole, decodeDocument(bytes).utf8);
            ConversionPipe pipe(bytes.constData(), bytes.size(), plan);
            QByteArray streamed;
            for (auto piece = pipe.next(chunk); piece.size > 0; piece = pipe.next(chunk))
                streamed.append(piece.data, piece.size);
            QCOMPARE(streamed, whole);
            QVERIFY(pipe.fingerprint() == TextFingerprint::of(whole.constData(), whole.size()));
        }
    }

    // Megabytes, so the converting thread runs ahead of and behind the reader.
    void pipeGivesWhatItConverts()
    {
        QRandomGenerator rng(5);
        QByteArray bytes;
        while (bytes.size() < 6 * 1024 * 1024)
            bytes += QByteArray(int(rng.bounded(200)), 'a') + (rng.bounded(3) ? "\n" : "\r\n");
        bytes += "caf\xE9";
        const DecodePlan plan = planDecode(bytes.constData(), bytes.size());
        QVERIFY(plan.expandLatin1);
        const QByteArray whole = decodeDocument(bytes).utf8;
        ConversionPipe pipe(bytes.constData(), bytes.size(), plan);
        QByteArray streamed;
        for (auto piece = pipe.next(1); piece.size > 0; piece = pipe.next(1 + qsizetype(rng.bounded(3 << 20))))
            streamed.append(piece.data, piece.size);
        QVERIFY(streamed == whole);
        QVERIFY(pipe.fingerprint() == TextFingerprint::of(whole.constData(), whole.size()));
    }

    // The size the widget is asked to hold is known from the scan, before a byte is converted.
    void textSizeKnownBeforeConverting()
    {
        for (const QByteArray &bytes : {QByteArray("a\nb\r\nc"), QByteArray("caf\xE9\n\n"), QByteArray("x\0\ny", 4),
                                        QByteArray("\xEF\xBB\xBFutf\n")}) {
            const DecodePlan plan = planDecode(bytes.constData(), bytes.size());
            const qint64 converted = decodeDocument(bytes).utf8.size();
            QVERIFY2(plan.textBytes >= converted && plan.textBytes <= converted + 1, bytes.toHex().constData());
        }
    }

    // The scan reads many bytes at once: a CR LF pair, a NUL or a high byte anywhere (across the
    // edge of two blocks, in the bytes left over at the end, past thousands of line feeds) is seen
    // as a byte-by-byte reading sees it.
    void scanSeesEveryByte()
    {
        QRandomGenerator rng(17);
        for (int round = 0; round < 400; ++round) {
            const int size = round < 40 ? round : int(rng.bounded(10000));
            QByteArray bytes(size, 'a');
            const int specials = int(rng.bounded(4));
            for (int k = 0; k < specials && size > 0; ++k) {
                static const char picks[] = {'\r', '\n', '\0', '\xE9'};
                bytes[int(rng.bounded(size))] = picks[rng.bounded(4)];
            }
            // Runs of line feeds, now and then as CR LF pairs, so the per-lane counts fill up.
            for (int at = int(rng.bounded(size + 1)); at < size && rng.bounded(5) != 0; at += 1 + int(rng.bounded(3)))
                bytes[at] = '\n';
            if (size > 1 && rng.bounded(3) == 0) {
                const int at = 15 + 16 * int(rng.bounded(std::max(1, (size - 16) / 16)));
                if (at + 1 < size) {
                    bytes[at] = '\r';
                    bytes[at + 1] = '\n';
                }
            }
            const bool nul = bytes.contains('\0');
            const bool crlf = bytes.contains("\r\n");
            const qsizetype lineFeeds = bytes.count('\n');
            const qsizetype highs = std::count_if(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
            const DecodePlan plan = planDecode(bytes.constData(), bytes.size());
            const QByteArray what = QByteArray::number(round) + ": " + bytes.toHex();
            QVERIFY2(plan.lineEnding == (nul ? LineEnding::Binary : crlf ? LineEnding::Dos : LineEnding::Unix), what);
            // A lone 0xE9 is never UTF-8: such a file is read as Latin-1.
            QVERIFY2(plan.expandLatin1 == (highs > 0), what);
            QVERIFY2(plan.textBytes == size + (nul ? 0 : lineFeeds) + (plan.expandLatin1 ? highs : 0), what);
            QVERIFY2(plan.ascii == (highs == 0), what);
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
