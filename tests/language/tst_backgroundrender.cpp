#include "BackgroundRender.h"
#include "CodeHighlighter.h"
#include "Highlighter.h"
#include "MarkupHighlighter.h"
#include "MemorySurface.h"
#include "RenderClock.h"
#include "Settings.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <map>

namespace {

// Pieces that meet the corner cases of cutting a document into lines: markers and strings next to
// line breaks of every kind, attribute names after CR LF, characters of two UTF-16 units.
const QStringList kPieces = {
    "int", "return", "end-if", "if", "printf", "x9", "42", "#a0B1c2", "\"", "'", "//", "/*", "*/", "--", "{",
    "}", "<", ">", "</", "<!", "<!--", "-->", "=", "=\"", "=7", "-", "*", " ", " ", "\r\n", "\r\n", "\r", "\n",
    "\t", "é", "😀", "a", "div", "href", "_", "<div", " id=\"", "\r\nclass=",
};

LanguageDefinition randomLanguage(QRandomGenerator &random)
{
    auto pick = [&](const QStringList &list) { return list.at(random.bounded(qsizetype(list.size()))); };
    LanguageDefinition lang;
    lang.keywordListText = pick({"int return if ", "end-if int ", "a(b int ", "", "div a "});
    lang.functionListText = pick({"printf ", "", "x-9 "});
    lang.caseSensitive = random.bounded(2) == 0;
    const QString quote = pick({"\"", "'", ""});
    lang.stringChar = quote.isEmpty() ? QChar() : quote.at(0);
    lang.lineComment = pick({"//", "--", "", "(", "\\*"});
    const QString block = pick({"/* */", "{ }", "<!-- -->", "/*", "_ _"});
    lang.blockCommentStart = block.section(QLatin1Char(' '), 0, 0);
    lang.blockCommentEnd = block.section(QLatin1Char(' '), 1, 1);
    lang.markup = random.bounded(3) == 0;
    lang.buildPatterns();
    lang.languageActive = true;
    return lang;
}

QString randomText(QRandomGenerator &random, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += kPieces.at(random.bounded(qsizetype(kPieces.size())));
    return text;
}

Settings colourSettings()
{
    Settings s;
    s.fcolor = 0x111111;
    s.fcolor1 = 0x0000FF;
    s.fcolor2 = 0x00FF00;
    s.fcolorNumber = 0xFF0000;
    s.fcolorString = 0x00FFFF;
    s.fcolorComment = 0xFF00FF;
    s.HighLightNumbers = true;
    s.BoldKeyWords = true;
    s.ItalicComments = true;
    return s;
}

QString colourMap(const EditorSurface &surface)
{
    QString map;
    for (int i = 0; i < surface.textLength(); ++i)
        map += QString::number(surface.formatAt(i).color, 16) + QLatin1Char(surface.formatAt(i).bold ? 'b' : '.');
    return map;
}

} // namespace

class TestBackgroundRender : public QObject {
    Q_OBJECT

private slots:
    void piecesEqualTheWholeRender();
    void piecesBeforeAnEditStandWhileTheirCommentsDo();
    void editsDuringTheRenderEndInTheColoursOfTheFinalText();
    void lentTextGivesTheSameColoursAndItsEndStopsTheRender();
    void onDemandGivesEachPieceAskedForOnce();
    void largeDocumentIsColouredWhereShownAndWhereRead();
};

void TestBackgroundRender::piecesEqualTheWholeRender()
{
    QRandomGenerator random(20261207);
    for (int round = 0; round < 1500; ++round) {
        const QString text = randomText(random, random.bounded(80));
        const LanguageDefinition lang = randomLanguage(random);
        const bool numbers = random.bounded(2) == 0;

        RenderClock clock;
        const std::optional<StyleBuffer> whole = lang.markup ? MarkupHighlighter(lang.stringChar, numbers).styles(text, clock)
                                                             : CodeHighlighter(lang, numbers).styles(text, clock);
        QVERIFY(whole);

        BackgroundRender::Job job;
        job.utf8 = text.toUtf8();
        job.language = lang;
        job.highlightNumbers = numbers;
        job.pieceBytes = 1 + random.bounded(24);
        job.firstUnit = random.bounded(int(text.size()) + 1);
        // Every unit is styled by exactly one piece, whatever order the pieces come in.
        StyleBuffer assembled(whole->size(), TokenStyle::Plain);
        std::vector<int> covered(whole->size(), 0);
        for (const BackgroundRender::Piece &piece : BackgroundRender::computeAll(job)) {
            QVERIFY(piece.start >= 0 && piece.start + int(piece.styles.size()) <= int(whole->size()));
            for (std::size_t i = 0; i < piece.styles.size(); ++i) {
                assembled[std::size_t(piece.start) + i] = piece.styles[i];
                ++covered[std::size_t(piece.start) + i];
            }
        }
        QVERIFY2(std::all_of(covered.begin(), covered.end(), [](int c) { return c == 1; }), qPrintable(text));
        QVERIFY2(assembled == *whole, qPrintable(QStringLiteral("%1 | %2").arg(text, lang.blockCommentStart)));
    }
}

// A render started again after an edit leaves the styles before the edit's line standing: what it
// gives on top of them is what a render of the new text gives, also when the edit opened or closed
// a comment that reaches back over them.
void TestBackgroundRender::piecesBeforeAnEditStandWhileTheirCommentsDo()
{
    QRandomGenerator random(20261209);
    const QStringList edits = {"/*", "*/", "<!--", "-->", "\r\n", "x", "\"", "{", "}", "_"};
    int kept = 0;
    for (int round = 0; round < 1500; ++round) {
        const QString before = randomText(random, 20 + random.bounded(80));
        const LanguageDefinition lang = randomLanguage(random);
        const bool numbers = random.bounded(2) == 0;
        BackgroundRender::Job job;
        job.language = lang;
        job.highlightNumbers = numbers;
        job.pieceBytes = 1 + random.bounded(24);
        const auto whole = [&](const QString &text) {
            RenderClock clock;
            return *(lang.markup ? MarkupHighlighter(lang.stringChar, numbers).styles(text, clock)
                                 : CodeHighlighter(lang, numbers).styles(text, clock));
        };
        job.utf8 = before.toUtf8();
        std::optional<BackgroundRender::Reading> first;
        BackgroundRender::computeAll(job, &first);
        QVERIFY(first);

        // The edit, and where the highlighter would say the untouched styles end: the start of
        // the line before the edit's.
        QString after = before;
        const int at = random.bounded(int(before.size()) + 1);
        after.insert(at, edits.at(random.bounded(qsizetype(edits.size()))));
        const int editLine = int(after.left(at).count(QLatin1Char('\n')));
        int keptUnits = 0;
        for (int line = 0, i = 0; line < editLine - 1 && i < at; ++i)
            if (after.at(i) == QLatin1Char('\n') && ++line == editLine - 1)
                keptUnits = i + 1;
        const StyleBuffer old = whole(before);
        StyleBuffer shown(std::size_t(after.size()), TokenStyle::Plain);
        std::copy(old.begin(), old.begin() + keptUnits, shown.begin());

        job.utf8 = after.toUtf8();
        job.keptUnits = keptUnits;
        job.keptComments = first->comments;
        job.firstUnit = random.bounded(int(after.size()) + 1);
        std::optional<BackgroundRender::Reading> second;
        const std::vector<BackgroundRender::Piece> pieces = BackgroundRender::computeAll(job, &second);
        QVERIFY(second && (second->keptUnits == 0 || second->keptUnits == keptUnits));
        kept += second->keptUnits > 0;
        for (const BackgroundRender::Piece &piece : pieces) {
            // Nothing before what was kept comes again (but a markup piece's last line break,
            // which the next piece styles).
            QVERIFY(piece.start + int(piece.styles.size()) + (lang.markup ? 2 : 0) > second->keptUnits);
            std::copy(piece.styles.begin(), piece.styles.end(), shown.begin() + piece.start);
        }
        QVERIFY2(shown == whole(after), qPrintable(QStringLiteral("%1 => %2").arg(before, after)));
    }
    // Most edits keep something: the test would pass on a render that never keeps.
    QVERIFY(kept > 300);
}

void TestBackgroundRender::editsDuringTheRenderEndInTheColoursOfTheFinalText()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 40; ++round) {
        const Settings settings = colourSettings();
        const LanguageDefinition lang = randomLanguage(random);
        const DocumentLanguageFlags flags;
        MemorySurface surface;
        surface.setText(randomText(random, 200 + random.bounded(400)));
        struct : HighlightHost {
            bool background() const override { return true; }
        } host;
        Highlighter highlighter(surface, settings, lang, flags, &host);
        highlighter.setBackgroundThreshold(0);
        highlighter.setRestartDelay(random.bounded(3));

        QCOMPARE(highlighter.renderDocument().outcome, RenderResult::Outcome::Started);
        const int edits = random.bounded(6);
        for (int e = 0; e < edits; ++e) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, random.bounded(5));
            // Edits after the render are live re-highlighting's business, not the render's.
            if (!highlighter.isRendering())
                break;
            const int at = random.bounded(surface.textLength() + 1);
            surface.setSelStart(at);
            surface.setSelLength(random.bounded(3) == 0 ? random.bounded(20) : 0);
            surface.setSelText(randomText(random, random.bounded(4)));
            // The main window passes every change of the text on.
            highlighter.noteChange();
        }
        QElapsedTimer patience;
        patience.start();
        while (highlighter.isRendering() && patience.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QVERIFY(!highlighter.isRendering());

        // An edit between a CR and its LF leaves lone breaks: the reference keeps them as they are.
        MemorySurface reference;
        reference.setBinaryDocument(true);
        reference.setText(surface.text());
        QCOMPARE(reference.text(), surface.text());
        Highlighter(reference, settings, lang, flags).renderDocument();
        QCOMPARE(colourMap(surface), colourMap(reference));
    }
}

QTEST_MAIN(TestBackgroundRender)
// A render over the document's lent bytes colours as one over a copy; once the loan ends (the
// text changed) the render stops and does not count as finished: its colours would be stale.
void TestBackgroundRender::lentTextGivesTheSameColoursAndItsEndStopsTheRender()
{
    QRandomGenerator random(32);
    const QString text = randomText(random, 3000);
    BackgroundRender::Job job;
    job.language = randomLanguage(random);
    job.pieceBytes = 100;
    job.utf8 = text.toUtf8();
    const std::vector<BackgroundRender::Piece> copied = BackgroundRender::computeAll(job);
    job.utf8 = QByteArray();
    job.loan = std::make_shared<TextLoan>(text.toUtf8());
    const std::vector<BackgroundRender::Piece> lent = BackgroundRender::computeAll(job);
    QCOMPARE(lent.size(), copied.size());
    for (std::size_t i = 0; i < lent.size(); ++i)
        QVERIFY(lent[i].start == copied[i].start && lent[i].styles == copied[i].styles);

    job.loan->end();
    BackgroundRender render(job);
    QTRY_VERIFY(render.workerEnded());
    QVERIFY(!render.take());
    QVERIFY(!render.done());
}

namespace {

// Takes what a render gives until it settles.
std::vector<BackgroundRender::Piece> takeUntilSettled(BackgroundRender &render)
{
    std::vector<BackgroundRender::Piece> pieces;
    QElapsedTimer patience;
    patience.start();
    while (!render.settled() && patience.elapsed() < 20000) {
        if (std::optional<BackgroundRender::Piece> piece = render.takeWaiting(50))
            pieces.push_back(std::move(*piece));
    }
    return pieces;
}

} // namespace

// A render on demand gives the pieces holding what was asked for, each as the whole render gives
// it and none twice, then waits without work until asked for more; cancelled while it waits, it ends.
void TestBackgroundRender::onDemandGivesEachPieceAskedForOnce()
{
    QRandomGenerator random(11);
    for (int round = 0; round < 20; ++round) {
        const QString text = randomText(random, 2000 + random.bounded(2000));
        BackgroundRender::Job job;
        job.language = randomLanguage(random);
        job.pieceBytes = 50 + random.bounded(200);
        job.utf8 = text.toUtf8();
        std::map<int, StyleBuffer> whole;
        for (BackgroundRender::Piece &piece : BackgroundRender::computeAll(job))
            whole[piece.start] = std::move(piece.styles);

        const int length = int(text.size());
        job.onDemand = true;
        job.wantFrom = random.bounded(length);
        job.wantTo = job.wantFrom + random.bounded(300);
        BackgroundRender render(job);
        std::map<int, StyleBuffer> given;
        const auto check = [&](int from, int to) {
            for (BackgroundRender::Piece &piece : takeUntilSettled(render)) {
                QVERIFY(whole.count(piece.start));
                QVERIFY(piece.styles == whole[piece.start]);
                QVERIFY2(!given.count(piece.start), "a piece given twice");
                const int end = piece.start + int(piece.styles.size());
                QVERIFY(end > from - 2 && piece.start < std::max(to, from + 1) + 2);
                given[piece.start] = std::move(piece.styles);
            }
            // Every offset asked for is coloured now.
            for (const auto &[start, styles] : whole) {
                const int end = start + int(styles.size());
                if (end > from && start < std::min(to, length))
                    QVERIFY(given.count(start));
            }
        };
        check(job.wantFrom, job.wantTo);
        if (given.size() < whole.size())
            QVERIFY(!render.workerEnded());
        const int from = random.bounded(length);
        render.want(from, from + 1);
        check(from, from + 1);
        if (round % 2) {
            render.want(0, length);
            check(0, length);
            QTRY_VERIFY(render.workerEnded());
            QVERIFY(render.done());
            QCOMPARE(given.size(), whole.size());
        }
    }
}

// A large document is coloured where the window shows it, where its styles are read and where the
// view moves, each as a render of the whole text colours it; elsewhere it stays plain until then.
void TestBackgroundRender::largeDocumentIsColouredWhereShownAndWhereRead()
{
    QRandomGenerator random(5);
    for (int round = 0; round < 10; ++round) {
        const Settings settings = colourSettings();
        LanguageDefinition lang = randomLanguage(random);
        lang.markup = false;
        lang.keywordListText = QStringLiteral("int return if ");
        lang.functionListText = QStringLiteral("printf ");
        lang.lineComment = QStringLiteral("//");
        lang.buildPatterns();
        QVERIFY(CodeHighlighter::linesStandAlone(lang));
        const DocumentLanguageFlags flags;
        QString text;
        for (int line = 0; line < 3000; ++line)
            text += randomText(random, 1 + random.bounded(6)).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'))
                + QStringLiteral(" int\n");
        text.replace(QLatin1String("/*"), QLatin1String("//"));
        MemorySurface reference;
        reference.setText(text);
        Highlighter(reference, settings, lang, flags).renderDocument();
        const QString colours = colourMap(reference);
        const auto sameAs = [&](const MemorySurface &surface, int from, int to) {
            for (int i = from; i < to; ++i) {
                if (surface.formatAt(i).color != reference.formatAt(i).color)
                    return false;
            }
            return true;
        };

        MemorySurface surface;
        surface.setText(text);
        struct : HighlightHost {
            bool background() const override { return true; }
        } host;
        Highlighter highlighter(surface, settings, lang, flags, &host);
        highlighter.setBackgroundThreshold(0);
        highlighter.setOnDemandThreshold(0);
        highlighter.setPieceBytes(500 + random.bounded(2000));
        QCOMPARE(highlighter.renderDocument().outcome, RenderResult::Outcome::Started);
        QTRY_VERIFY(!highlighter.isRendering());
        QVERIFY(sameAs(surface, 0, surface.lineIndex(surface.lastVisibleLine())));
        QVERIFY2(colourMap(surface) != colours, "the whole document was coloured");

        // Styles read as formats are coloured first.
        const int line = 1000 + random.bounded(1000);
        const int start = surface.lineIndex(line);
        const int length = surface.lineIndex(line + 3) - start;
        surface.formatRuns(start, length);
        QVERIFY(sameAs(surface, start, start + length));

        // The view moves to the end: the end is coloured on the next ticks.
        surface.setFirstVisibleLine(surface.lineCount() - 5);
        highlighter.viewMoved();
        QTRY_VERIFY(sameAs(surface, surface.lineIndex(surface.lineCount() - 5), surface.textLength()));
    }
}

#include "tst_backgroundrender.moc"
