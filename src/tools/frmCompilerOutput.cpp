#include "frmCompilerOutput.h"

#include "OleColor.h"
#include "Settings.h"
#include "modTransparent.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

// Underlines the lines that name a place, so they read as something to go to.
class LocationMarker : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString &text) override
    {
        if (!CompilerMessages::locate(text))
            return;
        QTextCharFormat format;
        format.setFontUnderline(true);
        format.setFontWeight(QFont::Bold);
        setFormat(0, int(text.size()), format);
    }
};

} // namespace

frmCompilerOutput::frmCompilerOutput(QWidget *owner, const Settings &settings)
    : QWidget(owner, Qt::Window), m_box(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmCompilerOutput"));
    setWindowTitle(QStringLiteral("Output"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (settings.AlwaysOnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);

    m_box->setObjectName(QStringLiteral("txtOutput"));
    m_box->setAccessibleName(QStringLiteral("Output"));
    // Selectable and copyable, with a visible caret, but not editable: it is a record of the run.
    m_box->setReadOnly(true);
    m_box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_box->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_box->setFrameShape(QFrame::NoFrame);
    m_box->setUndoRedoEnabled(false);
    // The editor's font where it is fixed-width; compilers draw carets and columns under the code.
    QFont font(settings.Font);
    font.setPointSizeF(settings.FontSize > 0 ? settings.FontSize : 10);
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) {
        const qreal size = font.pointSizeF();
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(size);
    }
    m_box->setFont(font);
    QPalette palette = m_box->palette();
    palette.setColor(QPalette::Text, OleColors::toQColor(settings.fcolor));
    palette.setColor(QPalette::Base, OleColors::toQColor(settings.BackColor));
    m_box->setPalette(palette);
    m_box->installEventFilter(this);
    m_box->viewport()->installEventFilter(this);
    m_marker = new LocationMarker(m_box->document());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_box);
    resize(720, 300);
    modTransparent::applyTranslucency(this, settings.FormTransparent, settings.Lucidity);
}

void frmCompilerOutput::clear()
{
    m_text.clear();
    m_pendingCr = false;
    m_openBreak = false;
    m_box->clear();
}

void frmCompilerOutput::appendChunk(const QString &chunk)
{
    if (chunk.isEmpty())
        return;
    QString shown = chunk;
    // A CR that ended the last chunk is a line break unless this one starts with its LF.
    if (m_pendingCr && !shown.startsWith(QLatin1Char('\n')))
        shown.prepend(QLatin1Char('\n'));
    m_pendingCr = shown.endsWith(QLatin1Char('\r'));
    if (m_pendingCr)
        shown.chop(1);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    insert(shown);
}

void frmCompilerOutput::appendLine(const QString &line)
{
    QString shown = m_pendingCr ? QStringLiteral("\n") : QString();
    m_pendingCr = false;
    if (!m_text.isEmpty() && !m_text.endsWith(QLatin1Char('\n')) && shown.isEmpty())
        shown += QLatin1Char('\n');
    insert(shown + line + QLatin1Char('\n'));
}

void frmCompilerOutput::insert(const QString &shown)
{
    if (shown.isEmpty())
        return;
    m_text += shown;
    // A line break ending the text would leave an empty last line in the box: it is added with
    // the next text instead, so that the box shows no blank line the output did not hold.
    QString boxed = shown;
    if (m_openBreak)
        boxed.prepend(QLatin1Char('\n'));
    m_openBreak = boxed.endsWith(QLatin1Char('\n'));
    if (m_openBreak)
        boxed.chop(1);
    // Appended at the end rather than set whole, so a long run costs its length, not its square.
    QTextCursor cursor(m_box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(boxed);
    m_box->moveCursor(QTextCursor::End);
    m_box->ensureCursorVisible();
}

std::optional<SourceLocation> frmCompilerOutput::locationAt(int boxLine) const
{
    const QTextBlock block = m_box->document()->findBlockByNumber(boxLine);
    if (!block.isValid())
        return std::nullopt;
    return CompilerMessages::locate(block.text());
}

bool frmCompilerOutput::activate(int boxLine)
{
    const auto where = locationAt(boxLine);
    if (!where)
        return false;
    emit locationActivated(*where);
    return true;
}

void frmCompilerOutput::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmCompilerOutput::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_box && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            close();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && activate(m_box->textCursor().blockNumber()))
            return true;
    }
    if (watched == m_box->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        const QTextCursor at = m_box->cursorForPosition(pos);
        m_box->setTextCursor(at);
        if (activate(at.blockNumber()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmCompilerOutput::closeEvent(QCloseEvent *event)
{
    emit closing();
    QWidget::closeEvent(event);
}
