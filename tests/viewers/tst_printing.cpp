#include "MemorySurface.h"
#include "PrintFields.h"
#include "PrintSession.h"
#include "PrinterDevice.h"
#include "Settings.h"
#include "TestSupport.h"
#include "frmPrintDlg.h"
#include "frmPrinters.h"
#include "modPrint.h"

#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A printer that records what is printed where: every character 100 twips wide, lines 200 high.
class RecordingPrinter : public PrinterDevice {
public:
    struct Line {
        int document;
        int page;
        double x;
        double y;
        QString text;
    };

    RecordingPrinter(double width, double height) : m_width(width), m_height(height) {}

    double pageWidth() const override { return m_width; }
    double pageHeight() const override { return m_height; }
    void setFont(const QFont &font) override { fontFamily = font.family(); }
    double textWidth(const QString &text) const override { return 100.0 * double(text.size()); }
    double textHeight(const QString &) const override { return 200; }
    double currentY() const override { return m_y; }
    void setCurrentY(double y) override { m_y = y; }
    void setCurrentX(double x) override { m_x = x; }
    void printLine(const QString &text) override
    {
        lines.push_back({documents, page, m_x, m_y, text});
        m_y += 200;
    }
    void newPage() override
    {
        ++page;
        m_x = m_y = 0;
    }
    QString endDocument() override
    {
        ++documents;
        page = 0;
        m_x = m_y = 0;
        return {};
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Line &line : lines)
            out << line.text;
        return out;
    }

    std::vector<Line> lines;
    int documents = 0;
    int page = 0;
    QString fontFamily;

private:
    double m_width;
    double m_height;
    double m_x = 0;
    double m_y = 0;
};

modPrint::PrintOutcome print(RecordingPrinter &printer, const QString &text, double left = 0, double right = 0,
                             double top = 0, double bottom = 0)
{
    return modPrint::PrintPlainText(text, QFont(QStringLiteral("Courier New")), printer, left, right, top, bottom);
}

} // namespace

class TstPrinting : public QObject {
    Q_OBJECT
private slots:
    void wrapping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("width");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("a and CR LF: two lines") << "a\r\n" << 1000.0 << QStringList{"a", ""};
        QTest::newRow("CR LF alone: two empty lines") << "\r\n" << 1000.0 << QStringList{"", ""};
        QTest::newRow("lone CR and LF are characters") << "a\rb\nc" << 1000.0 << QStringList{"a\rb\nc"};
        QTest::newRow("break after the last word that fits") << "aa bb cc" << 500.0 << QStringList{"aa bb ", "cc"};
        QTest::newRow("leading spaces of the rest dropped") << "aa   bb" << 300.0 << QStringList{"aa  ", "bb"};
        QTest::newRow("a word wider than the line is cut") << "abcdefghij" << 400.0 << QStringList{"abcd", "efgh", "ij"};
        QTest::newRow("tab then a long word") << "\tabcdefgh" << 300.0 << QStringList{"\t", "abc", "def", "gh"};
        QTest::newRow("breaks at tabs too") << "ab\tcd ef" << 500.0 << QStringList{"ab\tcd ", "ef"};
        QTest::newRow("narrower than one character") << "abc" << 50.0 << QStringList{"a", "b", "c"};
        QTest::newRow("surrogate pair kept whole")
            << QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80") << 150.0
            << QStringList{QString::fromUtf8("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80")};
    }
    void wrapping()
    {
        QFETCH(QString, text);
        QFETCH(double, width);
        QFETCH(QStringList, lines);
        RecordingPrinter printer(width + 300, 100000);
        QCOMPARE(print(printer, text, 100, 200).result, modPrint::PrintResult::Printed);
        QCOMPARE(printer.texts(), lines);
        QCOMPARE(printer.documents, 1);
        for (const auto &line : printer.lines)
            QCOMPARE(line.x, 100.0);
    }

    // Whatever the text and width, every character but the dropped line-start spaces is printed
    // once, in order, and no line is wider than the page (its break character aside) unless it is
    // a single character.
    void neverLosesOrRepeats()
    {
        QRandomGenerator random(17);
        const QString pieces[] = {" ", "  ", "\t", "\r\n", "a", "bb", "ccccccccccccccc", "d e", "\r", "\n"};
        for (int round = 0; round < 300; ++round) {
            QString text;
            const int count = random.bounded(1, 40);
            for (int i = 0; i < count; ++i)
                text += pieces[random.bounded(int(std::size(pieces)))];
            const double width = 100.0 * random.bounded(1, 12);
            RecordingPrinter printer(width, 1000000);
            print(printer, text);
            QString printed;
            for (const auto &line : printer.lines) {
                QString measured = line.text;
                if (measured.endsWith(QLatin1Char(' ')) || measured.endsWith(QLatin1Char('\t')))
                    measured.chop(1);
                QVERIFY2(line.text.size() == 1 || printer.textWidth(measured) <= width, qPrintable(text));
                printed += line.text;
            }
            QString expected = text;
            expected.remove(QStringLiteral("\r\n"));
            expected.remove(QLatin1Char(' '));
            printed.remove(QLatin1Char(' '));
            QVERIFY2(printed == expected, qPrintable(QStringLiteral("text %1, width %2").arg(text).arg(width)));
        }
    }

    void pages()
    {
        // Room for four lines between the margins: 100 + 4 * 200 = 900.
        RecordingPrinter printer(1000, 1000);
        print(printer, QStringLiteral("1\r\n2\r\n3\r\n4\r\n5"), 0, 0, 100, 100);
        QCOMPARE(printer.lines.size(), size_t(5));
        QCOMPARE(printer.lines[0].y, 100.0);
        QCOMPARE(printer.lines[3].page, 0);
        QCOMPARE(printer.lines[4].page, 1);
        QCOMPARE(printer.lines[4].y, 100.0);

        // A line taller than the room goes on the page it starts, not onto a run of empty pages.
        RecordingPrinter tiny(1000, 150);
        print(tiny, QStringLiteral("a\r\nb"), 0, 0, 0, 0);
        QCOMPARE(tiny.lines.size(), size_t(2));
        QCOMPARE(tiny.lines[0].page, 0);
        QCOMPARE(tiny.lines[1].page, 1);
    }

    void nothingToPrint_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        QTest::newRow("empty document") << "" << 0.0 << 0.0;
        QTest::newRow("side margins fill the page") << "a" << 500.0 << 0.0;
        QTest::newRow("top and bottom margins fill the page") << "a" << 0.0 << 500.0;
    }
    void nothingToPrint()
    {
        QFETCH(QString, text);
        QFETCH(double, left);
        QFETCH(double, top);
        RecordingPrinter printer(1000, 1000);
        QCOMPARE(print(printer, text, left, left, top, top).result, modPrint::PrintResult::NothingPrinted);
        QVERIFY(printer.lines.empty());
        QCOMPARE(printer.documents, 0);
    }

    void copiesAreDocuments()
    {
        MemorySurface surface;
        surface.setText(QStringLiteral("one page"));
        RecordingPrinter printer(10000, 10000);
        const auto outcomes = modPrint::PrintCopies(surface, printer, {}, 3);
        QCOMPARE(outcomes.size(), size_t(3));
        QCOMPARE(printer.documents, 3);
        QCOMPARE(printer.fontFamily, surface.defaultFormat().fontName);
    }

    void fieldRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("copies");
        QTest::addColumn<QString>("margin");
        QTest::addColumn<int>("marginValue");
        QTest::newRow("letters") << "abc" << "1" << "1" << 1;
        QTest::newRow("empty") << "" << "1" << "1" << 1;
        QTest::newRow("zero") << "0" << "1" << "0" << 0;
        QTest::newRow("too many copies") << "150" << "99" << "150" << 150;
        QTest::newRow("half rounds to even") << "12.5" << "12.5" << "12.5" << 12;
        QTest::newRow("above half rounds up") << "12.6" << "12.6" << "12.6" << 13;
        QTest::newRow("negative margin accepted") << "-100" << "1" << "-100" << -100;
        QTest::newRow("beyond a margin's range") << "1e12" << "99" << "1e12" << std::numeric_limits<qint32>::max();
    }
    void fieldRules()
    {
        QFETCH(QString, typed);
        QFETCH(QString, copies);
        QFETCH(QString, margin);
        QFETCH(int, marginValue);
        QCOMPARE(PrintFields::copiesText(typed), copies);
        QCOMPARE(PrintFields::marginText(typed), margin);
        QCOMPARE(PrintFields::marginValue(PrintFields::marginText(typed)), marginValue);
    }

    void pageSetupDialog()
    {
        Settings settings;
        frmPrintDlg dialog(settings, nullptr);
        QCOMPARE(dialog.txtTop->text(), QString::number(settings.PrinterTop));
        dialog.txtLeft->setText(QStringLiteral("12.5"));
        dialog.txtTop->setText(QStringLiteral("12.6"));
        dialog.txtRight->clear();
        QCOMPARE(dialog.txtRight->text(), QStringLiteral("1"));
        dialog.txtBottom->setText(QStringLiteral("-100"));
        dialog.cmdCancel->click();
        QCOMPARE(settings.PrinterLeft, Settings().PrinterLeft);
        dialog.cmdOK->click();
        QCOMPARE(settings.PrinterLeft, 12);
        QCOMPARE(settings.PrinterTop, 13);
        QCOMPARE(settings.PrinterRight, 1);
        QCOMPARE(settings.PrinterBottom, -100);
    }

    void printerDialog()
    {
        MemorySurface surface;
        surface.setText(QStringLiteral("text"));
        Settings settings;
        PrintSession session;
        frmPrinters dialog(surface, settings, session, QStringLiteral("/tmp/notes.txt"), nullptr);
        // The list always ends with the PDF file, selected when nothing else is current.
        QCOMPARE(dialog.lstPrinters->item(dialog.lstPrinters->count() - 1)->text(), QStringLiteral("Print to PDF file..."));
        QCOMPARE(dialog.lstPrinters->currentRow(), dialog.lstPrinters->count() - 1);
        QCOMPARE(dialog.txtCopies->text(), QStringLiteral("1"));
        dialog.VScroll1->setValue(97);
        QCOMPARE(dialog.txtCopies->text(), QStringLiteral("3"));
        dialog.txtCopies->setText(QStringLiteral("150"));
        QCOMPARE(dialog.txtCopies->text(), QStringLiteral("99"));

        // No printer chosen and nothing selected.
        TestSupport::PrompterGuard prompter;
        prompter->answers << QMessageBox::Ok;
        dialog.lstPrinters->clearSelection();
        dialog.cmdOK->click();
        QCOMPARE(prompter->asked.size(), 1);
        QCOMPARE(prompter->asked[0].text, QStringLiteral("Couldn't find any installed printers"));
        QCOMPARE(prompter->asked[0].icon, QMessageBox::Information);
    }

    // Through the dialog into a PDF file that a PDF reader reads back.
    void printsToPdf()
    {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        MemorySurface surface;
        const QString word = QStringLiteral("W") + QString(300, QLatin1Char('x')) + QStringLiteral("Z");
        surface.setText(QStringLiteral("first line\r\n") + word + QStringLiteral(" end"));
        Settings settings;
        PrintSession session{QString(), true, QString()};
        TestSupport::PrompterGuard prompter;
        prompter->saveAnswers << dir.filePath(QStringLiteral("out"));
        frmPrinters dialog(surface, settings, session, QStringLiteral("Untitled"), nullptr);
        dialog.txtCopies->setText(QStringLiteral("2"));
        dialog.cmdOK->click();
        QVERIFY(prompter->asked.isEmpty());
        const QString file = dir.filePath(QStringLiteral("out.pdf"));
        QVERIFY(QFileInfo::exists(file));
        QProcess reader;
        reader.start(pdftotext, {QStringLiteral("-raw"), file, QStringLiteral("-")});
        QVERIFY(reader.waitForFinished(30000));
        QString text = QString::fromUtf8(reader.readAllStandardOutput());
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        const QString once = QStringLiteral("firstline") + word + QStringLiteral("end");
        // Two copies, one after the other in the one file.
        QCOMPARE(text, once + once);

        // Margins wider than the page: one message per copy and no file.
        settings.PrinterLeft = settings.PrinterRight = 100000;
        prompter->saveAnswers << dir.filePath(QStringLiteral("none.pdf"));
        prompter->answers << QMessageBox::Ok << QMessageBox::Ok << QMessageBox::Ok;
        frmPrinters failing(surface, settings, session, QStringLiteral("Untitled"), nullptr);
        failing.txtCopies->setText(QStringLiteral("3"));
        failing.cmdOK->click();
        QCOMPARE(prompter->asked.size(), 3);
        for (const auto &asked : prompter->asked)
            QCOMPARE(asked.text, QStringLiteral("Failed to print"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("none.pdf"))));
    }
};

QTEST_MAIN(TstPrinting)
#include "tst_printing.moc"
