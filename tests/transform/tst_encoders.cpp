#include "Encoders.h"

#include <QRandomGenerator>
#include <QtTest>

#include <array>
#include <functional>

class tst_Encoders : public QObject {
    Q_OBJECT

private slots:
    void conversions_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        const auto single = TextEncoding::SingleByte;
        const auto utf8 = TextEncoding::Utf8;
        const QString nul(1, QChar(0));
        const auto row = [](const char *name, const char *operation, TextEncoding encoding, const QString &input,
                            const QString &expected) {
            QTest::newRow(name) << QString::fromLatin1(operation) << encoding << input << expected;
        };
        row("b64 Ma: one =", "b64", single, "Ma", "TWE=");
        row("b64 M: two =", "b64", single, "M", "TQ==");
        row("b64 48 chars: 64 and CR LF", "b64", single, QString(48, u'M'), QString("TU1N").repeated(16) + "\r\n");
        row("b64 49 chars: break inside", "b64", single, QString(49, u'M'), QString("TU1N").repeated(16) + "\r\nTQ==");
        row("b64 UTF-8 bytes", "b64", utf8, QStringLiteral("\u00e9"), "w6k=");
        row("b64 UTF-16 document uses UTF-8", "b64", TextEncoding::Utf16, QStringLiteral("\u00e9"), "w6k=");
        row("b64 above 255 in single-byte: UTF-8, no '?'", "b64", single, QStringLiteral("a\u20acb"), "YeKCrGI=");
        row("unb64 padding mid-stream", "unb64", single, "TQ==TWFu", "MMan");
        row("unb64 one char left is invalid", "unb64", single, "TWFuT", "Man");
        row("unb64 = in first or second place", "unb64", single, "=QQQT=Fu", "");
        row("unb64 = then a letter: three bytes", "unb64", single, "TW=A", QStringLiteral("M`") + nul);
        row("unb64 non-ASCII invalidates", "unb64", single, QStringLiteral("T\u00e9FuTWE="), "Ma");
        row("unb64 single-byte gives Latin-1", "unb64", single, "w6k=", QStringLiteral("\u00c3\u00a9"));
        row("unb64 UTF-8 document gives UTF-8", "unb64", utf8, "w6k=", QStringLiteral("\u00e9"));
        row("unb64 invalid UTF-8 falls back to Latin-1", "unb64", utf8, "6Q==", QStringLiteral("\u00e9"));
        row("unb64 byte order mark kept", "unb64", utf8, "77u/YQ==", QStringLiteral("\ufeffa"));
        row("url space, ampersand, percent", "url", single, "a b&c%", "a%20b%26c%25");
        row("url unreserved marks too", "url", single, "-._~\r\n", "%2D%2E%5F%7E%0D%0A");
        row("url 128 and up stay", "url", utf8, QStringLiteral("\u00e9\u20ac\U0001F600"), QStringLiteral("\u00e9\u20ac\U0001F600"));
        row("unurl plus and %3D", "unurl", single, "1+1%3D2", "1 1=2");
        row("unurl %25 not decoded again", "unurl", single, "%2541", "%41");
        row("unurl trailing %", "unurl", single, "ab%", "ab" + nul);
        row("unurl bad second digit swallowed", "unurl", single, "%4Gx", QStringLiteral("\u0004x"));
        row("unurl no digits: code 0", "unurl", single, "%zz1", nul + "1");
        row("unurl UTF-8: bytes are UTF-8", "unurl", utf8, "%C3%A9", QStringLiteral("\u00e9"));
        row("unurl UTF-8: literal text untouched", "unurl", utf8, QStringLiteral("\u00e9\u20ac%20+"),
            QStringLiteral("\u00e9\u20ac  "));
        row("unurl UTF-8: only the bad run is Latin-1", "unurl", utf8, QStringLiteral("\u20ac%C3%A9%FF"),
            QStringLiteral("\u20ac\u00c3\u00a9\u00ff"));
        row("l33t", "l33t", single, "Tiger\r\nzoo", "7!63r!\r\n200");
        row("unl33t digits already there", "unl33t", single, "R2D2 says 42!", "rzdz says azi");
    }

    void conversions()
    {
        QFETCH(QString, operation);
        QFETCH(TextEncoding, encoding);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QHash<QString, std::function<QString()>> operations{
            {"b64", [&] { return Encoders::Base64Encode(input, encoding); }},
            {"unb64", [&] { return Encoders::Base64Decode(input, encoding); }},
            {"url", [&] { return Encoders::URLEncode(input); }},
            {"unurl", [&] { return Encoders::URLDecode(input, encoding); }},
            {"l33t", [&] { return Encoders::ToL33t(input); }},
            {"unl33t", [&] { return Encoders::FromL33t(input); }},
        };
        QCOMPARE(operations.value(operation)(), expected);
    }

    // Latin-1 text in a single-byte document, text above 255 in UTF-8 and UTF-16 documents; and garbage.
    void roundTrips()
    {
        QRandomGenerator rng(1234);
        const QString alphabet = QStringLiteral("%+=AZaz09/!\r\n\t \u00e9\u20ac\xd800");
        for (int round = 0; round < 1500; ++round) {
            const TextEncoding encoding = std::array{TextEncoding::SingleByte, TextEncoding::Utf8, TextEncoding::Utf16}[round % 3];
            const bool wide = encoding != TextEncoding::SingleByte;
            QString s;
            for (int i = rng.bounded(200); i > 0; --i) {
                char32_t cp = !wide || rng.bounded(3) == 0 ? rng.bounded(256)
                              : rng.bounded(2)           ? rng.bounded(0x100, 0xD800)
                                                         : rng.bounded(0x10000, 0x110000);
                s += QString::fromUcs4(&cp, 1);
            }
            QCOMPARE(Encoders::Base64Decode(Encoders::Base64Encode(s, encoding), encoding), s);
            QCOMPARE(Encoders::URLDecode(Encoders::URLEncode(s), encoding), s);
            // Garbage decodes to no more characters than it has.
            QString junk;
            for (int i = rng.bounded(40); i > 0; --i)
                junk += rng.bounded(4) ? alphabet[rng.bounded(alphabet.size())] : QChar(char16_t(rng.bounded(0x10000)));
            QVERIFY(Encoders::URLDecode(junk, encoding).size() <= junk.size());
            QVERIFY(Encoders::Base64Decode(junk, encoding).size() <= junk.size());
            Encoders::Base64Encode(junk, encoding);
        }
    }
};

QTEST_GUILESS_MAIN(tst_Encoders)
#include "tst_encoders.moc"
