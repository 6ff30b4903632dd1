#include "AsciiTable.h"
#include "BytePane.h"
#include "CommandTable.h"
#include "HexView.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "frmASCIITable.h"
#include "frmHEX.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using HexView::Range;
using HexView::StorageMode;

Q_DECLARE_METATYPE(StorageMode)
Q_DECLARE_METATYPE(HexView::Range)

class TstHexView : public QObject {
    Q_OBJECT
private slots:
    void bytesOfSelection_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<StorageMode>("mode");
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<QByteArray>("hex");
        const StorageMode dos{TextEncoding::SingleByte, false, false};
        const StorageMode lf{TextEncoding::SingleByte, false, true};
        const StorageMode utf16{TextEncoding::Utf16, false, false};
        const StorageMode utf8{TextEncoding::Utf8, false, false};
        const StorageMode utf8Bom{TextEncoding::Utf8, true, true};
        QTest::newRow("AB in a DOS document") << "AB" << dos << false << QByteArray("41 42 ");
        QTest::newRow("CR LF kept in DOS mode") << "A\r\n" << dos << false << QByteArray("41 0D 0A ");
        QTest::newRow("CR LF is LF in UNIX mode") << "\r\n" << lf << false << QByteArray("0A ");
        QTest::newRow("lone CR kept in UNIX mode") << "\r" << lf << false << QByteArray("0D ");
        QTest::newRow("Unicode at offset 0 has the mark") << "A" << utf16 << true << QByteArray("FF FE 41 00 ");
        QTest::newRow("Unicode further on has none") << QString(QChar(0x20AC)) << utf16 << false << QByteArray("AC 20 ");
        QTest::newRow("UTF-8 bytes of a character") << QString(QChar(0xE9)) << utf8 << true << QByteArray("C3 A9 ");
        QTest::newRow("UTF-8 mark at offset 0") << "A\r\n" << utf8Bom << true << QByteArray("EF BB BF 41 0A ");
        QTest::newRow("Latin-1 byte") << QString(QChar(0xE9)) << dos << false << QByteArray("E9 ");
        QTest::newRow("no single byte: substitute") << QString(QChar(0x20AC)) << dos << false << QByteArray("3F ");
        QTest::newRow("empty selection at start of a Unicode document") << "" << utf16 << true << QByteArray("FF FE ");
    }
    void bytesOfSelection()
    {
        QFETCH(QString, selected);
        QFETCH(StorageMode, mode);
        QFETCH(bool, atStart);
        QFETCH(QByteArray, hex);
        QCOMPARE(HexView::HexString(HexView::ViewBytes(selected, mode, atStart)), hex);
    }

    void selectionMapping_data()
    {
        QTest::addColumn<bool>("fromHex");
        QTest::addColumn<Range>("from");
        QTest::addColumn<Range>("to");
        // Four bytes: "41 42 43 44 ".
        QTest::newRow("second character marks its two digits") << false << Range{1, 1} << Range{3, 2};
        QTest::newRow("caret marks the byte after it") << false << Range{0, 0} << Range{0, 2};
        QTest::newRow("two characters, no trailing space") << false << Range{0, 2} << Range{0, 5};
        QTest::newRow("caret at the end marks nothing") << false << Range{4, 0} << Range{12, 0};
        QTest::newRow("past the end is clamped") << false << Range{2, 50} << Range{6, 5};
        QTest::newRow("digits of the second byte") << true << Range{3, 2} << Range{1, 1};
        QTest::newRow("two bytes with the trailing space") << true << Range{0, 6} << Range{0, 2};
        QTest::newRow("from the separator into the next byte") << true << Range{2, 2} << Range{1, 1};
        QTest::newRow("across a byte boundary") << true << Range{1, 3} << Range{0, 2};
        QTest::newRow("caret inside a byte") << true << Range{4, 0} << Range{1, 1};
        QTest::newRow("caret at the end") << true << Range{12, 0} << Range{4, 0};
    }
    void selectionMapping()
    {
        QFETCH(bool, fromHex);
        QFETCH(Range, from);
        QFETCH(Range, to);
        QCOMPARE(fromHex ? HexView::ByteSelectionFor(from, 4) : HexView::HexSelectionFor(from, 4), to);
    }

    // The panes follow each other when a key is released in one of them.
    void panesFollowEachOther()
    {
        frmHEX window(QFont(QStringLiteral("Courier New")), nullptr);
        window.loadText(QStringLiteral("AB\r\n"), {}, true);
        QCOMPARE(window.txtASCII->text(), QStringLiteral("AB\r\n"));
        QCOMPARE(window.txtHEX->text(), QStringLiteral("41 42 0D 0A "));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        window.txtASCII->setFocus();
        QTest::keyClick(window.txtASCII, Qt::Key_Right);
        QTest::keyClick(window.txtASCII, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(window.txtHEX->selStart(), qsizetype(3));
        QCOMPARE(window.txtHEX->selLength(), qsizetype(2));

        window.txtHEX->setFocus();
        QTest::keyClick(window.txtHEX, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(window.txtHEX, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(window.txtHEX, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(window.txtHEX, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(window.txtHEX, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(window.txtASCII->selStart(), qsizetype(3));
        QCOMPARE(window.txtASCII->selLength(), qsizetype(1));
        QCOMPARE(window.txtASCII->selText(), QStringLiteral("\n"));
    }

    void asciiRows_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("row");
        QTest::newRow("A has no name") << 65 << "A\t065\t41\t";
        QTest::newRow("tab row starts with the tab") << 9 << "\t\t009\t09\tHT";
        QTest::newRow("first control character") << 1 << "\x01\t001\t01\tSOH";
        QTest::newRow("space") << 32 << " \t032\t20\tSp";
        QTest::newRow("DEL") << 127 << "\x7f\t127\t7F\tDEL";
        QTest::newRow("last code") << 255 << QString(QChar(0xFF)) + "\t255\tFF\t";
    }
    void asciiRows()
    {
        QFETCH(int, code);
        QFETCH(QString, row);
        const QStringList rows = AsciiTable::Rows();
        QCOMPARE(rows.size(), 255);
        QCOMPARE(rows[code - 1], row);
    }

    // The table inserts into the real main window's document by button, Enter and double click.
    void asciiTableInserts()
    {
        QTemporaryDir dir;
        TestSupport::PrompterGuard prompter;
        frmMain window(dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.surface().setText(QStringLiteral("xy"));
        window.surface().setSelStart(1);
        CommandTable::findCommand(&window, "mnuFormatASCIITable")->trigger();
        auto *table = window.findChild<frmASCIITable *>(QStringLiteral("frmASCIITable"));
        QVERIFY(table);
        QVERIFY(table->isVisible() && !table->isModal());

        table->lstTable->setCurrentRow(64);
        table->cmdInsertChar->click();
        QCOMPARE(window.surface().text(), QStringLiteral("xAy"));
        QVERIFY(!window.document().isDocumentSaved);

        table->lstTable->setCurrentRow(8);
        QTest::keyClick(table->lstTable, Qt::Key_Return);
        QCOMPARE(window.surface().text(), QStringLiteral("xA\ty"));
        QVERIFY(table->isVisible());

        // Opening it again raises the one window.
        CommandTable::findCommand(&window, "mnuFormatASCIITable")->trigger();
        QCOMPARE(window.findChildren<frmASCIITable *>().size(), 1);
        QVERIFY(prompter->asked.isEmpty());
    }

    // Ctrl+H on the real window shows the selection as the document would save it.
    void hexCommandShowsSelection()
    {
        QTemporaryDir dir;
        TestSupport::PrompterGuard prompter;
        frmMain window(dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.surface().setText(QStringLiteral("AB\r\nC"));
        window.surface().setSelStart(0);
        window.surface().setSelLength(4);
        QString shown;
        QString title;
        QTimer::singleShot(0, &window, [&] {
            if (auto *hex = qobject_cast<frmHEX *>(QApplication::activeModalWidget())) {
                shown = hex->txtHEX->text();
                title = hex->windowTitle();
                hex->cmdClose->click();
            }
        });
        CommandTable::findCommand(&window, "mnuToolsHex")->trigger();
        QCOMPARE(title, QStringLiteral("HEX String"));
        QCOMPARE(shown, QStringLiteral("41 42 0A "));
    }
};

QTEST_MAIN(TstHexView)
#include "tst_hexview.moc"
