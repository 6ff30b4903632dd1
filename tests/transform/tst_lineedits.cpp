#include "LineEdits.h"

#include <QtTest>

// Texts are written with LF for "\r\n"; "[" and "]" mark the selection, "|" a caret.
namespace {

struct Marked {
    QString text;
    int start = 0;
    int length = 0;
};

Marked parse(QString marked)
{
    marked.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    Marked m;
    const qsizetype caret = marked.indexOf(QLatin1Char('|'));
    if (caret >= 0) {
        m.start = int(caret);
        marked.remove(caret, 1);
    } else {
        m.start = int(marked.indexOf(QLatin1Char('[')));
        marked.remove(m.start, 1);
        const qsizetype end = marked.indexOf(QLatin1Char(']'));
        m.length = int(end) - m.start;
        marked.remove(end, 1);
    }
    m.text = marked;
    return m;
}

QString applied(const Marked &m, const std::optional<LineEdits::Edit> &edit)
{
    if (!edit)
        return QStringLiteral("(nothing)");
    QString text = m.text;
    text.replace(edit->start, edit->length, edit->replacement);
    if (edit->selLength > 0) {
        text.insert(edit->selStart + edit->selLength, QLatin1Char(']'));
        text.insert(edit->selStart, QLatin1Char('['));
    } else {
        text.insert(edit->selStart, QLatin1Char('|'));
    }
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

} // namespace

class tst_LineEdits : public QObject {
    Q_OBJECT

private slots:
    void edits_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const auto row = [](const char *name, const char *command, const char *before, const char *after) {
            QTest::newRow(name) << QString::fromLatin1(command) << QString::fromUtf8(before) << QString::fromUtf8(after);
        };
        row("duplicate caret line", "dup", "a\nb|c\nd", "a\nbc\nb|c\nd");
        row("duplicate last line without break", "dup", "a\nb|", "a\nb\nb|");
        row("duplicate selection inside a line", "dup", "x[ab]y", "xab[ab]y");
        row("duplicate selected lines", "dup", "[a\nb\n]c", "a\nb\n[a\nb\n]c");
        row("move up", "up", "a\nb|b\nc", "b|b\na\nc");
        row("move up at the top", "up", "a|\nb", "(nothing)");
        row("move down onto last line without break", "down", "a|a\nb", "b\na|a");
        row("move down at the bottom", "down", "a\nb|", "(nothing)");
        row("move selected lines down", "down", "[a\nb\n]c\nd", "c\n[a\nb\n]d");
        row("move keeps a lone CR where it stood", "up", "a\rb|", "b|\ra");
        row("join caret line with next", "join", "a |\n   b\nc", "a |b\nc");
        row("join with blank line", "join", "a|\n\nb", "a|\nb");
        row("join selected lines", "join", "[x\n  y\nz]\nw", "[x y z]\nw");
        row("join last line", "join", "a\nb|", "(nothing)");
        row("comment at common indent", "slash", "[  a\n\n    b\n]c", "[  // a\n\n  //   b\n]c");
        row("uncomment", "slash", "  // a|\n", "  a|\n");
        row("uncomment without blank", "slash", "//a|", "a|");
        row("mixed lines get commented", "slash", "[// a\nb]", "[// // a\n// b]");
        row("caret before indent stays", "slash", "|  a", "|  // a");
        row("blank lines only", "slash", "|  \n", "(nothing)");
    }
    void edits()
    {
        QFETCH(QString, command);
        QFETCH(QString, before);
        QFETCH(QString, after);
        const Marked m = parse(before);
        std::optional<LineEdits::Edit> edit;
        if (command == QLatin1String("dup"))
            edit = LineEdits::duplicate(m.text, m.start, m.length);
        else if (command == QLatin1String("up") || command == QLatin1String("down"))
            edit = LineEdits::moveLines(m.text, m.start, m.length, command == QLatin1String("up"));
        else if (command == QLatin1String("join"))
            edit = LineEdits::joinLines(m.text, m.start, m.length);
        else
            edit = LineEdits::toggleComment(m.text, m.start, m.length, {QStringLiteral("//"), {}, {}});
        QCOMPARE(applied(m, edit), after);
    }

    // A language without a line marker wraps each line in its block pair, and unwraps it again.
    void blockCommentRoundTrip()
    {
        const CommentMarkers html{{}, QStringLiteral("<!--"), QStringLiteral("-->")};
        const Marked m = parse(QStringLiteral("[<p>a</p>\n<b>]"));
        const auto on = LineEdits::toggleComment(m.text, m.start, m.length, html);
        QCOMPARE(applied(m, on), QStringLiteral("[<!-- <p>a</p> -->\n<!-- <b> -->]"));
        QString commented = m.text;
        commented.replace(on->start, on->length, on->replacement);
        const auto off = LineEdits::toggleComment(commented, on->selStart, on->selLength, html);
        commented.replace(off->start, off->length, off->replacement);
        QCOMPARE(commented, m.text);
        QVERIFY(!LineEdits::toggleComment(m.text, 0, 0, {}));
    }
};

QTEST_APPLESS_MAIN(tst_LineEdits)
#include "tst_lineedits.moc"
