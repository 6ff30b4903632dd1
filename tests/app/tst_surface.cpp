#include "MemorySurface.h"
#include "ScintillaSurface.h"
#include "SteadyScrollBar.h"

#include <QAbstractScrollArea>
#include <QRandomGenerator>
#include <QScrollBar>
#include <Qsci/qsciscintillabase.h>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <dlfcn.h>
#include <memory>
#include <tuple>

namespace {

const CharFormat kRed{0x0000FF, true, false, QStringLiteral("Courier New"), 8};
const CharFormat kBlueItalic{0xFF0000, false, true, QStringLiteral("Liberation Mono"), 10.5};

// The first eight pieces are ASCII.
QString randomText(QRandomGenerator &rng, int maxLength, bool asciiOnly = false)
{
    static const QList<QString> pieces = {
        QStringLiteral("a"), QStringLiteral("Z"), QStringLiteral(" "), QStringLiteral("\t"),
        QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r"), QStringLiteral("{"),
        QString(QChar(0xE9)), QString(QChar(0x4E2D)), QString(QChar(0)), QStringLiteral("\U0001F600"),
        QStringLiteral("int"), QStringLiteral("x"), QString(QChar(0xFF)),
        // CJK extension B, a flag of two regional indicators, a letter with two combining marks.
        QStringLiteral("\U00020BB7"), QStringLiteral("\U0001F1E9\U0001F1EA"), QStringLiteral("e\u0301\u0323")};
    QString text;
    const int count = int(rng.bounded(maxLength + 1));
    for (int i = 0; i < count; ++i)
        text += pieces[int(rng.bounded(asciiOnly ? 8 : int(pieces.size())))];
    return text;
}

// Offsets never split a surrogate pair: the widget cannot represent half a character.
int snap(const QString &text, int offset)
{
    if (offset > 0 && offset < text.size() && text[offset].isLowSurrogate())
        return offset - 1;
    return offset;
}

CharFormat randomFormat(QRandomGenerator &rng)
{
    static const QList<CharFormat> formats = {CharFormat{}, kRed, kBlueItalic,
                                              CharFormat{0x008000, false, true, QStringLiteral("Courier New"), 8}};
    return formats[int(rng.bounded(int(formats.size())))];
}

// Up to five formats out of a fixed set (the widget has fewer than 256 styles), and indices
// that sometimes point past the palette.
struct RandomStyles {
    std::vector<quint8> styles;
    std::vector<CharFormat> palette;
};

RandomStyles randomStyles(QRandomGenerator &rng, int maxLength)
{
    RandomStyles r;
    const int colours = int(rng.bounded(6));
    for (int i = 0; i < colours; ++i) {
        const int pick = int(rng.bounded(8));
        r.palette.push_back(pick < 4 ? randomFormat(rng)
                                     : CharFormat{OleColor(0x101010 * pick), pick % 2 == 0, pick == 5,
                                                  QStringLiteral("Courier New"), 8.0 + pick});
    }
    const int length = int(rng.bounded(maxLength + 1));
    for (int i = 0; i < length; ++i)
        r.styles.push_back(quint8(rng.bounded(colours + 2)));
    return r;
}

std::unique_ptr<EditorSurface> makeSurface(bool widget)
{
    if (widget)
        return std::make_unique<ScintillaSurface>();
    return std::make_unique<MemorySurface>();
}

QString letterMap(const EditorSurface &s)
{
    QString map;
    for (int i = 0; i < s.textLength(); ++i) {
        const CharFormat f = s.formatAt(i);
        map += f == kRed ? QLatin1Char('r') : f == kBlueItalic ? QLatin1Char('b')
             : f == s.defaultFormat() ? QLatin1Char('.') : QLatin1Char('?');
    }
    return map;
}

} // namespace

class TestSurface : public QObject {
    Q_OBJECT

private slots:
    void lentTextEndsBeforeAChange();
    void surfaces_data();
    void contractEdgeCases_data() { surfaces_data(); }
    void contractEdgeCases();
    void typingFormatFollowsSelection_data() { surfaces_data(); }
    void typingFormatFollowsSelection();
    void tabStopsAndWrap();
    void bytesSurviveTheWidget();
    void snapshotsShareUntilTheTextChanges();
    void differential();
    void styleBufferEdges_data();
    void styleBufferEdges();
    void rtfRoundTripThroughSurface();
    void asciiDocumentTakesItsFirstNonAscii_data();
    void asciiDocumentTakesItsFirstNonAscii();
    void largeDocumentKeepsItsOffsets();
    void insertedLineFeedBreaksTheLineModel_data() { surfaces_data(); }
    void insertedLineFeedBreaksTheLineModel();
    void geometryAndStyleCells();
    void lineTopsFollowTheWidget();
    void scrollBarPaintsWhenItsHandleMoves();
    void markersOverTheTextLeaveTheScrollBars();
};

void TestSurface::asciiDocumentTakesItsFirstNonAscii_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wholeText");
    QTest::newRow("typed at the end") << 13 << 0 << QStringLiteral("\u00e9") << false;
    QTest::newRow("pasted lines in the middle") << 4 << 0 << QStringLiteral("na\u00efve\r\n\U0001F600 x\r\n") << false;
    QTest::newRow("replacing a selection over a line break") << 2 << 5 << QStringLiteral("\u00fc") << false;
    QTest::newRow("undo restores a text with accents") << 0 << 0 << QStringLiteral("caf\u00e9\r\nb\u00e4r\r\n") << true;
}

void TestSurface::asciiDocumentTakesItsFirstNonAscii()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, text);
    QFETCH(bool, wholeText);
    MemorySurface memory;
    ScintillaSurface widget;
    for (EditorSurface *s : std::initializer_list<EditorSurface *>{&memory, &widget}) {
        const QByteArray ascii("int a;\r\nb = 2;");
        s->setTextUtf8(ascii, true);
        if (wholeText) {
            s->setTextUtf8(text.toUtf8(), false);
        } else {
            s->setSelStart(start);
            s->setSelLength(length);
            s->setSelText(text);
        }
    }
    QVERIFY(widget.usesUtf16Index());
    QCOMPARE(widget.text(), memory.text());
    QCOMPARE(widget.textLength(), memory.textLength());
    QCOMPARE(widget.selStart(), memory.selStart());
    QCOMPARE(widget.lineCount(), memory.lineCount());
    for (int line = 0; line < memory.lineCount(); ++line)
        QCOMPARE(widget.lineIndex(line), memory.lineIndex(line));
    for (int offset = 0; offset <= memory.textLength(); ++offset) {
        QCOMPARE(widget.getLineFromChar(offset), memory.getLineFromChar(offset));
        QCOMPARE(widget.textRange(offset, 2), memory.textRange(offset, 2));
    }
}

// The widget's own SCI_COUNTCHARACTERS, past the program's answer to it.
long widgetsOwnCount(const ScintillaSurface &surface, long from, long to)
{
    using Entry = long (*)(const QsciScintillaBase *, unsigned int, unsigned long, long);
    static const Entry widget =
        reinterpret_cast<Entry>(dlsym(RTLD_NEXT, "_ZNK17QsciScintillaBase13SendScintillaEjml"));
    return widget(surface.view(), QsciScintillaBase::SCI_COUNTCHARACTERS, static_cast<unsigned long>(from), to);
}

void TestSurface::surfaces_data()
{
    QTest::addColumn<bool>("scintilla");
    QTest::newRow("memory") << false;
    QTest::newRow("scintilla") << true;
}

void TestSurface::contractEdgeCases()
{
    QFETCH(bool, scintilla);
    const auto owned = makeSurface(scintilla);
    EditorSurface &s = *owned;

    QCOMPARE(s.sendMessage(EM_GETLINECOUNT, 0, 0), 1);
    QCOMPARE(s.getLineFromChar(0), 0);
    QCOMPARE(s.sendMessage(EM_LINEINDEX, 0, 0), 0);

    s.setText(QStringLiteral("a\r\nb"));
    QCOMPARE(s.getLineFromChar(3), 1);
    QCOMPARE(s.sendMessage(EM_LINEINDEX, 1, 0), 3);

    s.setSelStart(1);
    s.setSelText(QStringLiteral("xyz"));
    QCOMPARE(s.selStart(), 4);

    // Offsets count UTF-16 units, also after non-ASCII text arrived.
    s.setSelStart(0);
    s.setSelText(QStringLiteral("\u00e9\U0001F600"));
    QCOMPARE(s.selStart(), 3);
    QCOMPARE(s.textLength(), 10);
    QCOMPARE(s.getLineFromChar(9), 1);
    QCOMPARE(s.lineIndex(1), 9);
    s.setSelStart(3);
    s.setSelLength(4);
    QCOMPARE(s.selText(), QStringLiteral("axyz"));

    // Lone CR and LF are line breaks of their own; binary text keeps them.
    s.setBinaryDocument(true);
    s.setText(QStringLiteral("a\rb\nc\r\n"));
    QCOMPARE(s.lineCount(), 4);
    QCOMPARE(s.lineIndex(2), 4);
    QCOMPARE(s.lineIndex(3), 7);
    QCOMPARE(s.lineIndex(4), -1);
}

void TestSurface::typingFormatFollowsSelection()
{
    QFETCH(bool, scintilla);
    const auto owned = makeSurface(scintilla);
    EditorSurface &s = *owned;
    s.setText(QStringLiteral("hello world"));
    s.setSelStart(6);
    s.setSelLength(5);
    s.setSelColor(kRed.color);
    s.setSelBold(true);
    QVERIFY(s.formatAt(10).bold);
    QCOMPARE(s.formatAt(5).color, OleColor(0));

    // Empty selection: the format applies to the text inserted next, until the caret moves.
    s.setSelStart(0);
    s.setSelColor(kBlueItalic.color);
    s.setSelText(QStringLiteral(">>"));
    QCOMPARE(s.formatAt(0).color, kBlueItalic.color);
    s.setSelStart(0);
    QCOMPARE(s.selColor(), OleColor(0));

    // Unformatted text follows the default format when it changes.
    CharFormat base = s.defaultFormat();
    base.color = 0x123456;
    s.setDefaultFormat(base);
    QCOMPARE(s.formatAt(3).color, OleColor(0x123456));
    QCOMPARE(s.formatAt(8).color, kRed.color);
}

void TestSurface::tabStopsAndWrap()
{
    ScintillaSurface s;
    QVERIFY(s.sendMessage(EM_SETTABSTOPS, 1, 8 * 4));
    QCOMPARE(s.view()->tabWidth(), 8);
    QVERIFY(!s.setTabStops(40000));
    QCOMPARE(s.view()->tabWidth(), 8);
    s.sendMessage(EM_SETTARGETDEVICE, 0, 0);
    QVERIFY(s.wordWrap());
    s.sendMessage(EM_SETTARGETDEVICE, 0, 1);
    QVERIFY(!s.wordWrap());

    QString lines;
    for (int i = 0; i < 200; ++i)
        lines += QStringLiteral("line %1\r\n").arg(i);
    s.view()->resize(400, 300);
    s.setText(lines);
    s.sendMessage(EM_SCROLL, 1, 0);
    QCOMPARE(s.sendMessage(EM_GETFIRSTVISIBLELINE, 0, 0), 1);
    s.sendMessage(EM_SCROLL, 0, 0);
    QCOMPARE(s.firstVisibleLine(), 0);
    QCOMPARE(s.selStart(), 0);
}

void TestSurface::bytesSurviveTheWidget()
{
    // Every byte value as a Latin-1 character, NULs and lone line breaks included.
    QString all;
    for (int b = 0; b < 256; ++b)
        all += QChar(b);
    ScintillaSurface s;
    s.setBinaryDocument(true);
    s.setText(all + all);
    QCOMPARE(s.text(), all + all);
    s.setSelStart(255);
    s.setSelLength(2);
    QCOMPARE(s.selText(), QString(QChar(0xFF)) + QChar(0));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.bin"));
    QVERIFY(!s.saveFile(path, 1));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), (all + all).toLatin1());
}

// A large text is lent as the widget's own bytes: no copy, and the first change ends the loan
// before it touches a byte; a reader that comes after is told no.
void TestSurface::lentTextEndsBeforeAChange()
{
    ScintillaSurface s;
    const QString large = QStringLiteral("a line of text \u00e9\r\n").repeated(100000);
    s.setText(large);
    s.setSelStart(1000);
    const std::shared_ptr<TextLoan> loan = s.lendText();
    QByteArray seen;
    QVERIFY(loan->read([&](const QByteArray &text) {
        seen = text;
        QCOMPARE(text.constData(), s.textUtf8().constData());
    }));
    QCOMPARE(QString::fromUtf8(seen), large);
    s.setSelText(QStringLiteral("x"));
    QVERIFY(loan->ended());
    QVERIFY(!loan->read([](const QByteArray &) { QFAIL("read after the change"); }));
    // Lent a piece at a time, the text stays where the typing put the widget's gap: the next key
    // there moves nothing. Pieces across the gap read as the text does.
    const auto gap = [&s] { return s.view()->SendScintilla(QsciScintillaBase::SCI_GETGAPPOSITION); };
    const long typedAt = gap();
    QVERIFY(typedAt > 0 && typedAt < s.view()->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    const std::shared_ptr<TextLoan> pieces = s.lendTextInPieces();
    QCOMPARE(gap(), typedAt);
    const QByteArray expected = large.left(1000).toUtf8() + 'x' + large.mid(1000).toUtf8();
    QCOMPARE(pieces->size(), expected.size());
    QByteArray whole;
    for (qsizetype at = 0; at < pieces->size(); at += 4093)
        QVERIFY(pieces->append(at, 4093, whole));
    QCOMPARE(whole, expected);
    QByteArray across;
    QVERIFY(pieces->append(typedAt - 3, 7, across));
    QCOMPARE(across, expected.mid(typedAt - 3, 7));
    QCOMPARE(gap(), typedAt);
    s.setSelText(QStringLiteral("y"));
    QVERIFY(pieces->ended());
    QVERIFY(!pieces->append(0, 1, across));
    // Loading another text ends a loan as well.
    const std::shared_ptr<TextLoan> second = s.lendText();
    s.setTextUtf8("short", true);
    QVERIFY(second->ended());
}

void TestSurface::snapshotsShareUntilTheTextChanges()
{
    ScintillaSurface s;
    s.setTextUtf8(QByteArray("caf\xc3\xa9 one\ntwo\n"), false);
    const QByteArray first = s.textSnapshot();
    QCOMPARE(s.textSnapshot().constData(), first.constData());
    s.setSelStart(4);
    s.setSelText(QStringLiteral("X"));
    const QByteArray second = s.textSnapshot();
    QCOMPARE(first, QByteArray("caf\xc3\xa9 one\ntwo\n"));
    QCOMPARE(second, QByteArray("caf\xc3\xa9X one\ntwo\n"));
    // A load in pieces replaces the text without a change event per piece.
    s.beginBulkLoad(true, 4);
    s.appendUtf8("new", 3);
    s.endBulkLoad();
    QCOMPARE(s.textSnapshot(), QByteArray("new"));
    QCOMPARE(second, QByteArray("caf\xc3\xa9X one\ntwo\n"));

    // A large copy is made on another thread; a change waits until it is complete.
    const QByteArray large = QByteArray(3 << 20, 'a') + "\r\nend";
    s.setTextUtf8(large, true);
    const std::shared_future<QByteArray> pending = s.textSnapshotAsync();
    s.setSelStart(0);
    s.setSelText(QStringLiteral("x"));
    QVERIFY(pending.get() == large);
    const std::shared_future<QByteArray> beforeLoad = s.textSnapshotAsync();
    s.setTextUtf8("short", true);
    QCOMPARE(beforeLoad.get().size(), large.size() + 1);

    // A copy kept from a load is given out only when it is the text that was loaded.
    for (const QByteArray &kept : {QByteArray("loaded"), QByteArray("other text")}) {
        s.beginBulkLoad(true, 6);
        s.appendUtf8("loaded", 6);
        s.keepLoadedCopy(kept, TextFingerprint::of(kept.constData(), kept.size()));
        s.endBulkLoad();
        QCOMPARE(s.textSnapshot(), QByteArray("loaded"));
        QVERIFY(s.fingerprint() == TextFingerprint::of("loaded", 6));
    }
}

void TestSurface::differential()
{
    QRandomGenerator rng(20261206);
    MemorySurface memory;
    ScintillaSurface widget;
    EditorSurface *both[] = {&memory, &widget};

    for (int round = 0; round < 60; ++round) {
        // Some rounds start as pure ASCII, where the widget skips its UTF-16 index.
        const bool ascii = round % 3 == 0;
        const QString initial = randomText(rng, 40, ascii);
        for (EditorSurface *s : both) {
            s->setBinaryDocument(round % 2 == 0);
            s->setText(initial);
        }
        for (int step = 0; step < 40; ++step) {
            const QString current = memory.text();
            const int length = int(current.size());
            const int op = int(rng.bounded(8));
            // Selections start and end anywhere, also between the halves of a pair.
            const int a = int(rng.bounded(length + 1));
            const int b = int(rng.bounded(length - a + 1));
            const QString insert = randomText(rng, 4, ascii && step < 30);
            // Not snapped: a buffer may begin or end inside a surrogate pair.
            const int bufferStart = int(rng.bounded(length + 2));
            const RandomStyles buffer = randomStyles(rng, length - bufferStart + 3);
            const CharFormat format = randomFormat(rng);
            std::vector<FormatRun> runs;
            for (int r = 0, pos = snap(current, a); r < 3 && pos < length; ++r) {
                const int end = snap(current, pos + int(rng.bounded(length - pos + 1)));
                runs.push_back({end - pos, randomFormat(rng)});
                pos = end;
            }
            for (EditorSurface *s : both) {
                if (op == 0 || op == 1 || op == 3) {
                    s->setSelStart(a);
                    s->setSelLength(b);
                }
                if (op == 1) {
                    s->setSelText(insert);
                } else if (op == 2) {
                    s->applyFormatRuns(snap(current, a), runs);
                } else if (op == 3) {
                    s->setSelColor(format.color);
                    s->setSelItalic(format.italic);
                } else if (op == 4) {
                    s->setSelStart(a);
                    s->setSelBold(true);
                    s->setSelText(insert);
                } else if (op == 5 || op == 6) {
                    s->applyStyleBuffer(bufferStart, buffer.styles, buffer.palette);
                } else if (op == 7) {
                    s->setText(insert + current.left(snap(current, a)));
                }
            }
            const QString context = QStringLiteral("round %1 step %2 op %3").arg(round).arg(step).arg(op);
            QVERIFY2(memory.text() == widget.text(), qPrintable(context));
            QCOMPARE(widget.selStart(), memory.selStart());
            QCOMPARE(widget.selLength(), memory.selLength());
            QCOMPARE(widget.selText(), memory.selText());
            QCOMPARE(widget.selColor(), memory.selColor());
            QCOMPARE(widget.lineCount(), memory.lineCount());
            for (int line = 0; line < memory.lineCount(); ++line)
                QCOMPARE(widget.lineIndex(line), memory.lineIndex(line));
            // Every offset is valid for every query, and the caret never splits a pair.
            const int total = memory.textLength();
            const int caret = widget.selStart() + widget.selLength();
            QVERIFY(caret == 0 || caret == total || !memory.text().at(caret).isLowSurrogate());
            for (int probe = 0; probe <= total; ++probe) {
                QCOMPARE(widget.getLineFromChar(probe), memory.getLineFromChar(probe));
                QCOMPARE(widget.textRange(probe, 1), memory.textRange(probe, 1));
                QCOMPARE(widget.textRange(probe, b), memory.textRange(probe, b));
                QVERIFY2(widget.formatAt(probe) == memory.formatAt(probe),
                         qPrintable(context + QStringLiteral(" format at %1 of %2").arg(probe).arg(total)));
            }
            QVERIFY2(widget.formatRuns(0, widget.textLength()) == memory.formatRuns(0, memory.textLength()),
                     qPrintable(context));
            // The program's character count agrees with the widget's own walk, also from and to
            // the middle of a character.
            const long bytes = widget.view()->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
            for (int k = 0; k < 6; ++k) {
                const long from = long(rng.bounded(int(bytes) + 1));
                const long to = k == 0 ? bytes : from + long(rng.bounded(int(bytes - from) + 1));
                QCOMPARE(widget.view()->SendScintilla(QsciScintillaBase::SCI_COUNTCHARACTERS, from, to),
                         widgetsOwnCount(widget, from, to));
            }
        }
    }
}

void TestSurface::styleBufferEdges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("styles");
    QTest::addColumn<QString>("expected");

    // The text starts all blue; palette 0 is the default format, 1 red, 2 blue.
    QTest::newRow("crlf and non-ascii") << QStringLiteral("\u00e9\r\n\u4e2dx") << 1 << QList<int>{1, 1, 0}
                                       << QStringLiteral("brr.b");
    QTest::newRow("index outside the palette is the default") << QStringLiteral("abc") << 0 << QList<int>{1, 7, 255}
                                                              << QStringLiteral("r..");
    QTest::newRow("pair takes its first unit's style") << QStringLiteral("a\U0001F600b") << 1 << QList<int>{1, 0, 1}
                                                       << QStringLiteral("brrr");
    QTest::newRow("buffer ending on a first unit colours the pair")
        << QStringLiteral("a\U0001F600b") << 0 << QList<int>{0, 1} << QStringLiteral(".rrb");
    QTest::newRow("buffer starting on a second unit leaves the pair")
        << QStringLiteral("a\U0001F600b") << 2 << QList<int>{0, 1} << QStringLiteral("bbbr");
    QTest::newRow("past the end is ignored") << QStringLiteral("ab") << 1 << QList<int>{1, 1, 1}
                                             << QStringLiteral("br");
}

void TestSurface::styleBufferEdges()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(QList<int>, styles);
    QFETCH(QString, expected);
    std::vector<quint8> buffer;
    for (int style : styles)
        buffer.push_back(quint8(style));

    MemorySurface memory;
    ScintillaSurface widget;
    for (EditorSurface *s : std::initializer_list<EditorSurface *>{&memory, &widget}) {
        s->setText(text);
        s->applyFormatRuns(0, {{int(text.size()), kBlueItalic}});
        s->applyStyleBuffer(start, buffer, {CharFormat{}, kRed, kBlueItalic});
        // Every unit is probed, the second one of a pair included.
        QCOMPARE(letterMap(*s), expected);
    }
}

void TestSurface::rtfRoundTripThroughSurface()
{
    MemorySurface source;
    source.setText(QStringLiteral("int main()\r\n{\r\n\treturn 0; // \u00e9t\u00e9 \u4e2d\r\n}"));
    source.applyFormatRuns(0, {{3, kRed}, {8, CharFormat{}}, {5, kBlueItalic}});
    const QString rtf = source.textRTF();

    ScintillaSurface target;
    target.setTextRTF(rtf);
    QCOMPARE(target.text(), source.text());
    QVERIFY(target.formatRuns(0, target.textLength()) == source.formatRuns(0, source.textLength()));

    // A selection's rich text replaces another selection with its formatting.
    source.setSelStart(0);
    source.setSelLength(3);
    target.setSelStart(target.textLength());
    target.setSelRTF(source.selRTF());
    QVERIFY(target.text().endsWith(QStringLiteral("}int")));
    QCOMPARE(target.formatAt(target.textLength() - 1), kRed);
}

void TestSurface::largeDocumentKeepsItsOffsets()
{
    // Long enough for many checkpoints of the unit index: loaded in pieces with the loader's own
    // count (once a stale one), then typed into, cut across and pasted into.
    QRandomGenerator rng(5);
    QString initial;
    while (initial.size() < 120000)
        initial += randomText(rng, 60) + QStringLiteral("\r\n");
    const QByteArray utf8 = initial.toUtf8();
    for (const bool staleCount : {false, true}) {
        MemorySurface memory;
        ScintillaSurface widget;
        memory.setBinaryDocument(true);
        widget.setBinaryDocument(true);
        memory.setText(initial);
        widget.beginBulkLoad(false, utf8.size());
        for (qsizetype at = 0; at < utf8.size(); at += 7001)
            widget.appendUtf8(utf8.constData() + at, std::min<qsizetype>(7001, utf8.size() - at));
        const QByteArray counted = staleCount ? utf8.left(utf8.size() - 1) : utf8;
        widget.keepLoadedCopy(utf8, TextFingerprint::of(utf8.constData(), utf8.size()),
                              UnitIndex::of(counted.constData(), counted.size()));
        widget.endBulkLoad();
        EditorSurface *both[] = {&memory, &widget};
        for (int step = 0; step < 12; ++step) {
            const int length = memory.textLength();
            const int a = int(rng.bounded(length));
            const int b = step % 3 == 0 ? int(rng.bounded(std::min(length - a, 30000))) : 0;
            const QString insert = step % 4 == 1 ? randomText(rng, 9000) + randomText(rng, 9000) : randomText(rng, 3);
            for (EditorSurface *s : both) {
                s->setSelStart(a);
                s->setSelLength(b);
                s->setSelText(insert);
            }
            QCOMPARE(widget.textLength(), memory.textLength());
            QCOMPARE(widget.selStart(), memory.selStart());
            QCOMPARE(widget.lineCount(), memory.lineCount());
            for (int line = 0; line < memory.lineCount(); line += 1 + int(rng.bounded(40)))
                QCOMPARE(widget.lineIndex(line), memory.lineIndex(line));
            for (int probe = 0; probe < 200; ++probe) {
                const int offset = int(rng.bounded(memory.textLength() + 1));
                QCOMPARE(widget.getLineFromChar(offset), memory.getLineFromChar(offset));
                QCOMPARE(widget.textRange(offset, 3), memory.textRange(offset, 3));
            }
        }
        QCOMPARE(widget.text(), memory.text());
    }
}

// A replacement or a decoder handing over a bare LF: a text document takes it as its own CR LF,
// whichever way the text goes in; a binary one keeps its bytes, and loading and undo restore exactly.
void TestSurface::insertedLineFeedBreaksTheLineModel()
{
    QFETCH(bool, scintilla);
    const auto owned = makeSurface(scintilla);
    EditorSurface &s = *owned;

    s.setText(QStringLiteral("one\ntwo\rthree"));
    QCOMPARE(s.text(), QStringLiteral("one\r\ntwo\rthree"));
    s.setSelStart(3);
    s.setSelText(QStringLiteral("\n\u00e9\r\n"));
    QCOMPARE(s.text(), QStringLiteral("one\r\n\u00e9\r\n\r\ntwo\rthree"));
    QCOMPARE(s.selStart(), 8);
    QCOMPARE(s.lineCount(), 5);
    // Rich text keeps its formats on the characters they belonged to.
    MemorySurface source;
    source.setBinaryDocument(true);
    source.setText(QStringLiteral("x\ny"));
    source.applyFormatRuns(0, {{2, kRed}, {1, kBlueItalic}});
    s.setTextRTF(source.textRTF());
    QCOMPARE(s.text(), QStringLiteral("x\r\ny"));
    QCOMPARE(s.formatAt(2), kRed);
    QCOMPARE(s.formatAt(3), kBlueItalic);

    s.setTextUtf8(QByteArray("a\nb"), true);
    QCOMPARE(s.text(), QStringLiteral("a\nb"));
    s.setBinaryDocument(true);
    s.setSelStart(1);
    s.setSelText(QStringLiteral("\n"));
    s.setSelText(QStringLiteral("\r"));
    QCOMPARE(s.text(), QStringLiteral("a\n\r\nb"));
    QCOMPARE(s.lineCount(), 3);
}

void TestSurface::geometryAndStyleCells()
{
    MemorySurface memory;
    memory.setText(QStringLiteral("abc"));
    QVERIFY(!memory.textArea());
    QVERIFY(!memory.characterRect(0));
    QVERIFY(!memory.styleCells());

    ScintillaSurface s;
    s.view()->resize(400, 300);
    QString lines;
    for (int i = 0; i < 200; ++i)
        lines += QStringLiteral("line %1\r\n").arg(i);
    s.setText(QStringLiteral("\u00e9") + lines);
    const auto first = s.characterRect(0);
    const auto next = s.characterRect(1);
    QVERIFY(first && next);
    QVERIFY(s.textArea()->rect().contains(*first));
    QCOMPARE(next->left(), first->right() + 1);
    QCOMPARE(first->height(), s.lineHeight());
    // Out of the text, or scrolled out of view.
    QVERIFY(!s.characterRect(-1));
    QVERIFY(!s.characterRect(s.textLength()));
    QVERIFY(!s.characterRect(s.lineIndex(150)));

    // Positions and style numbers are per byte of UTF-8: the accent takes two.
    StyleCells *cells = s.styleCells();
    QVERIFY(cells);
    QCOMPARE(cells->utf8().first(6), QByteArrayView("\xc3\xa9line"));
    std::vector<std::tuple<int, StyleChanges, int>> seen;
    const auto connection = cells->onModified([&](int position, StyleChanges kind, int length) {
        seen.emplace_back(position, kind, length);
    });
    s.setSelStart(1);
    s.setSelLength(2);
    s.setSelColor(0x0000FF);
    s.setSelLength(0);
    s.setSelText(QStringLiteral("x"));
    QObject::disconnect(connection);
    QVERIFY(std::find(seen.begin(), seen.end(), std::tuple(2, StyleChanges(StyleChange::Style), 2)) != seen.end());
    QVERIFY(std::find(seen.begin(), seen.end(), std::tuple(2, StyleChanges(StyleChange::Insert), 1)) != seen.end());
    const QByteArray ids = cells->styleIds(0, 5);
    QCOMPARE(ids.at(0), ids.at(1));
    QCOMPARE(ids.at(3), ids.at(4));
    QVERIFY(ids.at(3) != ids.at(0));

    QByteArray restyled = cells->styleIds(0, int(cells->utf8().size()));
    std::swap(restyled[0], restyled[3]);
    cells->setStyleIds(restyled);
    QCOMPARE(cells->styleIds(0, int(restyled.size())), restyled);
}

// The gutter's rows: each line's top as the widget itself places the line's first character,
// through scrolling, wrapped lines and hidden ones.
void TestSurface::lineTopsFollowTheWidget()
{
    ScintillaSurface s;
    s.view()->resize(300, 200);
    QString lines;
    for (int i = 0; i < 120; ++i)
        lines += (i % 7 == 3 ? QStringLiteral("a long line that wraps in a narrow view %1 ").repeated(3) : QStringLiteral("line"))
               + QStringLiteral("\r\n");
    s.setText(lines);
    const auto widgetTop = [&s](int line) {
        const long start = s.view()->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        return int(s.view()->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, start));
    };
    const auto compareAll = [&] {
        for (int line = 0; line < s.lineCount(); ++line)
            QCOMPARE(s.lineTop(line), widgetTop(line));
    };
    compareAll();
    s.setFirstVisibleLine(40);
    compareAll();
    s.setWordWrap(true);
    s.setFirstVisibleLine(10);
    compareAll();
    s.view()->SendScintilla(QsciScintillaBase::SCI_HIDELINES, 12UL, 20L);
    compareAll();
}

// A long document's scroll bar: a new line or a scroll by one leaves its handle where it was and is
// not drawn again; a change the handle shows is.
void TestSurface::scrollBarPaintsWhenItsHandleMoves()
{
    struct Counted : SteadyScrollBar {
        using SteadyScrollBar::SteadyScrollBar;
        int paints = 0;
        void paintEvent(QPaintEvent *event) override
        {
            ++paints;
            SteadyScrollBar::paintEvent(event);
        }
    } bar(Qt::Vertical, nullptr);
    bar.resize(16, 400);
    bar.setRange(0, 1000000);
    bar.setPageStep(30);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QTRY_VERIFY(bar.paints > 0);
    const auto paintsAfter = [&bar](const std::function<void()> &change) {
        QCoreApplication::processEvents();
        const int before = bar.paints;
        change();
        QCoreApplication::processEvents();
        return bar.paints - before;
    };
    QCOMPARE(paintsAfter([&] { bar.setRange(0, 1000001); }), 0);
    bar.setValue(100);
    QCOMPARE(paintsAfter([&] { bar.setValue(101); }), 0);
    QCOMPARE(paintsAfter([&] { bar.setValue(500000); }), 1);
    QCOMPARE(paintsAfter([&] { bar.setRange(0, 20); }), 1);
    // At either end the arrow is drawn disabled, even when the handle moves by less than a pixel.
    bar.setRange(0, 1000000);
    bar.setValue(999999);
    QCOMPARE(paintsAfter([&] { bar.setValue(1000000); }), 1);
}

// A marker shown and hidden over the text on every key (the bracket partner) repaints where it was,
// not the scroll bars beside the text.
void TestSurface::markersOverTheTextLeaveTheScrollBars()
{
    ScintillaSurface s;
    QWidget *view = s.view();
    view->resize(400, 300);
    QString lines;
    for (int i = 0; i < 2000; ++i)
        lines += QStringLiteral("line %1 ").arg(i) + QString(200, u'x') + QStringLiteral("\r\n");
    s.setText(lines);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } count;
    auto *area = qobject_cast<QAbstractScrollArea *>(view);
    QVERIFY(area);
    QTRY_VERIFY(area->verticalScrollBar()->isVisible() && area->horizontalScrollBar()->isVisible());
    area->verticalScrollBar()->installEventFilter(&count);
    area->horizontalScrollBar()->installEventFilter(&count);
    QWidget marker(s.textArea());
    marker.setGeometry(20, 20, 8, 16);
    for (int i = 0; i < 5; ++i) {
        marker.show();
        QTest::qWait(10);
        marker.hide();
        QTest::qWait(10);
    }
    QCOMPARE(count.paints, 0);
    // A change the bars show still reaches them.
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    QTRY_VERIFY(count.paints > 0);
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
