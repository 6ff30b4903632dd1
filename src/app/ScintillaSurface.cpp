#include "ScintillaSurface.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <algorithm>

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

bool isAsciiText(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// Bytes and UTF-16 units of the character a UTF-8 lead byte opens. A stray byte counts as one
// character of one unit, as the widget's own index counts it.
struct Utf8Char {
    int bytes;
    int units;
};

Utf8Char utf8CharOf(unsigned char lead)
{
    if (lead < 0xC0)
        return {1, 1};
    if (lead < 0xE0)
        return {2, 1};
    if (lead < 0xF0)
        return {3, 1};
    if (lead < 0xF8)
        return {4, 2};
    return {1, 1};
}

const std::array<char, 256> &identityStyles()
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = char(i);
        return t;
    }();
    return table;
}

} // namespace

// --- ScintillaView ---------------------------------------------------------------------------

ScintillaView::ScintillaView(ScintillaSurface *surface, QWidget *parent)
    : QsciScintilla(parent)
    , m_surface(surface)
{
    setObjectName(QStringLiteral("txtText"));
    setAcceptDrops(true);
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

bool ScintillaView::event(QEvent *event)
{
    // The widget claims every key of its own key map; a key that an enabled command of the
    // window uses goes to that command instead.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        if (QWidget *top = window()) {
            const QList<QAction *> actions = top->findChildren<QAction *>();
            for (const QAction *action : actions) {
                if (action->isEnabled() && action->shortcuts().contains(pressed)) {
                    event->ignore();
                    return false;
                }
            }
        }
    }
    return QsciScintilla::event(event);
}

void ScintillaView::keyPressEvent(QKeyEvent *event)
{
    SurfaceEvents *sink = m_surface->eventSink();
    if (!sink) {
        QsciScintilla::keyPressEvent(event);
        return;
    }
    int key = event->key();
    int shift = shiftStateOf(event->modifiers());
    sink->surfaceKeyDown(key, shift);
    if (key == 0) {
        event->accept();
        return;
    }
    const int original = characterOf(event);
    int character = original;
    if (character != 0) {
        sink->surfaceKeyPress(character);
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
    if (SurfaceEvents *sink = m_surface->eventSink()) {
        int key = event->key();
        int shift = shiftStateOf(event->modifiers());
        sink->surfaceKeyUp(key, shift);
        if (key == 0) {
            event->accept();
            return;
        }
    }
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

// --- ScintillaSurface ------------------------------------------------------------------------

ScintillaSurface::ScintillaSurface(QWidget *parent)
    : m_view(new ScintillaView(this, parent))
{
    m_styles.fill(CharFormat{});
    m_styleUsed[0] = true;
    for (int s = QsciScintillaBase::STYLE_DEFAULT; s <= QsciScintillaBase::STYLE_LASTPREDEFINED; ++s)
        m_styleUsed[std::size_t(s)] = true;
    m_typing = m_styles[0];

    m_view->setUtf8(true);
    m_view->setEolMode(QsciScintilla::EolWindows);
    m_view->setAutoIndent(false);
    m_view->setBraceMatching(QsciScintilla::NoBraceMatch);
    m_view->setCaretLineVisible(false);
    m_view->setIndentationsUseTabs(true);
    for (int margin = 0; margin < 5; ++margin)
        m_view->setMarginWidth(margin, 0);
    send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);
    send(QsciScintillaBase::SCI_SETLEXER, QsciScintillaBase::SCLEX_CONTAINER);
    send(QsciScintillaBase::SCI_SETMULTIPLESELECTION, 0);
    send(QsciScintillaBase::SCI_SETSCROLLWIDTHTRACKING, 1);
    send(QsciScintillaBase::SCI_SETSCROLLWIDTH, 1);
    send(QsciScintillaBase::SCI_SETLAYOUTCACHE, QsciScintillaBase::SC_CACHE_PAGE);
    send(QsciScintillaBase::SCI_SETTABWIDTH, 4);
    // The program keeps its own history and its own clipboard commands: the widget's undo keys, and
    // its keys that cut, paste or rewrite lines, would change the text behind the program's back.
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    for (const auto &[key, mods] : {std::pair{int(Qt::Key_Z), ctrl}, std::pair{int(Qt::Key_Y), ctrl},
                                    std::pair{int(Qt::Key_Z), ctrlShift}, std::pair{int(Qt::Key_Y), ctrlShift},
                                    std::pair{int(Qt::Key_Backspace), Qt::KeyboardModifiers(Qt::AltModifier)},
                                    std::pair{int(Qt::Key_Backspace), Qt::AltModifier | Qt::ShiftModifier},
                                    std::pair{int(Qt::Key_X), ctrl}, std::pair{int(Qt::Key_C), ctrl},
                                    std::pair{int(Qt::Key_V), ctrl},
                                    std::pair{int(Qt::Key_Delete), Qt::KeyboardModifiers(Qt::ShiftModifier)},
                                    std::pair{int(Qt::Key_Insert), ctrl},
                                    std::pair{int(Qt::Key_Insert), Qt::KeyboardModifiers(Qt::ShiftModifier)},
                                    std::pair{int(Qt::Key_L), ctrl}, std::pair{int(Qt::Key_L), ctrlShift},
                                    std::pair{int(Qt::Key_T), ctrl}, std::pair{int(Qt::Key_T), ctrlShift},
                                    std::pair{int(Qt::Key_D), ctrl}, std::pair{int(Qt::Key_U), ctrl},
                                    std::pair{int(Qt::Key_U), ctrlShift}})
        m_view->removeKeyBinding(key, mods);
    applyStyle(QsciScintillaBase::STYLE_DEFAULT, m_styles[0]);
    send(QsciScintillaBase::SCI_STYLECLEARALL);
    applyStyle(0, m_styles[0]);

    QObject::connect(m_view, &QsciScintillaBase::SCN_MODIFIED, m_view,
                     [this](int position, int type, const char *text, int length, int, int, int, int, int, int) {
                         onModified(position, type, text, length);
                     });
    QObject::connect(m_view, &QsciScintillaBase::SCN_UPDATEUI, m_view, [this](int updated) { onUpdateUi(updated); });
}

ScintillaSurface::~ScintillaSurface() = default;

long ScintillaSurface::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_view->SendScintilla(message, wParam, lParam);
}

int ScintillaSurface::byteLength() const
{
    return int(send(QsciScintillaBase::SCI_GETLENGTH));
}

void ScintillaSurface::invalidateCaches()
{
    m_textCacheValid = false;
    m_textCache.clear();
    m_length16 = -1;
}

void ScintillaSurface::ensureUtf16Index()
{
    if (m_utf16Index)
        return;
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16);
    m_utf16Index = true;
}

ScintillaSurface::CharSpot ScintillaSurface::spotOf(int offset) const
{
    refreshIndex();
    offset = std::clamp(offset, 0, textLength());
    if (!m_utf16Index)
        return {offset, offset};
    const auto utf16 = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16;
    const long line = send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset), utf16);
    const int lineStart16 = int(send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line), utf16));
    const int lineStart = int(send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
    CharSpot spot{lineStart, lineStart16};
    if (offset == lineStart16)
        return spot;
    // At most three bytes per unit are passed, and the lead byte of the character found is read.
    const int span = std::min(byteLength() - lineStart, (offset - lineStart16) * 3 + 1);
    const auto *data = reinterpret_cast<const unsigned char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(lineStart), span));
    while (spot.offset < offset && spot.byte - lineStart < span) {
        const Utf8Char c = utf8CharOf(data[spot.byte - lineStart]);
        if (spot.offset + c.units > offset)
            break;
        spot.byte += c.bytes;
        spot.offset += c.units;
    }
    return spot;
}

int ScintillaSurface::toByte(int offset) const
{
    refreshIndex();
    offset = std::clamp(offset, 0, textLength());
    if (!m_utf16Index)
        return offset;
    const auto utf16 = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16;
    const long line = send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset), utf16);
    const long lineStart16 = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line), utf16);
    const long lineStart = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    if (offset == lineStart16)
        return int(lineStart);
    return int(send(QsciScintillaBase::SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(lineStart),
                    offset - lineStart16));
}

int ScintillaSurface::toOffset(int bytePos) const
{
    refreshIndex();
    bytePos = std::clamp(bytePos, 0, byteLength());
    if (!m_utf16Index)
        return bytePos;
    const long line = send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(bytePos));
    const long lineStart = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long lineStart16 = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                                  QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16);
    return int(lineStart16 + send(QsciScintillaBase::SCI_COUNTCODEUNITS, static_cast<unsigned long>(lineStart), bytePos));
}

QString ScintillaSurface::text() const
{
    if (!m_textCacheValid) {
        const int length = byteLength();
        const char *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
        m_textCache = m_utf16Index ? QString::fromUtf8(data, length) : QString::fromLatin1(data, length);
        m_textCacheValid = true;
    }
    return m_textCache;
}

QByteArray ScintillaSurface::textUtf8() const
{
    const int length = byteLength();
    const char *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return QByteArray::fromRawData(data, length);
}

int ScintillaSurface::textLength() const
{
    refreshIndex();
    if (!m_utf16Index)
        return byteLength();
    if (m_length16 < 0) {
        const long lastLine = send(QsciScintillaBase::SCI_GETLINECOUNT) - 1;
        const long lineStart = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(lastLine));
        const long lineStart16 = send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(lastLine),
                                      QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16);
        m_length16 = int(lineStart16
                         + send(QsciScintillaBase::SCI_COUNTCODEUNITS, static_cast<unsigned long>(lineStart), byteLength()));
    }
    return m_length16;
}

QString ScintillaSurface::textRange(int start, int length) const
{
    const int from = toByte(start);
    const int to = toByte(start + std::max(0, length));
    if (to <= from)
        return {};
    const char *data = reinterpret_cast<const char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    return m_utf16Index ? QString::fromUtf8(data, to - from) : QString::fromLatin1(data, to - from);
}

void ScintillaSurface::setText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    setTextUtf8(utf8, utf8.size() == text.size());
}

void ScintillaSurface::setTextUtf8(const QByteArray &utf8, bool isAscii)
{
    beginBulkLoad(isAscii, utf8.size());
    appendUtf8(utf8.constData(), utf8.size());
    endBulkLoad();
}

void ScintillaSurface::beginBulkLoad(bool isAscii, qsizetype sizeHint)
{
    // The widget's own change notifications would convert every inserted piece to a QString.
    send(QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
    send(QsciScintillaBase::SCI_CLEARALL);
    if (isAscii && m_utf16Index) {
        send(QsciScintillaBase::SCI_RELEASELINECHARACTERINDEX, QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16);
        m_utf16Index = false;
    }
    m_indexStale = false;
    // Two spare bytes: with only one, the first read of the whole text copies the document to make
    // room for its terminating NUL.
    if (sizeHint > 0)
        send(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(sizeHint + 2));
    m_bulkAscii = isAscii;
    invalidateCaches();
}

void ScintillaSurface::appendUtf8(const char *data, qsizetype length)
{
    if (length > 0)
        m_view->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(length), data);
}

void ScintillaSurface::endBulkLoad()
{
    // Allocated after the text is in: one pass instead of an update per piece.
    if (!m_bulkAscii)
        ensureUtf16Index();
    send(QsciScintillaBase::SCI_SETMODEVENTMASK, QsciScintillaBase::SC_MODEVENTMASKALL);
    send(QsciScintillaBase::SCI_SETSEL, 0, 0);
    m_typing = m_styles[0];
    invalidateCaches();
    if (m_events)
        m_events->surfaceChange();
}

TextFingerprint ScintillaSurface::fingerprint() const
{
    const char *data = reinterpret_cast<const char *>(send(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    return TextFingerprint::of(data, byteLength());
}

int ScintillaSurface::selStart() const
{
    return toOffset(int(send(QsciScintillaBase::SCI_GETSELECTIONSTART)));
}

int ScintillaSurface::selLength() const
{
    const long start = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (!m_utf16Index)
        return int(end - start);
    return toOffset(int(end)) - toOffset(int(start));
}

void ScintillaSurface::setSelStart(int start)
{
    const int pos = toByte(start);
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(pos), pos);
    m_typing = m_styles[0];
}

void ScintillaSurface::setSelLength(int length)
{
    const int start = selStart();
    const long anchor = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const int caret = toByte(start + std::max(0, length));
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
}

QString ScintillaSurface::selText() const
{
    const long start = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (end <= start)
        return {};
    const char *data = reinterpret_cast<const char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), end - start));
    return m_utf16Index ? QString::fromUtf8(data, int(end - start)) : QString::fromLatin1(data, int(end - start));
}

void ScintillaSurface::insertAtSelection(const QString &text)
{
    if (!isAsciiText(text))
        ensureUtf16Index();
    const QByteArray utf8 = text.toUtf8();
    send(QsciScintillaBase::SCI_TARGETFROMSELECTION);
    m_view->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(utf8.size()),
                          utf8.constData());
    const long start = send(QsciScintillaBase::SCI_GETTARGETSTART);
    const long end = send(QsciScintillaBase::SCI_GETTARGETEND);
    send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(end), end);
    if (!(m_typing == m_styles[0]))
        styleBytes(int(start), int(end - start), styleFor(m_typing));
}

void ScintillaSurface::setSelText(const QString &text)
{
    insertAtSelection(text);
}

CharFormat ScintillaSurface::selFormat() const
{
    const long start = send(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = send(QsciScintillaBase::SCI_GETSELECTIONEND);
    if (end <= start)
        return m_typing;
    return m_styles[std::size_t(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(start)) & 0xFF)];
}

template <typename Change> void ScintillaSurface::changeSelFormat(Change change)
{
    const int length = selLength();
    if (length == 0) {
        change(m_typing);
        return;
    }
    std::vector<FormatRun> runs = formatRuns(selStart(), length);
    for (FormatRun &run : runs)
        change(run.format);
    applyFormatRuns(selStart(), runs);
}

void ScintillaSurface::setSelColor(OleColor color)
{
    changeSelFormat([color](CharFormat &f) { f.color = color; });
}

void ScintillaSurface::setSelBold(bool bold)
{
    changeSelFormat([bold](CharFormat &f) { f.bold = bold; });
}

void ScintillaSurface::setSelItalic(bool italic)
{
    changeSelFormat([italic](CharFormat &f) { f.italic = italic; });
}

void ScintillaSurface::setSelFontName(const QString &name)
{
    changeSelFormat([&name](CharFormat &f) { f.fontName = name; });
}

void ScintillaSurface::setSelFontSize(double size)
{
    changeSelFormat([size](CharFormat &f) { f.fontSize = size; });
}

void ScintillaSurface::applyStyle(int style, const CharFormat &format)
{
    const auto s = static_cast<unsigned long>(style);
    send(QsciScintillaBase::SCI_STYLESETFORE, s, long(OleColors::fromQColor(OleColors::toQColor(format.color))));
    send(QsciScintillaBase::SCI_STYLESETBACK, s, long(OleColors::fromQColor(OleColors::toQColor(m_backColor))));
    send(QsciScintillaBase::SCI_STYLESETBOLD, s, format.bold);
    send(QsciScintillaBase::SCI_STYLESETITALIC, s, format.italic);
    const QByteArray font = format.fontName.toUtf8();
    m_view->SendScintilla(QsciScintillaBase::SCI_STYLESETFONT, s, font.constData());
    send(QsciScintillaBase::SCI_STYLESETSIZEFRACTIONAL, s, long(format.fontSize * 100 + 0.5));
}

int ScintillaSurface::styleFor(const CharFormat &format)
{
    if (format == m_styles[0])
        return 0;
    if (const auto it = m_styleOf.constFind(format); it != m_styleOf.cend())
        return *it;
    for (int s = 1; s < 256; ++s) {
        if (!m_styleUsed[std::size_t(s)]) {
            m_styleUsed[std::size_t(s)] = true;
            m_styles[std::size_t(s)] = format;
            m_styleOf.insert(format, s);
            applyStyle(s, format);
            return s;
        }
    }
    // Every style is taken: fall back to one that at least shows the same colour.
    for (int s = 1; s < 256; ++s) {
        if ((s < QsciScintillaBase::STYLE_DEFAULT || s > QsciScintillaBase::STYLE_LASTPREDEFINED)
            && m_styles[std::size_t(s)].color == format.color)
            return s;
    }
    return 0;
}

void ScintillaSurface::styleBytes(int byteStart, int length, int style)
{
    if (length <= 0)
        return;
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(byteStart), 0);
    send(QsciScintillaBase::SCI_SETSTYLING, static_cast<unsigned long>(length), style);
}

void ScintillaSurface::styleUnits(int start, const quint8 *units, int count, const std::array<char, 256> &table)
{
    if (count <= 0)
        return;
    const CharSpot spot = spotOf(start);
    int byte = spot.byte;
    int k = spot.offset - start;
    if (k < 0) {
        // Starting on the second unit of a pair: the pair belongs to the unit before the range.
        byte += 4;
        k = 1;
    }
    const int span = m_utf16Index ? std::min(byteLength() - byte, (count - k) * 3 + 1) : count;
    if (span <= 0 || k >= count)
        return;
    const auto *data = m_utf16Index ? reinterpret_cast<const unsigned char *>(send(
                                          QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(byte), span))
                                    : nullptr;
    // Handed over in pieces: a buffer as large as the document would cost more to allocate than to fill.
    constexpr int Piece = 1 << 16;
    std::array<char, Piece + 4> styles;
    send(QsciScintillaBase::SCI_STARTSTYLING, static_cast<unsigned long>(byte), 0);
    int b = 0;
    while (k < count && b < span) {
        int filled = 0;
        if (!data) {
            filled = std::min(Piece, count - k);
            for (int i = 0; i < filled; ++i)
                styles[std::size_t(i)] = table[units[k + i]];
            k += filled;
        } else {
            while (filled < Piece && k < count && b < span) {
                const Utf8Char c = utf8CharOf(data[b]);
                const int bytes = std::min(c.bytes, span - b);
                std::fill_n(styles.begin() + filled, bytes, table[units[k]]);
                filled += bytes;
                b += bytes;
                k += c.units;
            }
        }
        m_view->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, static_cast<unsigned long>(filled),
                              styles.data());
    }
}

void ScintillaSurface::applyFormatRuns(int start, const std::vector<FormatRun> &runs)
{
    start = std::clamp(start, 0, textLength());
    const std::size_t room = std::size_t(textLength() - start);
    std::vector<quint8> units;
    for (const FormatRun &run : runs) {
        const std::size_t length = std::min(std::size_t(std::max(0, run.length)), room - units.size());
        if (length > 0)
            units.insert(units.end(), length, quint8(styleFor(run.format)));
    }
    styleUnits(start, units.data(), int(units.size()), identityStyles());
}

void ScintillaSurface::applyStyleBuffer(int start, const std::vector<quint8> &styles,
                                        const std::vector<CharFormat> &palette)
{
    // Indices outside the palette stay 0, the default style.
    std::array<char, 256> table{};
    for (std::size_t i = 0; i < std::min<std::size_t>(palette.size(), table.size()); ++i)
        table[i] = char(styleFor(palette[i]));
    start = std::clamp(start, 0, textLength());
    const int count = int(std::min<qsizetype>(qsizetype(styles.size()), textLength() - start));
    styleUnits(start, styles.data(), count, table);
}

std::vector<FormatRun> ScintillaSurface::formatRuns(int start, int length) const
{
    std::vector<FormatRun> runs;
    const int from = toByte(start);
    const int to = toByte(start + std::max(0, length));
    if (to <= from)
        return runs;
    const auto *data = reinterpret_cast<const unsigned char *>(
        send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    const QByteArray bytes(reinterpret_cast<const char *>(data), to - from);
    int i = 0;
    const int n = to - from;
    while (i < n) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        int seq = 1;
        int units = 1;
        if (m_utf16Index) {
            if (lead >= 0xF0) {
                seq = 4;
                units = 2;
            } else if (lead >= 0xE0) {
                seq = 3;
            } else if (lead >= 0xC0) {
                seq = 2;
            }
        }
        const auto style = std::size_t(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(from + i)) & 0xFF);
        const CharFormat &format = m_styles[style];
        if (!runs.empty() && runs.back().format == format)
            runs.back().length += units;
        else
            runs.push_back({units, format});
        i += seq;
    }
    return runs;
}

CharFormat ScintillaSurface::formatAt(int offset) const
{
    if (offset < 0 || offset >= textLength())
        return m_styles[0];
    const int byte = spotOf(offset).byte;
    return m_styles[std::size_t(send(QsciScintillaBase::SCI_GETSTYLEAT, static_cast<unsigned long>(byte)) & 0xFF)];
}

QString ScintillaSurface::textRTF() const
{
    return rtfOfRange(0, textLength());
}

void ScintillaSurface::setTextRTF(const QString &rtf)
{
    replaceWithRtf(rtf, true);
}

QString ScintillaSurface::selRTF() const
{
    return rtfOfRange(selStart(), selLength());
}

void ScintillaSurface::setSelRTF(const QString &rtf)
{
    replaceWithRtf(rtf, false);
}

int ScintillaSurface::getLineFromChar(int offset) const
{
    refreshIndex();
    offset = std::clamp(offset, 0, textLength());
    if (!m_utf16Index)
        return int(send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(offset)));
    return int(send(QsciScintillaBase::SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset),
                    QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16));
}

int ScintillaSurface::lineCount() const
{
    return int(send(QsciScintillaBase::SCI_GETLINECOUNT));
}

int ScintillaSurface::lineIndex(int line) const
{
    refreshIndex();
    if (line < 0 || line >= lineCount())
        return -1;
    if (!m_utf16Index)
        return int(send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
    return int(send(QsciScintillaBase::SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line),
                    QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16));
}

int ScintillaSurface::firstVisibleLine() const
{
    const long visible = send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
    return int(send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(visible)));
}

void ScintillaSurface::setFirstVisibleLine(int line)
{
    const long visible = send(QsciScintillaBase::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(std::max(0, line)));
    send(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(visible));
}

void ScintillaSurface::scroll(ScrollKind kind)
{
    const long page = std::max(1L, send(QsciScintillaBase::SCI_LINESONSCREEN));
    long lines = 0;
    switch (kind) {
    case ScrollKind::LineUp: lines = -1; break;
    case ScrollKind::LineDown: lines = 1; break;
    case ScrollKind::PageUp: lines = -page; break;
    case ScrollKind::PageDown: lines = page; break;
    }
    send(QsciScintillaBase::SCI_LINESCROLL, 0, lines);
}

bool ScintillaSurface::setTabStops(int dialogUnits)
{
    if (dialogUnits <= 0 || dialogUnits > 32767)
        return false;
    send(QsciScintillaBase::SCI_SETTABWIDTH, static_cast<unsigned long>(std::max(1, dialogUnits / 4)));
    return true;
}

void ScintillaSurface::setWordWrap(bool on)
{
    send(QsciScintillaBase::SCI_SETWRAPMODE, on ? QsciScintillaBase::SC_WRAP_WORD : QsciScintillaBase::SC_WRAP_NONE);
}

bool ScintillaSurface::wordWrap() const
{
    return send(QsciScintillaBase::SCI_GETWRAPMODE) != QsciScintillaBase::SC_WRAP_NONE;
}

int ScintillaSurface::visibleLineCount() const
{
    return int(send(QsciScintillaBase::SCI_LINESONSCREEN));
}

std::optional<QString> ScintillaSurface::saveFile(const QString &path, int format) const
{
    return writeFile(path, format);
}

void ScintillaSurface::setDefaultFormat(const CharFormat &format)
{
    const bool typingWasDefault = m_typing == m_styles[0];
    m_styles[0] = format;
    applyStyle(QsciScintillaBase::STYLE_DEFAULT, format);
    applyStyle(0, format);
    if (typingWasDefault)
        m_typing = format;
}

void ScintillaSurface::setBackColor(OleColor color)
{
    m_backColor = color;
    applyStyle(QsciScintillaBase::STYLE_DEFAULT, m_styles[0]);
    for (int s = 0; s < 256; ++s) {
        if (m_styleUsed[std::size_t(s)] && (s < QsciScintillaBase::STYLE_DEFAULT || s > QsciScintillaBase::STYLE_LASTPREDEFINED))
            applyStyle(s, m_styles[std::size_t(s)]);
    }
}

void ScintillaSurface::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    m_view->setUpdatesEnabled(visible);
    if (visible)
        m_view->viewport()->update();
}

bool ScintillaSurface::isEnabled() const
{
    return m_view->isEnabled();
}

void ScintillaSurface::setEnabled(bool enabled)
{
    m_view->setEnabled(enabled);
}

void ScintillaSurface::setTabStop(bool on)
{
    m_view->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

void ScintillaSurface::setFocus()
{
    if (m_view->isEnabled())
        m_view->setFocus();
}

void ScintillaSurface::setGeometry(int left, int top, int width, int height)
{
    m_view->setGeometry(left, top, width, height);
}

QPoint ScintillaSurface::caretPos() const
{
    const long pos = send(QsciScintillaBase::SCI_GETCURRENTPOS);
    return {int(send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, pos)),
            int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, pos))};
}

int ScintillaSurface::lineTop(int line) const
{
    const long pos = send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return int(send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, pos));
}

int ScintillaSurface::lineHeight() const
{
    return int(send(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
}

void ScintillaSurface::setOverwriteCaret(bool block)
{
    m_caretStyle = block ? QsciScintillaBase::CARETSTYLE_BLOCK : QsciScintillaBase::CARETSTYLE_LINE;
    send(QsciScintillaBase::SCI_SETCARETSTYLE, static_cast<unsigned long>(m_caretStyle));
    if (!block)
        send(QsciScintillaBase::SCI_SETCARETWIDTH, 2);
}

void ScintillaSurface::hideCaret()
{
    send(QsciScintillaBase::SCI_SETCARETSTYLE, QsciScintillaBase::CARETSTYLE_INVISIBLE);
}

void ScintillaSurface::showCaret()
{
    send(QsciScintillaBase::SCI_SETCARETSTYLE, static_cast<unsigned long>(m_caretStyle));
}

void ScintillaSurface::onModified(int position, int type, const char *text, int length)
{
    Q_UNUSED(position);
    if (!(type & (QsciScintillaBase::SC_MOD_INSERTTEXT | QsciScintillaBase::SC_MOD_DELETETEXT)))
        return;
    invalidateCaches();
    if (m_utf16Index && joinsOrSplitsCrLf(position, type, text, length))
        m_indexStale = true;
    if ((type & QsciScintillaBase::SC_MOD_INSERTTEXT) && !m_utf16Index && text) {
        for (int i = 0; i < length; ++i) {
            if (static_cast<unsigned char>(text[i]) >= 0x80) {
                ensureUtf16Index();
                break;
            }
        }
    }
    if (m_events)
        m_events->surfaceChange();
}

bool ScintillaSurface::joinsOrSplitsCrLf(int position, int type, const char *text, int length) const
{
    const auto charAt = [this](long pos) { return char(send(QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(pos))); };
    if (type & QsciScintillaBase::SC_MOD_INSERTTEXT) {
        if (!text || length <= 0)
            return false;
        return (position > 0 && charAt(position - 1) == '\r' && (text[0] == '\n' || charAt(position + length) == '\n'))
            || (text[length - 1] == '\r' && charAt(position + length) == '\n');
    }
    return position > 0 && charAt(position - 1) == '\r';
}

void ScintillaSurface::refreshIndex() const
{
    // The widget's UTF-16 line index goes wrong when an edit joins or splits a CR LF pair; rebuild it.
    if (!m_indexStale)
        return;
    m_indexStale = false;
    const auto utf16 = QsciScintillaBase::SC_LINECHARACTERINDEX_UTF16;
    send(QsciScintillaBase::SCI_RELEASELINECHARACTERINDEX, utf16);
    send(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX, utf16);
    m_length16 = -1;
}

void ScintillaSurface::onUpdateUi(int updated)
{
    if (!m_events)
        return;
    if (updated & QsciScintillaBase::SC_UPDATE_SELECTION)
        m_events->surfaceSelectionChanged();
    if (updated & (QsciScintillaBase::SC_UPDATE_V_SCROLL | QsciScintillaBase::SC_UPDATE_H_SCROLL))
        m_events->surfaceScrolled();
}

void ScintillaSurface::typedRange(int byteStart, int byteEnd)
{
    if (byteEnd > byteStart && !(m_typing == m_styles[0]))
        styleBytes(byteStart, byteEnd - byteStart, styleFor(m_typing));
}

void ScintillaSurface::resetTypingFormat()
{
    m_typing = m_styles[0];
}
