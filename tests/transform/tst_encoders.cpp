#include "Encoders.h"

#include <QRandomGenerator>
#include <QtTest>

using Encoders::TextEncoding;

class tst_Encoders : public QObject {
    Q_OBJECT

private slots:
    void base64Encode_data();
    void base64Encode();
    void base64Decode_data();
    void base64Decode();
    void urlEncode_data();
    void urlEncode();
    void urlDecode_data();
    void urlDecode();
    void l33t();
    void roundTripsSingleByte();
    void roundTripsUnicode();
    void decodersSurviveGarbage();
};

namespace {

const QString crlf = QStringLiteral("\r\n");

QString randomText(QRandomGenerator &rng, int length, bool wide)
{
    QString s;
    for (int i = 0; i < length; ++i) {
        if (!wide || rng.bounded(3) == 0) {
            s += QChar(char16_t(rng.bounded(256)));
            continue;
        }
        char32_t cp = rng.bounded(2) ? rng.bounded(0x100, 0xD800) : rng.bounded(0x10000, 0x110000);
        s += QString::fromUcs4(&cp, 1);
    }
    return s;
}

} // namespace

void tst_Encoders::base64Encode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("expected");
    const int single = int(TextEncoding::SingleByte);
    const int utf8 = int(TextEncoding::Utf8);
    QTest::newRow("three bytes") << "Man" << single << "TWFu";
    QTest::newRow("two bytes, one =") << "Ma" << single << "TWE=";
    QTest::newRow("one byte, two =") << "M" << single << "TQ==";
    QTest::newRow("empty") << "" << single << "";
    QTest::newRow("48 chars: 64 and a break") << QString(48, u'M') << single << QString("TU1N").repeated(16) + crlf;
    QTest::newRow("49 chars: break inside") << QString(49, u'M') << single
                                            << QString("TU1N").repeated(16) + crlf + "TQ==";
    QTest::newRow("CR LF is two codes") << "a\r\nb" << single << "YQ0KYg==";
    QTest::newRow("Latin-1 code in single-byte") << QStringLiteral("\u00e9") << single << "6Q==";
    QTest::newRow("UTF-8 bytes in UTF-8") << QStringLiteral("\u00e9") << utf8 << "w6k=";
    QTest::newRow("UTF-16 document uses UTF-8") << QStringLiteral("\u00e9") << int(TextEncoding::Utf16) << "w6k=";
    QTest::newRow("above 255 in single-byte: UTF-8, no '?'") << QStringLiteral("a\u20acb") << single << "YeKCrGI=";
}

void tst_Encoders::base64Encode()
{
    QFETCH(QString, input);
    QFETCH(int, encoding);
    QFETCH(QString, expected);
    QCOMPARE(Encoders::Base64Encode(input, TextEncoding(encoding)), expected);
}

void tst_Encoders::base64Decode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("expected");
    const int single = int(TextEncoding::SingleByte);
    const int utf8 = int(TextEncoding::Utf8);
    QTest::newRow("groups across a break") << "TWFu\r\nTWE=" << single << "ManMa";
    QTest::newRow("blanks and tabs ignored") << " T W\tF u " << single << "Man";
    QTest::newRow("invalid group skipped") << "T!FuTWFu" << single << "Man";
    QTest::newRow("padding mid-stream") << "TQ==TWFu" << single << "MMan";
    QTest::newRow("short last group padded") << "TWFuTQ" << single << "ManM";
    QTest::newRow("one char left: invalid") << "TWFuT" << single << "Man";
    QTest::newRow("= in the first places invalid") << "=QQQ==AAT=Fu" << single << "";
    QTest::newRow("= then a letter: three bytes") << "TW=A" << single << QStringLiteral("M`") + QChar(0);
    QTest::newRow("non-ASCII char invalidates") << QStringLiteral("T\u00e9FuTWE=") << single << "Ma";
    QTest::newRow("single-byte gives Latin-1") << "w6k=" << single << QStringLiteral("\u00c3\u00a9");
    QTest::newRow("UTF-8 document gives UTF-8") << "w6k=" << utf8 << QStringLiteral("\u00e9");
    QTest::newRow("invalid UTF-8 falls back to Latin-1") << "6Q==" << utf8 << QStringLiteral("\u00e9");
    QTest::newRow("byte order mark kept") << "77u/YQ==" << utf8 << QStringLiteral("\ufeffa");
    QTest::newRow("NUL bytes kept") << "AAA=" << single << QString(2, QChar(0));
}

void tst_Encoders::base64Decode()
{
    QFETCH(QString, input);
    QFETCH(int, encoding);
    QFETCH(QString, expected);
    QCOMPARE(Encoders::Base64Decode(input, TextEncoding(encoding)), expected);
}

void tst_Encoders::urlEncode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("space, ampersand, percent") << "a b&c%" << "a%20b%26c%25";
    QTest::newRow("unreserved marks escaped too") << "-._~" << "%2D%2E%5F%7E";
    QTest::newRow("line break") << "a\r\nb" << "a%0D%0Ab";
    QTest::newRow("control and DEL") << QStringLiteral("\u0001\u007f") << "%01%7F";
    QTest::newRow("letters and digits stay") << "AZaz09" << "AZaz09";
    QTest::newRow("128 and up stay") << QStringLiteral("\u00e9\u20ac\U0001F600") << QStringLiteral("\u00e9\u20ac\U0001F600");
}

void tst_Encoders::urlEncode()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(Encoders::URLEncode(input), expected);
}

void tst_Encoders::urlDecode_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("expected");
    const int single = int(TextEncoding::SingleByte);
    const int utf8 = int(TextEncoding::Utf8);
    const QChar nul(0);
    QTest::newRow("escape then letters") << "%41BC" << single << "ABC";
    QTest::newRow("plus is a space, %3D") << "1+1%3D2" << single << "1 1=2";
    QTest::newRow("%2B is a plus") << "%2B" << single << "+";
    QTest::newRow("lower-case hex") << "%3d" << single << "=";
    QTest::newRow("%25 not decoded again") << "%2541" << single << "%41";
    QTest::newRow("trailing %") << "ab%" << single << QString("ab") + nul;
    QTest::newRow("one digit at the end") << "%4" << single << QStringLiteral("\u0004");
    QTest::newRow("bad second digit swallowed") << "%4Gx" << single << QStringLiteral("\u0004x");
    QTest::newRow("no digits: code 0, two swallowed") << "%zz1" << single << QString(nul) + "1";
    QTest::newRow("percent then percent") << "%%41" << single << QString(nul) + "1";
    QTest::newRow("single-byte: bytes are Latin-1") << "%C3%A9" << single << QStringLiteral("\u00c3\u00a9");
    QTest::newRow("UTF-8: bytes are UTF-8") << "%C3%A9" << utf8 << QStringLiteral("\u00e9");
    QTest::newRow("UTF-8: lone byte is Latin-1") << "%E9t%E9" << utf8 << QStringLiteral("\u00e9t\u00e9");
    QTest::newRow("UTF-8: literal text untouched") << QStringLiteral("\u00e9\u20ac%20+") << utf8
                                                   << QStringLiteral("\u00e9\u20ac  ");
    QTest::newRow("UTF-8: bad run only is Latin-1") << QStringLiteral("\u20ac%C3%A9%FF") << utf8
                                                    << QStringLiteral("\u20ac\u00c3\u00a9\u00ff");
}

void tst_Encoders::urlDecode()
{
    QFETCH(QString, input);
    QFETCH(int, encoding);
    QFETCH(QString, expected);
    QCOMPARE(Encoders::URLDecode(input, TextEncoding(encoding)), expected);
}

void tst_Encoders::l33t()
{
    QCOMPARE(Encoders::ToL33t(QStringLiteral("Tiger\r\nzoo")), QStringLiteral("7!63r!\r\n200"));
    QCOMPARE(Encoders::FromL33t(QStringLiteral("7!63r!\r\n200")), QStringLiteral("tiger\r\nzoo"));
    // A line ending in i keeps its own '!' apart from the marker.
    QCOMPARE(Encoders::ToL33t(QStringLiteral("hi\r\n")), QStringLiteral("h!!\r\n"));
    QCOMPARE(Encoders::FromL33t(QStringLiteral("h!!\r\n")), QStringLiteral("hi\r\n"));
    QCOMPARE(Encoders::FromL33t(QStringLiteral("R2D2 says 42!")), QStringLiteral("rzdz says azi"));
}

void tst_Encoders::roundTripsSingleByte()
{
    QRandomGenerator rng(1234);
    for (int round = 0; round < 500; ++round) {
        const QString s = randomText(rng, rng.bounded(200), false);
        QCOMPARE(Encoders::Base64Decode(Encoders::Base64Encode(s, TextEncoding::SingleByte), TextEncoding::SingleByte), s);
        QCOMPARE(Encoders::URLDecode(Encoders::URLEncode(s), TextEncoding::SingleByte), s);
    }
}

void tst_Encoders::roundTripsUnicode()
{
    QRandomGenerator rng(5678);
    for (int round = 0; round < 500; ++round) {
        const QString s = randomText(rng, rng.bounded(200), true);
        for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf16}) {
            QCOMPARE(Encoders::Base64Decode(Encoders::Base64Encode(s, encoding), encoding), s);
            QCOMPARE(Encoders::URLDecode(Encoders::URLEncode(s), encoding), s);
        }
    }
}

void tst_Encoders::decodersSurviveGarbage()
{
    QRandomGenerator rng(91011);
    const QString alphabet = QStringLiteral("%+=AZaz09/+!\r\n\t \u00e9\u20ac\xd800");
    for (int round = 0; round < 3000; ++round) {
        QString s;
        const int length = rng.bounded(40);
        for (int i = 0; i < length; ++i)
            s += rng.bounded(4) ? alphabet[rng.bounded(alphabet.size())] : QChar(char16_t(rng.bounded(0x10000)));
        for (const TextEncoding encoding : {TextEncoding::SingleByte, TextEncoding::Utf8}) {
            QVERIFY(Encoders::URLDecode(s, encoding).size() <= s.size());
            QVERIFY(Encoders::Base64Decode(s, encoding).size() <= s.size());
            Encoders::FromL33t(s);
            Encoders::Base64Encode(s, encoding);
        }
    }
}

QTEST_GUILESS_MAIN(tst_Encoders)
#include "tst_encoders.moc"
