#include "ScintillaView.h"

#include "ScintillaSurface.h"
#include "SteadyScrollBar.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QUrl>

#include <dlfcn.h>

namespace {

int shiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        shift |= CtrlMask;
    if (modifiers & Qt::AltModifier)
        shift |= AltMask;
    return shift;
}

int mouseButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

QStringList localFilesOf(const QMimeData *mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

// The character code a key press delivers, as the control reports it (Enter 13, Tab 9, Backspace 8).
int characterOf(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || text.at(0).unicode() < 32 || text.at(0).unicode() == 127)
        return 0;
    return text.at(0).unicode();
}

} // namespace

ScintillaView::ScintillaView(ScintillaSurface *surface, QWidget *parent)
    : QsciScintilla(parent)
    , m_surface(surface)
{
    setObjectName(QStringLiteral("txtText"));
    setAcceptDrops(true);
    replaceVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
    replaceHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal, this));
}

// The widget reports every insertion, deletion and caret move to the accessibility layer with the
// character offset of its position, counted from the start of the document on each call
// (SCI_COUNTCHARACTERS from 0): measured 15 ms per key per megabyte before the caret. Its calls
// go through this exported entry point, so the program answers that count itself from the line
// indexes, and hands every other message to the widget unchanged.
long QsciScintillaBase::SendScintilla(unsigned int msg, unsigned long wParam, long lParam) const
{
    using Entry = long (*)(const QsciScintillaBase *, unsigned int, unsigned long, long);
    static const Entry widget =
        reinterpret_cast<Entry>(dlsym(RTLD_NEXT, "_ZNK17QsciScintillaBase13SendScintillaEjml"));
    if (msg == SCI_COUNTCHARACTERS && lParam >= long(wParam)) {
        if (const auto *view = qobject_cast<const ScintillaView *>(this))
            return view->countCharacters(long(wParam), lParam);
    }
    return widget(this, msg, wParam, lParam);
}

long ScintillaView::countCharacters(long fromByte, long toByte) const
{
    return m_surface->countCharacters(fromByte, toByte);
}

void ScintillaView::removeKeyBindings(const QList<QKeySequence> &keys)
{
    for (const QKeySequence &key : keys) {
        const QKeyCombination combination = key[0];
        removeKeyBinding(int(combination.key()), combination.keyboardModifiers());
    }
}

void ScintillaView::removeKeyBinding(int key, Qt::KeyboardModifiers modifiers)
{
    int sciKey = 0;
    switch (key) {
    case Qt::Key_Up: sciKey = SCK_UP; break;
    case Qt::Key_Down: sciKey = SCK_DOWN; break;
    case Qt::Key_Left: sciKey = SCK_LEFT; break;
    case Qt::Key_Right: sciKey = SCK_RIGHT; break;
    case Qt::Key_Home: sciKey = SCK_HOME; break;
    case Qt::Key_End: sciKey = SCK_END; break;
    case Qt::Key_PageUp: sciKey = SCK_PRIOR; break;
    case Qt::Key_PageDown: sciKey = SCK_NEXT; break;
    case Qt::Key_Delete: sciKey = SCK_DELETE; break;
    case Qt::Key_Insert: sciKey = SCK_INSERT; break;
    case Qt::Key_Escape: sciKey = SCK_ESCAPE; break;
    case Qt::Key_Backspace: sciKey = SCK_BACK; break;
    case Qt::Key_Tab: sciKey = SCK_TAB; break;
    case Qt::Key_Return: sciKey = SCK_RETURN; break;
    default:
        sciKey = (key >= Qt::Key_A && key <= Qt::Key_Z) ? key : (key < 128 ? key : 0);
    }
    if (!sciKey)
        return;
    int mods = 0;
    if (modifiers & Qt::ShiftModifier)
        mods |= SCMOD_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mods |= SCMOD_CTRL;
    if (modifiers & Qt::AltModifier)
        mods |= SCMOD_ALT;
    SendScintilla(SCI_CLEARCMDKEY, static_cast<unsigned long>(sciKey | (mods << 16)));
}

bool ScintillaView::windowTakes(QKeyCombination pressed)
{
    QWidget *top = window();
    if (!top)
        return false;
    const qsizetype count = top->actions().size();
    if (top != m_keyWindow || count != m_keyWindowActions) {
        m_keyActions.clear();
        m_keyWindow = top;
        m_keyWindowActions = count;
        for (QAction *action : top->findChildren<QAction *>()) {
            // The first key of a chord ("Ctrl+K, Ctrl+0") goes to the window too.
            for (const QKeySequence &key : action->shortcuts()) {
                if (key.count() >= 1)
                    m_keyActions.insert(key[0].toCombined(), action);
            }
        }
    }
    const auto enabledFor = [this](QKeyCombination combination) {
        for (auto it = m_keyActions.constFind(combination.toCombined());
             it != m_keyActions.cend() && it.key() == combination.toCombined(); ++it) {
            if (*it && (*it)->isEnabled())
                return true;
        }
        return false;
    };
    if (enabledFor(pressed))
        return true;
    // The keypad's digits run the same commands as the main row's (the shortcut map tries both).
    const Qt::KeyboardModifiers modifiers = pressed.keyboardModifiers();
    return (modifiers & Qt::KeypadModifier) && enabledFor(QKeyCombination(modifiers & ~Qt::KeypadModifier, pressed.key()));
}

bool ScintillaView::event(QEvent *event)
{
    // The widget claims every key of its own key map; a key that an enabled command of the
    // window uses goes to that command instead.
    if (event->type() == QEvent::ShortcutOverride && windowTakes(static_cast<QKeyEvent *>(event)->keyCombination())) {
        event->ignore();
        return false;
    }
    return QsciScintilla::event(event);
}

bool ScintillaView::viewportEvent(QEvent *event)
{
    // A marker shown or hidden over the text (the bracket partner, on nearly every key beside a
    // bracket) asks the text area to lay itself out again. It has no layout: the scroll area would
    // only put both scroll bars where they are and paint them again, which costs more than the key.
    if (event->type() == QEvent::LayoutRequest)
        return true;
    return QsciScintilla::viewportEvent(event);
}

void ScintillaView::keyPressEvent(QKeyEvent *event)
{
    SurfaceKeys *keys = m_surface->keyHandler();
    if (!keys) {
        QsciScintilla::keyPressEvent(event);
        return;
    }
    if (keys->keyDown(event->key(), shiftStateOf(event->modifiers()))) {
        event->accept();
        return;
    }
    const int original = characterOf(event);
    // Alt with a character no command took is a menu key that did not match: typing it would put
    // a letter into the text the user never meant to type.
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (original >= 32 && (mods & Qt::AltModifier) && !(mods & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    int character = original;
    if (character != 0) {
        character = keys->keyPress(character);
        if (character == 0) {
            event->accept();
            return;
        }
    }
    const long before = SendScintilla(SCI_GETCURRENTPOS);
    if (character != original && character >= 32) {
        // The handler replaced the typed character.
        QKeyEvent changed(event->type(), 0, event->modifiers(), QString(QChar(character)));
        QsciScintilla::keyPressEvent(&changed);
    } else {
        QsciScintilla::keyPressEvent(event);
    }
    const long after = SendScintilla(SCI_GETCURRENTPOS);
    if (original >= 32)
        m_surface->typedRange(int(before), int(after));
    else if (after != before)
        m_surface->resetTypingFormat();
}

void ScintillaView::keyReleaseEvent(QKeyEvent *event)
{
    if (SurfaceKeys *keys = m_surface->keyHandler())
        keys->keyUp(event->key(), shiftStateOf(event->modifiers()));
    QsciScintilla::keyReleaseEvent(event);
}

void ScintillaView::inputMethodEvent(QInputMethodEvent *event)
{
    const long before = SendScintilla(SCI_GETCURRENTPOS);
    QsciScintilla::inputMethodEvent(event);
    if (!event->commitString().isEmpty())
        m_surface->typedRange(int(before), int(SendScintilla(SCI_GETCURRENTPOS)));
}

void ScintillaView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton) {
        if (SurfaceEvents *sink = m_surface->eventSink())
            sink->surfaceAboutToPaste();
    }
    if (event->button() == Qt::LeftButton)
        m_surface->m_folds.mousePressed(event->position().toPoint(), event->modifiers());
    QsciScintilla::mousePressEvent(event);
    m_surface->resetTypingFormat();
    if (SurfaceEvents *sink = m_surface->eventSink()) {
        const QPoint p = event->position().toPoint();
        sink->surfaceMouseDown(mouseButtonOf(event->button()), shiftStateOf(event->modifiers()), p.x(), p.y());
    }
}

void ScintillaView::mouseReleaseEvent(QMouseEvent *event)
{
    QsciScintilla::mouseReleaseEvent(event);
    if (SurfaceEvents *sink = m_surface->eventSink()) {
        const QPoint p = event->position().toPoint();
        sink->surfaceMouseUp(mouseButtonOf(event->button()), shiftStateOf(event->modifiers()), p.x(), p.y());
    }
}

void ScintillaView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QsciScintilla::wheelEvent(event);
        return;
    }
    // Ctrl+wheel zooms, as in every editor; a touchpad's small steps add up to one notch.
    m_zoomDelta += event->angleDelta().y();
    for (; m_zoomDelta >= QWheelEvent::DefaultDeltasPerStep; m_zoomDelta -= QWheelEvent::DefaultDeltasPerStep)
        SendScintilla(SCI_ZOOMIN);
    for (; m_zoomDelta <= -QWheelEvent::DefaultDeltasPerStep; m_zoomDelta += QWheelEvent::DefaultDeltasPerStep)
        SendScintilla(SCI_ZOOMOUT);
    event->accept();
}

void ScintillaView::focusInEvent(QFocusEvent *event)
{
    QsciScintilla::focusInEvent(event);
    if (SurfaceEvents *sink = m_surface->eventSink())
        sink->surfaceGotFocus();
}

void ScintillaView::dragEnterEvent(QDragEnterEvent *event)
{
    const QStringList files = localFilesOf(event->mimeData());
    if (files.isEmpty()) {
        QsciScintilla::dragEnterEvent(event);
        return;
    }
    event->acceptProposedAction();
    if (SurfaceEvents *sink = m_surface->eventSink())
        sink->surfaceDragOver(files, shiftStateOf(event->modifiers()));
}

void ScintillaView::dragMoveEvent(QDragMoveEvent *event)
{
    const QStringList files = localFilesOf(event->mimeData());
    if (files.isEmpty()) {
        QsciScintilla::dragMoveEvent(event);
        return;
    }
    event->acceptProposedAction();
    if (SurfaceEvents *sink = m_surface->eventSink())
        sink->surfaceDragOver(files, shiftStateOf(event->modifiers()));
}

void ScintillaView::dragLeaveEvent(QDragLeaveEvent *event)
{
    QsciScintilla::dragLeaveEvent(event);
    if (SurfaceEvents *sink = m_surface->eventSink())
        sink->surfaceDragLeave();
}

void ScintillaView::dropEvent(QDropEvent *event)
{
    const QStringList files = localFilesOf(event->mimeData());
    if (files.isEmpty()) {
        // Dropped text is an edit like a paste: the program takes its snapshot first.
        if (SurfaceEvents *sink = m_surface->eventSink())
            sink->surfaceAboutToPaste();
        QsciScintilla::dropEvent(event);
        if (SurfaceEvents *sink = m_surface->eventSink())
            sink->surfaceTextDropped();
        return;
    }
    event->acceptProposedAction();
    if (SurfaceEvents *sink = m_surface->eventSink())
        sink->surfaceDragDrop(files, shiftStateOf(event->modifiers()));
}

void ScintillaView::contextMenuEvent(QContextMenuEvent *event)
{
    SurfaceEvents *sink = m_surface->eventSink();
    if (!sink) {
        QsciScintilla::contextMenuEvent(event);
        return;
    }
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const long pos = SendScintilla(SCI_GETCURRENTPOS);
        const QPoint caret(int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, pos)),
                           int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, pos)) + textHeight(0));
        at = viewport()->mapToGlobal(caret);
    }
    event->accept();
    sink->surfaceContextMenu(at);
}

void ScintillaView::setLineEndMark(const QString &mark)
{
    if (mark == m_lineEndMark)
        return;
    m_lineEndMark = mark;
    viewport()->update();
}

void ScintillaView::paintEvent(QPaintEvent *event)
{
    QsciScintilla::paintEvent(event);
    if (m_lineEndMark.isEmpty())
        return;
    // Drawn as the widget draws its own: the text's colours swapped in a small rounded box.
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const long fore = SendScintilla(SCI_STYLEGETFORE, 0UL);
    const long back = SendScintilla(SCI_STYLEGETBACK, 0UL);
    const auto colourOf = [](long bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); };
    QFont font = this->font();
    QByteArray family(256, '\0');
    SendScintilla(SCI_STYLEGETFONT, 0UL, family.data());
    font.setFamily(QString::fromUtf8(family.constData()));
    font.setPointSizeF(std::max(2.0, 0.75 * double(SendScintilla(SCI_STYLEGETSIZE, 0UL) + SendScintilla(SCI_GETZOOM))));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int height = int(SendScintilla(SCI_TEXTHEIGHT, 0UL));
    const int width = metrics.horizontalAdvance(m_lineEndMark) + 4;
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    const long firstShown = SendScintilla(SCI_GETFIRSTVISIBLELINE);
    const long lastShown = firstShown + SendScintilla(SCI_LINESONSCREEN) + 1;
    for (long shown = firstShown; shown <= lastShown; ++shown) {
        const long line = SendScintilla(SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(shown));
        // The last line has no break; a wrapped line's break comes after its last row.
        if (line >= lines - 1)
            break;
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        if (SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(end)) != line
            || SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1)) == end)
            continue;
        const int x = int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, end));
        const int y = int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, end));
        if (y < -height || y > viewport()->height())
            continue;
        const QRectF box(x + 1.5, y + 1.5, width, height - 3);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colourOf(fore));
        painter.drawRoundedRect(box, 2, 2);
        painter.setPen(colourOf(back));
        painter.drawText(box, Qt::AlignCenter, m_lineEndMark);
    }
}
