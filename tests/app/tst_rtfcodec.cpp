#include "RtfCodec.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

CharFormat fmt(OleColor color, bool bold = false, bool italic = false, const QString &font = QStringLiteral("Courier New"),
               double size = 8)
{
    return CharFormat{color, bold, italic, font, size};
}

using Runs = std::vector<FormatRun>;

// What read() must give back for text written with these runs: one format per character, merged.
Runs expectedRuns(qsizetype length, const Runs &runs, const CharFormat &defaultFormat)
{
    std::vector<CharFormat> perChar;
    for (const FormatRun &run : runs)
        for (int i = 0; i < run.length && perChar.size() < static_cast<size_t>(length); ++i)
            perChar.push_back(run.format);
    while (perChar.size() < static_cast<size_t>(length))
        perChar.push_back(defaultFormat);
    Runs merged;
    for (const CharFormat &format : perChar) {
        if (!merged.empty() && merged.back().format == format)
            ++merged.back().length;
        else
            merged.push_back({1, format});
    }
    return merged;
}

// Runs cover the text, are not empty and differ from their neighbour.
bool consistent(const RtfCodec::RtfDocument &doc)
{
    qsizetype total = 0;
    for (size_t i = 0; i < doc.runs.size(); ++i) {
        if (doc.runs[i].length <= 0 || (i > 0 && doc.runs[i].format == doc.runs[i - 1].format))
            return false;
        total += doc.runs[i].length;
    }
    return total == doc.text.size();
}

const CharFormat defaultFormat = fmt(0x000000);

} // namespace

class tst_RtfCodec : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void randomRoundTrip();
    void writesPortableRtf();
    void foreignText_data();
    void foreignText();
    void foreignFormatting();
    void notRtf_data();
    void notRtf();
    void fuzz();
};

void tst_RtfCodec::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Runs>("runs");

    const CharFormat red = fmt(0x0000ff);
    const CharFormat boldBlue = fmt(0xff0000, true);
    const CharFormat italicGreen = fmt(0x00ff00, false, true, QStringLiteral("Arial"), 10);

    // Characters, escapes and random formats are the random round trip's; these are the shapes it never makes.
    QTest::newRow("empty document with a run") << QString() << Runs{{3, red}};
    QTest::newRow("no runs: default format") << QStringLiteral("int main() { return 0; }") << Runs{};
    QTest::newRow("lone surrogates") << QString(QStringLiteral("a") + QChar(0xd800) + QStringLiteral("b") + QChar(0xdfff))
                                     << Runs{{1, red}};
    QTest::newRow("run boundary inside CR LF") << QStringLiteral("a\r\nb") << Runs{{2, red}, {2, boldBlue}};
    QTest::newRow("run boundary inside surrogate pair") << QStringLiteral("\U0001F600") << Runs{{1, red}, {1, boldBlue}};
    QTest::newRow("half and fractional sizes")
        << QStringLiteral("abc") << Runs{{1, fmt(0, false, false, QStringLiteral("Arial"), 7.5)},
                                         {1, fmt(0, false, false, QStringLiteral("Arial"), 9.3)},
                                         {1, fmt(0, false, false, QStringLiteral("Arial"), 72)}};
    QTest::newRow("odd font names")
        << QStringLiteral("abcd") << Runs{{1, fmt(0, false, false, QStringLiteral("Odd; {Font}\\ Name"))},
                                          {1, fmt(0, false, false, QStringLiteral("\uff2d\uff33 \u30b4\u30b7\u30c3\u30af"))},
                                          {1, fmt(0, false, false, QString())},
                                          {1, fmt(0, false, false, QStringLiteral(" padded "))}};
    QTest::newRow("system colours keep their flag byte")
        << QStringLiteral("abc") << Runs{{1, fmt(0x80000008)}, {1, fmt(0x00000008)}, {1, fmt(0x8000000f)}};
    QTest::newRow("adjacent equal runs merge") << QStringLiteral("abc") << Runs{{1, italicGreen}, {2, italicGreen}};
    QTest::newRow("runs shorter than text: rest in default") << QStringLiteral("abcdef") << Runs{{2, red}};
    QTest::newRow("empty and negative runs ignored") << QStringLiteral("ab") << Runs{{0, red}, {-2, boldBlue}, {2, italicGreen}};
}

void tst_RtfCodec::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(Runs, runs);

    const QString rtf = RtfCodec::write(text, runs, defaultFormat);
    const auto doc = RtfCodec::read(rtf, defaultFormat);
    QVERIFY(doc);
    QCOMPARE(doc->text, text);
    QVERIFY(doc->runs == expectedRuns(text.size(), runs, defaultFormat));
}

void tst_RtfCodec::randomRoundTrip()
{
    QRandomGenerator random(20240611);
    const QList<char16_t> alphabet = {u'a', u'Z', u'0', u' ', u'\t', u'\r', u'\n', 0, 1, 0x1f, 0x7f, u'\\', u'{', u'}',
                                      u';', u'?', u'\'', u'-', 0xe9, 0xa0, 0x65e5, 0xd83d, 0xde00, 0xfeff, 0xffff};
    const QStringList fonts = {QStringLiteral("Courier New"), QStringLiteral("Arial"), QStringLiteral("A;b{c}"),
                               QStringLiteral("\u5b8b\u4f53")};
    const QList<double> sizes = {8, 7.5, 10, 9.25, 72, 1};
    for (int iteration = 0; iteration < 500; ++iteration) {
        QString text;
        const int length = iteration == 0 ? 300000 : random.bounded(200);
        for (int i = 0; i < length; ++i)
            text.append(random.bounded(4) == 0 ? QChar(static_cast<char16_t>(random.bounded(0x10000)))
                                               : QChar(alphabet[random.bounded(alphabet.size())]));
        Runs runs;
        for (int covered = 0; covered < length;) {
            const int runLength = 1 + random.bounded(12);
            runs.push_back({runLength, fmt(random.generate(), random.bounded(2) == 1, random.bounded(2) == 1,
                                           fonts[random.bounded(fonts.size())], sizes[random.bounded(sizes.size())])});
            covered += runLength;
        }
        const auto doc = RtfCodec::read(RtfCodec::write(text, runs, defaultFormat), defaultFormat);
        QVERIFY(doc);
        QCOMPARE(doc->text, text);
        QVERIFY2(doc->runs == expectedRuns(text.size(), runs, defaultFormat), qPrintable(QString::number(iteration)));
    }
}

void tst_RtfCodec::writesPortableRtf()
{
    const QString rtf = RtfCodec::write(QStringLiteral("x\r\ny\u00e9\U0001F600"),
                                        {{4, fmt(0x0000ff, true, false, QStringLiteral("Arial"), 7.5)}}, defaultFormat);
    QVERIFY(rtf.startsWith(QLatin1String("{\\rtf1\\ansi")));
    QVERIFY(rtf.endsWith(QLatin1Char('}')));
    QVERIFY2(rtf.contains(QLatin1String("{\\f1\\fnil\\fcharset0 Arial;}")), qPrintable(rtf));
    QVERIFY2(rtf.contains(QLatin1String("\\red255\\green0\\blue0;")), qPrintable(rtf));
    QVERIFY2(rtf.contains(QLatin1String("\\fs15")), qPrintable(rtf));
    QVERIFY2(rtf.contains(QLatin1String("x\\par\r\ny")), qPrintable(rtf));
    QVERIFY2(rtf.contains(QLatin1String("\\u233\\'3f\\u-10179\\'3f\\u-8704\\'3f")), qPrintable(rtf));
    for (const QChar ch : rtf)
        QVERIFY(ch.unicode() < 0x80);
}

void tst_RtfCodec::foreignText_data()
{
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("word processor document")
        << QStringLiteral(
               "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fswiss\\fprq2\\fcharset0 Calibri;}"
               "{\\f1\\froman\\fprq2\\fcharset0 Times New Roman{\\*\\falt Times};}}\r\n"
               "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
               "{\\stylesheet{ Normal;}{\\s1 heading 1;}}\r\n"
               "{\\info{\\title Report}{\\author Someone}{\\creatim\\yr2024\\mo6}}\r\n"
               "{\\*\\generator Writer 10.0.19041}\\viewkind4\\uc1 \r\n"
               "\\pard\\sa200\\sl276\\slmult1\\cf1\\b\\f0\\fs22\\lang9 Caf\\'e9 cr\\'e8me\\b0\\par\r\n"
               "\\cf2 Price: 5 \\u8364?, \\ldblquote quoted\\rdblquote\\emdash done\\par\r\n"
               "{\\header\\pard Page header\\par}\r\n"
               "\\cf0\\i Last line\\i0\\par\r\n}\r\n")
        << QStringLiteral("Caf\u00e9 cr\u00e8me\r\nPrice: 5 \u20ac, \u201cquoted\u201d\u2014done\r\nLast line\r\n");
    QTest::newRow("unicode with two-byte fallbacks")
        << QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset128 MS Mincho;}}\\uc2\\f0 \\u26085\\'93\\'fa"
                          "\\u26412\\'96\\'7b x{\\uc0\\u233}y\\u233?}")
        << QStringLiteral("\u65e5\u672c x\u00e9y\u00e9");
    QTest::newRow("nested unknown groups, pictures, object result")
        << QStringLiteral("{\\rtf1 a{\\*\\unknown {b{c}}\\{}b{\\pict\\pngblip 89504e47{\\*\\blipuid 00}}"
                          "c{\\object{\\objdata 0102}{\\result visible}}{\\pict\\bin2 {}}\\}d}")
        << QStringLiteral("abcvisible}d");
    QTest::newRow("field keeps its result")
        << QStringLiteral("{\\rtf1 See {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt {\\ul\\cf1 the site}}}.}")
        << QStringLiteral("See the site.");
    QTest::newRow("special characters and symbols")
        << QStringLiteral("{\\rtf1 a\\tab b\\line c\\~d\\-e\\_f\\endash\\lquote q\\rquote\\bullet\\\\\\{\\}\\\r\ng}")
        << QStringLiteral("a\tb\r\nc\u00a0d\u00ade\u2011f\u2013\u2018q\u2019\u2022\\{}\r\ng");
    QTest::newRow("code page of the document")
        << QStringLiteral("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}") << QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442");
    QTest::newRow("charset of the font")
        << QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset128 MS Gothic;}{\\f2\\fcharset161 Greek;}}"
                          "\\f0\\'e9\\f1\\'82\\'a0\\'82\\'a2\\f2\\'e1}")
        << QStringLiteral("\u00e9\u3042\u3044\u03b1");
    QTest::newRow("double-byte trail byte written as plain character")
        << QStringLiteral("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Gothic;}}\\f0\\'83\\\\\\'83@ok}")
        << QStringLiteral("\u30bd\u30a1ok");
    QTest::newRow("Windows-1252 high range") << QStringLiteral("{\\rtf1 \\'80\\'85\\'93\\'94\\'99\\'81}")
                                             << QStringLiteral("\u20ac\u2026\u201c\u201d\u2122\u0081");
    QTest::newRow("raw non-ASCII characters kept") << QStringLiteral("{\\rtf1 gr\u00fc\u00df \u65e5}")
                                                   << QStringLiteral("gr\u00fc\u00df \u65e5");
    QTest::newRow("code point above the BMP") << QStringLiteral("{\\rtf1 \\u128512?}") << QStringLiteral("\U0001F600");
    QTest::newRow("leading blank lines accepted") << QStringLiteral("\r\n {\\rtf1 a}") << QStringLiteral("a");
    // Broken input still gives what could be read.
    QTest::newRow("truncated in text") << QStringLiteral("{\\rtf1 {\\b bold") << QStringLiteral("bold");
    QTest::newRow("truncated in control word") << QStringLiteral("{\\rtf1 ab\\pa") << QStringLiteral("ab");
    QTest::newRow("truncated in hex escape") << QStringLiteral("{\\rtf1 ab\\'e") << QStringLiteral("ab");
    QTest::newRow("truncated in font table") << QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Ari") << QString();
    QTest::newRow("truncated in skipped group") << QStringLiteral("{\\rtf1 a{\\*\\x b") << QStringLiteral("a");
    QTest::newRow("bad hex") << QStringLiteral("{\\rtf1 a\\'zzb}") << QStringLiteral("azzb");
    QTest::newRow("bin longer than input") << QStringLiteral("{\\rtf1 a\\bin99999999999999 b}") << QStringLiteral("a");
    QTest::newRow("huge parameters") << QStringLiteral("{\\rtf1\\fs99999999999999999999\\cf-99999999999 a\\u99999999?b}")
                                     << QStringLiteral("ab");
    QTest::newRow("extra closing brace ends the document") << QStringLiteral("{\\rtf1 a}}b") << QStringLiteral("a");
    QTest::newRow("destination at document level keeps text") << QStringLiteral("{\\rtf1\\info a\\*b}")
                                                              << QStringLiteral("ab");
    QTest::newRow("deep nesting") << QStringLiteral("{\\rtf1 ") + QString(100000, QLatin1Char('{')) + QStringLiteral("x")
                                  << QStringLiteral("x");
}

void tst_RtfCodec::foreignText()
{
    QFETCH(QString, rtf);
    QFETCH(QString, text);
    const auto doc = RtfCodec::read(rtf, defaultFormat);
    QVERIFY(doc);
    QCOMPARE(doc->text, text);
    QVERIFY(consistent(*doc));
}

void tst_RtfCodec::foreignFormatting()
{
    const CharFormat base = fmt(0x123456, false, false, QStringLiteral("Courier New"), 10);
    const QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Consolas;}{\\f1\\fswiss Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}"
        "a\\f1\\fs30\\cf1 b{\\b\\cf2 c{\\i d}e}f\\cf0 g\\plain h\\cf9 i\\f7 j\\fs k}");
    const auto doc = RtfCodec::read(rtf, base);
    QVERIFY(doc);
    QCOMPARE(doc->text, QStringLiteral("abcdefghijk"));
    QVERIFY(consistent(*doc));

    const CharFormat arial15 = fmt(0x123456, false, false, QStringLiteral("Arial"), 15);
    CharFormat red = arial15;
    red.color = 0x0000ff;
    CharFormat boldBlue = arial15;
    boldBlue.color = 0xff8000;
    boldBlue.bold = true;
    CharFormat boldItalicBlue = boldBlue;
    boldItalicBlue.italic = true;
    CharFormat courier12 = base;
    courier12.fontSize = 12;
    const Runs expected = {{1, base},           {1, red},     {1, boldBlue}, {1, boldItalicBlue},
                           {1, boldBlue},       {1, red},     {1, arial15},  {3, base}, // \plain, auto, unknown font
                           {1, courier12}};
    QVERIFY(doc->runs == expected);
}

void tst_RtfCodec::notRtf_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("empty") << QString();
    QTest::newRow("plain text") << QStringLiteral("Hello {\\rtf1 world}");
    QTest::newRow("cut header") << QStringLiteral("{\\rt");
    QTest::newRow("group without rtf") << QStringLiteral("{\\ansi hello}");
}

void tst_RtfCodec::notRtf()
{
    QFETCH(QString, input);
    QVERIFY(!RtfCodec::read(input, defaultFormat));
}

void tst_RtfCodec::fuzz()
{
    QRandomGenerator random(77);
    const QString pieces = QStringLiteral("{}\\\\'0123456789abcdefu-; ?*\r\n\u00e9");
    const QStringList seeds = {
        RtfCodec::write(QStringLiteral("a\r\nb\u00e9\U0001F600\t{}\\"), {{2, fmt(0xff)}, {3, fmt(0xff00, true)}},
                        defaultFormat),
        QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 G;}}{\\colortbl;\\red1\\green2\\blue3;}\\f0\\cf1"
                       "\\uc2\\u26085\\'93\\'fa\\'82{\\*\\x y}{\\pict\\bin3 abc}\\par z}"),
    };
    for (int iteration = 0; iteration < 3000; ++iteration) {
        QString rtf = seeds[iteration % seeds.size()];
        const int mutations = 1 + random.bounded(6);
        for (int m = 0; m < mutations && !rtf.isEmpty(); ++m) {
            const int at = random.bounded(static_cast<int>(rtf.size()));
            switch (random.bounded(4)) {
            case 0:
                rtf.remove(at, 1 + random.bounded(8));
                break;
            case 1:
                rtf.insert(at, pieces[random.bounded(pieces.size())]);
                break;
            case 2:
                rtf.truncate(std::max(5, at));
                break;
            default:
                rtf[at] = QChar(static_cast<char16_t>(random.bounded(0x10000)));
                break;
            }
        }
        const auto doc = RtfCodec::read(rtf, defaultFormat);
        if (doc)
            QVERIFY2(consistent(*doc), qPrintable(rtf));
    }
}

QTEST_GUILESS_MAIN(tst_RtfCodec)
#include "tst_rtfcodec.moc"
