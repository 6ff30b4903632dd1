#include "UnitIndex.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// Brute-force counts by lead bytes, the way the index defines them.
UnitIndex::Spot countedTo(const QByteArray &text, qsizetype byte)
{
    UnitIndex::Spot spot;
    for (qsizetype i = 0; i < byte; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80)
            continue;
        ++spot.chars;
        spot.units += c >= 0xF0 && c < 0xF8 ? 2 : 1;
    }
    spot.byte = byte;
    return spot;
}

// The lead byte of the character that holds a unit: the first whose units pass it.
UnitIndex::Spot holdingTo(const QByteArray &text, qsizetype unit)
{
    UnitIndex::Spot spot;
    for (; spot.byte < text.size(); ++spot.byte) {
        const auto c = static_cast<unsigned char>(text[spot.byte]);
        const int units = (c & 0xC0) == 0x80 ? 0 : c >= 0xF0 && c < 0xF8 ? 2 : 1;
        if (units > 0 && spot.units + units > unit)
            break;
        spot.units += units;
        spot.chars += units > 0;
    }
    return spot;
}

QByteArray randomUtf8(QRandomGenerator &rng, int characters)
{
    static const char *const pieces[] = {"a", "b", " ", "\r\n", "\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    QByteArray out;
    for (int i = 0; i < characters; ++i)
        out += pieces[rng.bounded(8)];
    return out;
}

} // namespace

class TestUnitIndex : public QObject {
    Q_OBJECT
private slots:
    void buildsTheSameFromAnyPieces();
    void followsRandomEdits();
};

void TestUnitIndex::buildsTheSameFromAnyPieces()
{
    QRandomGenerator rng(7);
    const QByteArray text = randomUtf8(rng, 9000);
    const UnitIndex whole = UnitIndex::of(text.constData(), text.size());
    QCOMPARE(whole.end(), countedTo(text, text.size()));
    // Pieces that split characters and blocks anywhere give the same index.
    UnitIndex::Builder builder;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype n = std::min<qsizetype>(text.size() - at, 1 + rng.bounded(5000));
        builder.add(text.constData() + at, n);
        at += n;
    }
    const UnitIndex pieces = builder.finish();
    const UnitIndex::Reader read = [&text](qsizetype from, qsizetype) { return text.constData() + from; };
    for (qsizetype byte = 0; byte <= text.size(); byte += 1 + rng.bounded(97)) {
        QCOMPARE(whole.at(byte, read), countedTo(text, byte));
        QCOMPARE(pieces.at(byte, read), whole.at(byte, read));
    }
    const UnitIndex empty = UnitIndex::of("", 0);
    QCOMPARE(empty.end(), UnitIndex::Spot{});
    QCOMPARE(empty.holding(3, read), UnitIndex::Spot{});
}

void TestUnitIndex::followsRandomEdits()
{
    QRandomGenerator rng(20261208);
    QByteArray text = randomUtf8(rng, 6000);
    UnitIndex index = UnitIndex::of(text.constData(), text.size());
    const UnitIndex::Reader read = [&text](qsizetype from, qsizetype length) {
        Q_ASSERT(from >= 0 && from + length <= text.size());
        return text.constData() + from;
    };
    for (int step = 0; step < 300; ++step) {
        const qsizetype at = rng.bounded(int(text.size()) + 1);
        const int kind = int(rng.bounded(4));
        if (kind == 0 || kind == 1) {
            // Typing, or now and then a paste of several blocks.
            const QByteArray insert = randomUtf8(rng, kind == 0 ? 1 + int(rng.bounded(3)) : 3000);
            text.insert(at, insert);
            index.inserted(at, insert.constData(), insert.size(), read);
        } else {
            const qsizetype length = std::min<qsizetype>(text.size() - at, kind == 2 ? 3 : rng.bounded(9000));
            index.deleting(at, length, read);
            text.remove(at, length);
            index.deleted();
        }
        const QString context = QStringLiteral("step %1").arg(step);
        QVERIFY2(index.end() == countedTo(text, text.size()), qPrintable(context));
        // Questions in order and out of order, each answered as a count from the start would.
        for (int probe = 0; probe < 20; ++probe) {
            const qsizetype byte = rng.bounded(int(text.size()) + 1);
            QVERIFY2(index.at(byte, read) == countedTo(text, byte), qPrintable(context));
            // Any unit, also the second of a pair and one past the end.
            const qsizetype unit = rng.bounded(int(index.units()) + 2);
            QVERIFY2(index.holding(unit, read) == holdingTo(text, unit), qPrintable(context));
        }
    }
}

QTEST_GUILESS_MAIN(TestUnitIndex)
#include "tst_unitindex.moc"
