#include "FlatButton.h"

#include "FlatButtonAccessible.h"
#include "FlatButtonMetrics.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>

#include <utility>

using namespace FlatButtonMetrics;

namespace {

const QString kVersion = QStringLiteral(PALISADE_VERSION);

std::function<void()> &soundPlayer()
{
    static std::function<void()> player;
    return player;
}

void playDesktopSound()
{
    // Looked up once: a desktop without a sound theme player gets the plain bell.
    static const QString player = QStandardPaths::findExecutable(QStringLiteral("canberra-gtk-play"));
    if (player.isEmpty() || !QProcess::startDetached(player, {QStringLiteral("--id=menu-click"),
                                                              QStringLiteral("--description=FlatButton")}))
        QApplication::beep();
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

FlatButton::FlatButton(QWidget *parent)
    : QWidget(parent)
    , m_caption(kDefaultCaption)
{
    FlatButtonAccessible::install();
    setMouseTracking(true);
    // A tool-bar button must not take the focus from the editor; the form route still sees Enter and Escape.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const QPoint pos = QCursor::pos();
        if (pos != m_lastCursorPos)
            changeStyleAt(pos);
        m_lastCursorPos = pos;
    });
    ButtonRePaint();
}

FlatButton::~FlatButton()
{
    m_timer.stop();
    if (m_form)
        m_form->removeEventFilter(this);
}

QString FlatButton::hoverState() const
{
    switch (m_hover) {
    case Hover::Released: return QString();
    case Hover::Off: return QStringLiteral("OFF");
    case Hover::On: return QStringLiteral("ON");
    }
    return QString();
}

void FlatButton::ChangeStyle()
{
    changeStyleAt(QCursor::pos());
}

void FlatButton::FlatButtonOver()
{
    m_look = Look::Raised;
    update();
}

void FlatButton::FlatButtonOn()
{
    m_look = Look::Pressed;
    update();
}

void FlatButton::FlatButtonOff()
{
    // Released outside the button: back to flat, not raised.
    m_look = m_hover == Hover::On ? Look::Raised : Look::Flat;
    update();
}

void FlatButton::About()
{
    auto *box = new QMessageBox(QMessageBox::Information, tr("About FlatButton"),
                                QStringLiteral("FlatButton\nVersion %1").arg(kVersion), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void FlatButton::setSoundPlayer(std::function<void()> player)
{
    soundPlayer() = std::move(player);
}

bool FlatButton::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        attachToForm();
    return QWidget::event(event);
}

bool FlatButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form && event->type() == QEvent::KeyPress && isEnabled() && isVisible()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (handlesKey(key)) {
            activateByKey(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FlatButton::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ButtonRePaint();
}

void FlatButton::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    attachToForm();
    ButtonRePaint();
}

void FlatButton::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::ScreenChangeInternal:
        ButtonRePaint();
        break;
    case QEvent::PaletteChange:
        GreyPic();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_leftPressed = false;
            applyHover(false);
        }
        update();
        break;
    default:
        break;
    }
}

void FlatButton::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    trackHover(event->globalPosition().toPoint());
}

void FlatButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    // While the button is held the poll timer decides: the mouse may come back before release.
    if (!m_leftPressed && !isSeparator())
        applyHover(false);
}

void FlatButton::mouseMoveEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    // While held, the button grabs the mouse and learns of leaving from the moves themselves.
    if (m_leftPressed)
        changeStyleAt(event->globalPosition().toPoint());
    else
        trackHover(event->globalPosition().toPoint());
    emit MouseMove();
}

void FlatButton::mousePressEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
    if (event->button() == Qt::LeftButton) {
        m_leftPressed = true;
        m_hover = Hover::On;
        m_lastCursorPos = event->globalPosition().toPoint();
        m_timer.start();
        FlatButtonOn();
    }
}

void FlatButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    const bool leftRelease = event->button() == Qt::LeftButton;
    const bool clickable = leftRelease && m_leftPressed;
    if (leftRelease)
        m_leftPressed = false;
    // Already known to be outside: going through "" again would announce MouseOut twice.
    if (m_hover == Hover::On)
        m_hover = Hover::Released;
    changeStyleAt(event->globalPosition().toPoint());
    FlatButtonOff();
    const QPoint pos = event->position().toPoint();
    QPointer<FlatButton> self(this);
    if (m_hover == Hover::On && clickable)
        emit Click();
    if (self)
        emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void FlatButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (isSeparator()) {
        event->ignore();
        return;
    }
    emit DblClick();
}

void FlatButton::keyPressEvent(QKeyEvent *event)
{
    // Taken here so the form's own route does not activate the button a second time.
    if (handlesKey(event->key()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void FlatButton::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat() && handlesKey(event->key()))
        activateByKey(event->key());
    else
        QWidget::keyReleaseEvent(event);
}

bool FlatButton::isOver(const QPoint &globalPos) const
{
    if (!isVisible() || !rect().contains(mapFromGlobal(globalPos)))
        return false;
    // Another window in front of the button hides it from the mouse.
    QWidget *under = QApplication::widgetAt(globalPos);
    return under == this || isAncestorOf(under);
}

void FlatButton::changeStyleAt(const QPoint &globalPos)
{
    if (isSeparator())
        return;
    applyHover(isOver(globalPos));
}

void FlatButton::applyHover(bool over)
{
    if (isSeparator())
        return;
    // MouseOver and MouseOut alternate strictly: a release inside does not announce a new hover.
    if (!over && m_hover != Hover::Off) {
        m_hover = Hover::Off;
        m_timer.stop();
        m_look = Look::Flat;
        update();
        if (std::exchange(m_hoverAnnounced, false))
            emit MouseOut();
    } else if (over && m_hover != Hover::On) {
        m_hover = Hover::On;
        // Coming back while still held shows the button pressed again.
        if (m_leftPressed)
            FlatButtonOn();
        else
            FlatButtonOver();
        if (!std::exchange(m_hoverAnnounced, true)) {
            if (m_sound)
                playSound();
            emit MouseOver();
        }
    }
}

void FlatButton::trackHover(const QPoint &globalPos)
{
    if (isSeparator() || !isEnabled() || m_hover == Hover::On)
        return;
    m_hover = Hover::Off;
    changeStyleAt(globalPos);
    m_lastCursorPos = globalPos;
    if (m_hover == Hover::On)
        m_timer.start();
}

bool FlatButton::handlesKey(int key) const
{
    if (isSeparator())
        return false;
    return (isEnterKey(key) && m_default) || (key == Qt::Key_Escape && m_cancel);
}

void FlatButton::activateByKey(int key)
{
    QPointer<FlatButton> self(this);
    FlatButtonOn();
    repaint();
    if (isEnterKey(key)) {
        emit Click();
        if (self)
            FlatButtonOff();
        return;
    }
    QCoreApplication::processEvents();
    if (!self)
        return;
    FlatButtonOff();
    window()->close();
}

void FlatButton::attachToForm()
{
    QWidget *form = window() == this ? nullptr : window();
    if (form == m_form)
        return;
    if (m_form)
        m_form->removeEventFilter(this);
    m_form = form;
    if (m_form)
        m_form->installEventFilter(this);
}

void FlatButton::playSound()
{
    if (soundPlayer())
        soundPlayer()();
    else
        playDesktopSound();
}
