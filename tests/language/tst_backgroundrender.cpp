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

#include "tst_backgroundrender.moc"
