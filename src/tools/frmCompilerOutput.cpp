#include "frmCompilerOutput.h"

#include "OleColor.h"
#include "Settings.h"
#include "modTransparent.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QScrollBar>
#include <QVBoxLayout>

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
    QFont font(settings.Font);
    font.setPointSizeF(settings.FontSize > 0 ? settings.FontSize : 8);
    font.setBold(settings.TextBold);
    font.setItalic(settings.TextItalic);
    font.setStyleHint(QFont::TypeWriter);
    m_box->setFont(font);
    QPalette palette = m_box->palette();
    palette.setColor(QPalette::Text, OleColors::toQColor(settings.fcolor));
    palette.setColor(QPalette::Base, OleColors::toQColor(settings.BackColor));
    m_box->setPalette(palette);
    m_box->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_box);
    resize(560, 260);
    modTransparent::applyTranslucency(this, settings.FormTransparent, settings.Lucidity);
}

void frmCompilerOutput::clear()
{
    m_text.clear();
    m_box->clear();
}

void frmCompilerOutput::appendChunk(const QString &chunk)
{
    m_text += QStringLiteral("\r\n") + chunk;
    QString shown = QLatin1Char('\n') + chunk;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Appended at the end rather than set whole, so a long run costs its length, not its square.
    QTextCursor cursor(m_box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    m_box->moveCursor(QTextCursor::End);
    m_box->ensureCursorVisible();
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
    if (watched == m_box && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmCompilerOutput::closeEvent(QCloseEvent *event)
{
    emit closing();
    QWidget::closeEvent(event);
}
