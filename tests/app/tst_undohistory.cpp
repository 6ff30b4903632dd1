#include "MemorySurface.h"
#include "ScintillaSurface.h"
#include "UndoHistory.h"

#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

const CharFormat kRed{0x0000FF, true, false, QStringLiteral("Courier New"), 8};
const CharFormat kGreen{0x008000, false, true, QStringLiteral("Liberation Mono"), 10};

// Feeds the surface's Change events to the history, as the main window does.
struct Fixture : SurfaceEvents {
    std::unique_ptr<EditorSurface> surface;
    std::unique_ptr<UndoHistory> history;

    explicit Fixture(bool widget, const QString &text = {})
    {
        surface = widget ? std::unique_ptr<EditorSurface>(new ScintillaSurface) : std::make_unique<MemorySurface>();
        surface->setEventSink(this);
        surface->setText(text);
        history = std::make_unique<UndoHistory>(*surface);
        history->setFileSize(text.size());
    }
    void surfaceChange() override
    {
        if (history)
            history->noteChange();
    }
};

struct State {
    QString text;
    std::vector<FormatRun> runs;
    int selStart = 0;
    int selLength = 0;

    bool operator==(const State &) const = default;
};

State stateOf(const EditorSurface &s)
{
    return {s.text(), s.formatRuns(0, s.textLength()), s.selStart(), s.selLength()};
}

void colour(EditorSurface &s, int start, int length, const CharFormat &format)
{
    s.applyFormatRuns(start, {{length, format}});
}

} // namespace

class TestUndoHistory : public QObject {
    Q_OBJECT

private slots:
    void undoAfterLoad();
    void randomEditsUndoAndRedo_data();
    void randomEditsUndoAndRedo();
    void keepsNewest200();
    void sizeLimit_data();
    void sizeLimit();
    void changedAndRestoringFlags();
    void sharesUnchangedPieces();
    void loadedTextStaysInWidget();
    void undoRewritesOnlyTheChange();
};

void TestUndoHistory::randomEditsUndoAndRedo_data()
{
    QTest::addColumn<bool>("widget");
    QTest::newRow("memory surface") << false;
    QTest::newRow("editor widget") << true;
}

void TestUndoHistory::undoAfterLoad()
{
    const QString loaded = QStringLiteral("int main()\r\n{\r\n}\r\n");
    Fixture f(true, loaded);
    colour(*f.surface, 0, 3, kRed);
    QVERIFY(!f.history->canUndo());
    QVERIFY(f.history->undo());
    QCOMPARE(f.surface->text(), loaded);
    // Record 0 is the plain text, in the surface's default format.
    QCOMPARE(f.surface->formatRuns(0, f.surface->textLength()).size(), std::size_t(1));
    QCOMPARE(f.history->position(), 0);
}

// Text, formats and selection come back exactly, on both surfaces.
void TestUndoHistory::randomEditsUndoAndRedo()
{
    QFETCH(bool, widget);
    QRandomGenerator rng(widget ? 11 : 12);
    const QStringList pieces = {"a", "word ", "\r\n", QString(QChar(0xE9)), "{}", "x"};
    QString start;
    while (start.size() < 20000)
        start += QStringLiteral("line of text %1\r\n").arg(start.size());
    Fixture f(widget, start);
    colour(*f.surface, 0, 9000, kGreen);
    EditorSurface &s = *f.surface;
    std::vector<State> expected;
    for (int step = 0; step < 60; ++step) {
        expected.push_back(stateOf(s));
        f.history->AddHistory();
        const int length = s.textLength();
        const int at = int(rng.bounded(length + 1));
        s.setSelStart(at);
        switch (rng.bounded(5)) {
        case 0:
            s.setSelText(pieces[int(rng.bounded(int(pieces.size())))]);
            break;
        case 1:
            s.setSelLength(int(rng.bounded(200)));
            s.setSelText(QString());
            break;
        case 2:
            colour(s, at, std::min(length - at, int(rng.bounded(6000))), rng.bounded(2) ? kRed : CharFormat{});
            break;
        case 3:
            // A whole-text replacement the widget does not report range by range.
            s.setText(s.text().replace(QStringLiteral("line"), QStringLiteral("LINE")));
            colour(s, 0, std::min(s.textLength(), 4000), kRed);
            break;
        default:
            s.setSelLength(int(rng.bounded(30)));
            s.setSelColor(0x123456);
            break;
        }
        s.setSelStart(int(rng.bounded(s.textLength() + 1)));
    }
    expected.push_back(stateOf(s));
    for (int i = int(expected.size()) - 2; i >= 0; --i) {
        QVERIFY(f.history->undo());
        QVERIFY2(stateOf(s) == expected[std::size_t(i)], qPrintable(QStringLiteral("undo to %1").arg(i)));
    }
    for (std::size_t i = 1; i < expected.size(); ++i) {
        QVERIFY(f.history->redo());
        QVERIFY2(stateOf(s) == expected[i], qPrintable(QStringLiteral("redo to %1").arg(i)));
    }
    QVERIFY(!f.history->redo());
}

void TestUndoHistory::keepsNewest200()
{
    Fixture f(false);
    for (int k = 1; k <= 250; ++k) {
        f.surface->setText(QString::number(k));
        QVERIFY(f.history->AddHistory().taken);
    }
    QCOMPARE(f.history->recordCount(), 199);
    QCOMPARE(f.history->record(0)->text, QStringLiteral("52"));
    // The first Undo keeps the current text too, which pushes out one more of the oldest.
    f.surface->setText(QStringLiteral("now"));
    int undos = 0;
    while (f.history->position() > 0 && f.history->undo())
        ++undos;
    QCOMPARE(undos, 198);
    QCOMPARE(f.surface->text(), QStringLiteral("53"));
}

void TestUndoHistory::sizeLimit_data()
{
    QTest::addColumn<bool>("widget");
    QTest::addColumn<int>("size");
    QTest::newRow("memory") << false << int(UndoHistory::SizeLimit) + 1;
    // Large enough that the widget's copy of the loaded text is made on another thread while the
    // edit below waits for it.
    QTest::newRow("widget") << true << 3 * 1024 * 1024;
}

void TestUndoHistory::sizeLimit()
{
    QFETCH(bool, widget);
    QFETCH(int, size);
    const QString line = QString(98, QLatin1Char('a')) + QStringLiteral("\r\n");
    const QString big = line.repeated(size / 100 + 1);
    Fixture f(widget, big);
    QVERIFY(!f.history->AddHistory().taken);
    f.surface->setSelStart(3);
    f.surface->setSelText(QStringLiteral("edit"));
    QVERIFY(f.history->undo());
    QCOMPARE(f.surface->text(), big);
    // The undone edit is not lost: Redo brings it back.
    QVERIFY(f.history->redo());
    QCOMPARE(f.surface->text().mid(3, 4), QStringLiteral("edit"));

    f.history->setFileSize(UndoHistory::SizeLimit);
    QVERIFY(f.history->AddHistory().taken);
}

void TestUndoHistory::changedAndRestoringFlags()
{
    Fixture f(false, QStringLiteral("abc"));
    QCOMPARE(f.history->AddHistory().clearSavedFlag, false);
    f.surface->setSelText(QStringLiteral("1"));
    QCOMPARE(f.history->AddHistory().clearSavedFlag, true);
    f.surface->setSelText(QStringLiteral("2"));

    QVERIFY(f.history->undo());
    // The restore's own Change neither counts as an edit nor lingers for the next one.
    QVERIFY(!f.history->changedSinceSnapshot());
    QVERIFY(!f.history->isRestoring());
    QCOMPARE(f.surface->text(), QStringLiteral("1abc"));

    f.surface->setSelText(QStringLiteral("typed"));
    QVERIFY(f.history->changedSinceSnapshot());
    // Redo would throw the typing away.
    QVERIFY(!f.history->redo());
    QVERIFY(f.history->undo());
    QVERIFY(f.history->redo());
    QCOMPARE(f.surface->text(), QStringLiteral("1typedabc"));
    // The state the user had gone back to before typing is still one Undo away.
    QVERIFY(f.history->undo());
    QCOMPARE(f.surface->text(), QStringLiteral("1abc"));

    // A load resets the history: nothing of the old document's flags survives it.
    f.surface->setSelText(QStringLiteral("more"));
    f.history->reset();
    QVERIFY(!f.history->changedSinceSnapshot());
    QVERIFY(!f.history->isRestoring());
}

void TestUndoHistory::sharesUnchangedPieces()
{
    QString text;
    while (text.size() < 500000)
        text += QStringLiteral("static int add(int a, int b) { return a + b; }\r\n");
    Fixture f(true, text);
    for (int i = 0; i < text.size(); i += 10)
        colour(*f.surface, i, 4, i % 20 ? kRed : kGreen);
    f.history->AddHistory();
    const qsizetype first = f.history->bytesHeld();
    QRandomGenerator rng(3);
    for (int i = 0; i < 200; ++i) {
        f.surface->setSelStart(int(rng.bounded(f.surface->textLength())));
        f.surface->setSelText(QStringLiteral("z"));
        f.history->AddHistory();
    }
    // The whole document is about 1 MB with its formats; 200 copies would be 200 MB.
    QVERIFY2(first < 2 * 1024 * 1024, qPrintable(QString::number(first)));
    QVERIFY2(f.history->bytesHeld() - first < 4 * 1024 * 1024, qPrintable(QString::number(f.history->bytesHeld() - first)));
}

// A document too large for snapshots keeps no copy of its loaded text: undo reads what no edit
// touched from the widget, and the blocks edits reached from what was copied just before them.
void TestUndoHistory::loadedTextStaysInWidget()
{
    QString text;
    for (int i = 0; text.size() < 1300000; ++i)
        text += i % 7 ? QStringLiteral("line %1 of the loaded text\r\n").arg(i) : QStringLiteral("caf\u00e9 \u20ac %1\r\n").arg(i);
    Fixture f(true, text);
    f.history->setFileSize(text.size());
    f.history->reset();
    QVERIFY(f.history->keepsLoadedTextInWidget());
    QVERIFY2(f.history->bytesHeld() < 64 * 1024, qPrintable(QString::number(f.history->bytesHeld())));

    // Keys far apart copy a block each, not the document.
    for (const int at : {10, 400000, 900000}) {
        f.surface->setSelStart(at);
        f.surface->setSelText(QStringLiteral("k"));
    }
    QVERIFY2(f.history->bytesHeld() < 4 * 64 * 1024, qPrintable(QString::number(f.history->bytesHeld())));

    // Insertions, removals across blocks, and a command that replaces the whole text.
    QRandomGenerator rng(32);
    for (int i = 0; i < 40; ++i) {
        const int length = f.surface->textLength();
        f.surface->setSelStart(int(rng.bounded(length)));
        f.surface->setSelLength(i % 3 ? 0 : int(rng.bounded(std::min(200000, length / 4))));
        f.surface->setSelText(i % 2 ? QStringLiteral("\u00fc%1\r\n").arg(i) : QString());
    }
    f.surface->setText(f.surface->text().toUpper());
    const QString edited = f.surface->text();
    QVERIFY(f.history->undo());
    QCOMPARE(f.surface->text(), text);
    QVERIFY(f.history->redo());
    QCOMPARE(f.surface->text(), edited);
    QVERIFY(f.history->undo());
    QCOMPARE(f.surface->text(), text);
    // Back on the loaded text, the widget holds all of it again: no copy is kept.
    f.surface->setSelStart(5);
    f.surface->setSelText(QStringLiteral("again"));
    QVERIFY(f.history->undo());
    QCOMPARE(f.surface->text(), text);
}

// An undo or redo rewrites only what the edit changed: blocks folded elsewhere stay folded and the
// text comes back byte for byte, a changed character outside ASCII included.
void TestUndoHistory::undoRewritesOnlyTheChange()
{
    const QString source = QStringLiteral("f {\r\n  a\r\n}\r\nmid \u00e9\r\ng {\r\n  b\r\n}\r\n");
    Fixture f(true, source);
    auto &surface = static_cast<ScintillaSurface &>(*f.surface);
    FoldSurface &folds = *surface.folding();
    using namespace FoldLevel;
    folds.setLineFolds(0, {{Base | Header, 0}, {Base + 1, 0}, {Base + 1, 0}, {Base, 0},
                           {Base | Header, 0}, {Base + 1, 0}, {Base + 1, 0}, {Base, 0}});
    QVERIFY(folds.setExpanded(0, false));
    QVERIFY(folds.setExpanded(4, false));
    const QByteArray before = surface.textUtf8();
    const QByteArray original(before.constData(), before.size());
    const auto foldedBoth = [&] {
        return !folds.isExpanded(0) && !folds.isExpanded(4) && !folds.isLineShown(1) && !folds.isLineShown(5);
    };

    f.history->AddHistory();
    surface.setSelStart(source.indexOf(QChar(0xe9)));
    surface.setSelLength(1);
    surface.setSelText(QStringLiteral("\u00e8x"));
    const QString edited = surface.text();
    QVERIFY(f.history->undo());
    QCOMPARE(QByteArray(surface.textUtf8()), original);
    QCOMPARE(surface.text(), source);
    QCOMPARE(surface.textLength(), source.size());
    QVERIFY(foldedBoth());
    QVERIFY(f.history->redo());
    QCOMPARE(surface.text(), edited);
    QVERIFY(foldedBoth());
}

QTEST_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
