#include "FlatButton.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// The offscreen platform delivers the pointer's moves later unless asked.
void moveTo(QWidget *widget, QPoint pos)
{
    QTest::mouseMove(widget, pos);
    QCoreApplication::processEvents();
}

// A form that records the keys reaching its own handler.
class Form : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
};

struct Fixture {
    Form form;
    FlatButton *button = new FlatButton(&form);
    QLineEdit *edit = new QLineEdit(&form);
    QStringList log;

    explicit Fixture(QSize size = {60, 40})
    {
        // A pointer left over the new window by an earlier case would hover the button at once.
        QCursor::setPos(0, 0);
        form.resize(300, 200);
        button->setGeometry(QRect(QPoint(20, 20), size));
        edit->setGeometry(20, 150, 100, 24);
        for (auto [signal, name] : {std::pair{&FlatButton::Click, "Click"}, {&FlatButton::DblClick, "DblClick"},
                                    {&FlatButton::MouseOver, "MouseOver"}, {&FlatButton::MouseOut, "MouseOut"}})
            QObject::connect(button, signal, button, [this, name = QString::fromLatin1(name)] { log << name; });
        QObject::connect(button, &FlatButton::MouseDown, button, [this] { log << QStringLiteral("MouseDown"); });
        QObject::connect(button, &FlatButton::MouseUp, button, [this] { log << QStringLiteral("MouseUp"); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        moveTo(&form, QPoint(250, 150));
    }
    QPoint inside() const { return button->rect().center(); }
    QPoint outside() const { return button->rect().bottomRight() + QPoint(40, 40); }
};

int twips(int value)
{
    return qRound(value * QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 1440.0);
}

QPixmap testPicture(const QColor &back)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(back);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixelColor(x, y, QColor(200, 100, 50));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

QColor shownColor(FlatButton *button, QPoint offset)
{
    return button->grab().toImage().pixelColor(button->pictureRect().topLeft() + offset);
}

} // namespace

class TestFlatButton : public QObject {
    Q_OBJECT
private slots:
    void enterAndLeaveEvents();
    void pressAndRelease_data();
    void pressAndRelease();
    void pressedLookShiftsContent();
    void greyPictureAtRestOnly();
    void separatorIgnoresEverything();
    void propertyBagStoresOnlyChanges_data();
    void propertyBagStoresOnlyChanges();
    void propertyBagAcceptsOtherSpellings();
    void propertyBagSurvivesGarbage();
    void keys_data();
    void keys();
    void picAlignArrangements_data();
    void picAlignArrangements();
    void cursorNumbers();
    void soundOnlyWhenHoverStarts();
    void sizeHints();
};

void TestFlatButton::enterAndLeaveEvents()
{
    Fixture f;
    QEnterEvent enter(f.inside(), f.inside(), f.button->mapToGlobal(f.inside()));
    QCoreApplication::sendEvent(f.button, &enter);
    QCOMPARE(f.button->look(), FlatButton::Look::Raised);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.button, &leave);
    QCOMPARE(f.button->hoverState(), QStringLiteral("OFF"));
    QCOMPARE(f.button->look(), FlatButton::Look::Flat);
    QCOMPARE(f.log, QStringList({"MouseOver", "MouseOut"}));
}

void TestFlatButton::pressAndRelease_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("leaveWhileHeld");
    QTest::addColumn<bool>("comeBack");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("released inside") << Qt::LeftButton << false << false
                                     << QStringList{"MouseDown", "Click", "MouseUp"};
    QTest::newRow("released outside") << Qt::LeftButton << true << false
                                      << QStringList{"MouseDown", "MouseOut", "MouseUp"};
    QTest::newRow("dragged out and back") << Qt::LeftButton << true << true
                                          << QStringList{"MouseDown", "MouseOut", "MouseOver", "Click", "MouseUp"};
    QTest::newRow("right button") << Qt::RightButton << false << false << QStringList{"MouseDown", "MouseUp"};
}

void TestFlatButton::pressAndRelease()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, leaveWhileHeld);
    QFETCH(bool, comeBack);
    QFETCH(QStringList, expected);
    Fixture f;
    moveTo(f.button, f.inside());
    f.log.clear();
    QTest::mousePress(f.button, button, {}, f.inside());
    QPoint releaseAt = f.inside();
    if (leaveWhileHeld) {
        // QTest leaves the pointer where it was while a button is held; the poll timer must notice.
        QCursor::setPos(f.button->mapToGlobal(f.outside()));
        QTRY_COMPARE(f.button->hoverState(), QStringLiteral("OFF"));
        QCOMPARE(f.button->look(), FlatButton::Look::Flat);
        releaseAt = f.outside();
    }
    if (comeBack) {
        moveTo(f.button, f.inside());
        QCOMPARE(f.button->look(), FlatButton::Look::Pressed);
        releaseAt = f.inside();
    }
    QTest::mouseRelease(f.button, button, {}, releaseAt);
    QCOMPARE(f.log, expected);
    QCOMPARE(f.button->look(), releaseAt == f.inside() ? FlatButton::Look::Raised : FlatButton::Look::Flat);
}

void TestFlatButton::pressedLookShiftsContent()
{
    Fixture f({80, 50});
    f.button->setPicture(testPicture(Qt::white));
    const QRect picture = f.button->pictureRect();
    const QRect caption = f.button->captionRect();
    QSignalSpy down(f.button, &FlatButton::MouseDown);
    QTest::mousePress(f.button, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
    QCOMPARE(down.value(0), QVariantList({QVariant::fromValue(Qt::LeftButton),
                                          QVariant::fromValue(Qt::KeyboardModifiers(Qt::ShiftModifier)), 5, 6}));
    const int shift = std::max(1, twips(15));
    QCOMPARE(f.button->pictureRect(), picture.translated(shift, shift));
    QCOMPARE(f.button->captionRect(), caption.translated(shift, shift));
    QTest::mouseRelease(f.button, Qt::LeftButton, {}, QPoint(5, 6));
    QCOMPARE(f.button->pictureRect(), picture);
    QCOMPARE(f.button->captionRect(), caption);
}

void TestFlatButton::greyPictureAtRestOnly()
{
    const QColor back(0x10, 0x20, 0x30);
    Fixture f;
    f.button->setBackColor(back);
    f.button->setCaption(QString());
    f.button->setPicture(testPicture(back));
    f.button->setGreyIcon(true);
    QCOMPARE(shownColor(f.button, QPoint(3, 3)), QColor(100, 100, 100));
    QCOMPARE(shownColor(f.button, QPoint(12, 3)), back);
    QCOMPARE(shownColor(f.button, QPoint(0, 0)), back);
    moveTo(f.button, f.inside());
    QCOMPARE(shownColor(f.button, QPoint(3, 3)), QColor(200, 100, 50));
}

void TestFlatButton::separatorIgnoresEverything()
{
    Fixture f;
    FlatButton *b = f.button;
    QMouseEvent dblClick(QEvent::MouseButtonDblClick, QPointF(3, 5), b->mapToGlobal(QPointF(3, 5)), Qt::LeftButton,
                         Qt::LeftButton, {});
    QCoreApplication::sendEvent(b, &dblClick);
    QCOMPARE(f.log, QStringList{"DblClick"});
    f.log.clear();
    b->setButtonType(FlatButton::Separator);
    b->setDefault(true);
    b->setCancel(true);
    QCOMPARE(b->width(), twips(105));
    QCOMPARE(b->sizeHint().width(), twips(105));
    moveTo(b, QPoint(3, 5));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 5));
    QCoreApplication::sendEvent(b, &dblClick);
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Return);
    QTest::keyClick(b, Qt::Key_Escape);
    QVERIFY(f.log.isEmpty());
    QCOMPARE(b->hoverState(), QStringLiteral("OFF"));
    QCOMPARE(b->look(), FlatButton::Look::Flat);
    QVERIFY(f.form.isVisible());
}

void TestFlatButton::propertyBagStoresOnlyChanges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("caption") << "Caption" << QVariant(QStringLiteral("Save"));
    QTest::newRow("empty caption") << "Caption" << QVariant(QString());
    QTest::newRow("back colour") << "BackColor" << QVariant(QColor(1, 2, 3));
    QTest::newRow("fractional font size") << "FontSize" << QVariant(12.5);
    QTest::newRow("picture") << "Picture" << QVariant(testPicture(Qt::white));
    QTest::newRow("separator") << "ButtonType" << QVariant(9);
    QTest::newRow("hand cursor") << "Cursor" << QVariant(99);
}

void TestFlatButton::propertyBagStoresOnlyChanges()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    auto same = [](const QVariant &a, const QVariant &b) {
        return a.metaType().id() == QMetaType::QPixmap ? a.value<QPixmap>().toImage() == b.value<QPixmap>().toImage()
                                                        : a == b;
    };
    FlatButton written;
    QVariantMap bag;
    written.writeProperties(bag);
    QVERIFY(bag.isEmpty());
    QVERIFY(written.setProperty(name.toLatin1(), value));
    written.writeProperties(bag);
    QCOMPARE(bag.keys(), QStringList{name});
    QVERIFY(same(bag.value(name), value));

    FlatButton read;
    read.setCaption(QStringLiteral("stale"));
    read.setHit(true);
    read.readProperties(bag);
    QVERIFY(same(read.property(name.toLatin1()), value));
    QVariantMap again;
    read.writeProperties(again);
    QCOMPARE(again.keys(), bag.keys());
}

void TestFlatButton::propertyBagAcceptsOtherSpellings()
{
    FlatButton b;
    b.readProperties({{"Backcolor", 0x0000FF}, {"ForeColor", 0x80000012LL}, {"PicAlign", "4"}, {"Hit", "1"}});
    QCOMPARE(b.backColor(), QColor(255, 0, 0));
    QCOMPARE(b.foreColor(), b.palette().color(QPalette::ButtonText));
    QCOMPARE(b.picAlign(), 4);
    QVERIFY(b.hit());
    QCOMPARE(b.caption(), QStringLiteral("FlatButton"));
}

void TestFlatButton::propertyBagSurvivesGarbage()
{
    const QStringList names = {"Caption", "BackColor", "ForeColor", "Font", "FontName", "FontSize", "Picture",
                               "Background", "PicAlign", "Style", "ButtonType", "Cursor", "GreyIcon", "Junk"};
    QRandomGenerator random(20240611);
    FlatButton b;
    for (int round = 0; round < 300; ++round) {
        QVariantMap bag;
        for (const QString &name : names) {
            QByteArray bytes(random.bounded(40), '\0');
            for (char &c : bytes)
                c = char(random.bounded(256));
            const QVariant values[] = {random.bounded(-100000, 100000), QString::fromLatin1(bytes), bytes,
                                       random.generateDouble() * 1e9, QVariant()};
            bag.insert(name, values[random.bounded(5)]);
        }
        b.readProperties(bag);
        QVERIFY(b.picAlign() >= 0 && b.picAlign() <= 8);
        QVERIFY(b.buttonStyle() >= 0 && b.buttonStyle() <= 5);
        QVERIFY(b.buttonType() == 0 || b.buttonType() == 9);
        QVERIFY(b.fontSize() >= 0 && b.fontSize() < 1000);
    }
}

void TestFlatButton::keys_data()
{
    QTest::addColumn<bool>("isDefault");
    QTest::addColumn<bool>("onButton");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("formSawKey");
    // The button is either Default or Cancel.
    QTest::newRow("Enter in the form, Default") << true << false << int(Qt::Key_Return) << 1 << false << false;
    QTest::newRow("keypad Enter in the form, Default") << true << false << int(Qt::Key_Enter) << 1 << false << false;
    QTest::newRow("Enter in the form, Cancel") << false << false << int(Qt::Key_Return) << 0 << false << true;
    QTest::newRow("Escape in the form, Cancel") << false << false << int(Qt::Key_Escape) << 0 << true << false;
    QTest::newRow("Escape in the form, Default") << true << false << int(Qt::Key_Escape) << 0 << false << true;
    QTest::newRow("Enter on the button, Default, once") << true << true << int(Qt::Key_Return) << 1 << false << false;
}

void TestFlatButton::keys()
{
    QFETCH(bool, isDefault);
    QFETCH(bool, onButton);
    QFETCH(int, key);
    QFETCH(int, clicks);
    QFETCH(bool, closed);
    QFETCH(bool, formSawKey);
    Fixture f;
    f.button->setDefault(isDefault);
    f.button->setCancel(!isDefault);
    QWidget *target = onButton ? static_cast<QWidget *>(f.button) : f.edit;
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(int(f.log.count(QStringLiteral("Click"))), clicks);
    QCOMPARE(!f.form.isVisible(), closed);
    QCOMPARE(f.form.keys.contains(key), formSawKey);
    QCOMPARE(f.button->look(), FlatButton::Look::Flat);
}

void TestFlatButton::picAlignArrangements_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("anchor");
    const char *names[] = {"Top-Center", "Top-Left", "Top-Right", "Middle-Center", "Middle-Left",
                           "Middle-Right", "Bottom-Center", "Bottom-Left", "Bottom-Right"};
    const char *places[] = {"above", "above", "above", "left of", "left of", "right of", "below", "below", "below"};
    const char *anchors[] = {"centre", "left", "right"};
    for (int align = 0; align < 9; ++align)
        QTest::newRow(names[align]) << align << places[align] << anchors[align % 3];
}

void TestFlatButton::picAlignArrangements()
{
    QFETCH(int, align);
    QFETCH(QString, picture);
    QFETCH(QString, anchor);
    Fixture f({140, 70});
    f.button->setCaption(QStringLiteral("Find"));
    f.button->setPicture(testPicture(Qt::white));
    f.button->setPicAlign(align);
    const QRect pic = f.button->pictureRect();
    const QRect cap = f.button->captionRect();
    const QRect face = f.button->rect();
    const int edge = twips(25);
    const int gap = twips(50);
    if (picture == "above")
        QVERIFY(cap.top() - pic.bottom() - 1 == gap && pic.top() == edge);
    else if (picture == "below")
        QVERIFY(pic.top() - cap.bottom() - 1 == gap && face.bottom() - pic.bottom() == edge);
    else if (picture == "left of")
        QCOMPARE(cap.left() - pic.right() - 1, gap);
    else
        QCOMPARE(pic.left() - cap.right() - 1, gap);
    const QRect both = pic.united(cap);
    if (anchor == "left")
        QCOMPARE(both.left(), edge);
    else if (anchor == "right")
        QCOMPARE(face.right() - both.right(), edge);
    else
        QVERIFY(qAbs(both.center().x() - face.center().x()) <= 1);
    if (picture.endsWith(" of"))
        QVERIFY(qAbs(pic.center().y() - cap.center().y()) <= 1);
}

void TestFlatButton::cursorNumbers()
{
    FlatButton b;
    b.setCursorType(99);
    QCOMPARE(b.cursor().shape(), Qt::PointingHandCursor);
    // Unknown numbers keep the cursor there is.
    for (int unknown : {16, -1}) {
        b.setCursorType(unknown);
        QCOMPARE(b.cursorType(), 99);
        QCOMPARE(b.cursor().shape(), Qt::PointingHandCursor);
    }
    b.setCursorType(0);
    QCOMPARE(b.cursor().shape(), Qt::ArrowCursor);
}

void TestFlatButton::soundOnlyWhenHoverStarts()
{
    int played = 0;
    FlatButton::setSoundPlayer([&played] { ++played; });
    Fixture f;
    moveTo(f.button, f.inside());
    QCOMPARE(played, 0);
    moveTo(&f.form, QPoint(250, 150));
    f.button->setSound(true);
    moveTo(f.button, f.inside());
    QTest::mouseClick(f.button, Qt::LeftButton, {}, f.inside());
    moveTo(f.button, f.inside() + QPoint(1, 1));
    QCOMPARE(played, 1);
    QCOMPARE(f.log, QStringList({"MouseOver", "MouseOut", "MouseOver", "MouseDown", "Click", "MouseUp"}));
    FlatButton::setSoundPlayer({});
}

void TestFlatButton::sizeHints()
{
    FlatButton b;
    b.setCaption(QString());
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    b.setPicture(QPixmap::fromImage(icon));
    b.setPicAlign(3);
    QCOMPARE(b.sizeHint(), QSize(24, 24));
    b.setCaption(QStringLiteral("A rather long caption"));
    QVERIFY(b.sizeHint().width() > b.sizeHint().height());

    b.About();
    auto *box = b.findChild<QMessageBox *>();
    QVERIFY(box && box->text().startsWith(QStringLiteral("FlatButton\nVersion ")));
    box->close();
}

QTEST_MAIN(TestFlatButton)
#include "tst_flatbutton.moc"
