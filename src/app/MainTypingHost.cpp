#include "MainTypingHost.h"

#include "KeyboardState.h"
#include "LanguageAssist.h"
#include "LeetCaptions.h"
#include "LiveHighlighter.h"
#include "ScintillaView.h"
#include "StatusBar.h"
#include "TypingAids.h"
#include "SearchWindows.h"
#include "UndoHistory.h"
#include "frmMain.h"

#include <QDialog>
#include <QLabel>

bool MainTypingHost::historyEmpty() const
{
    return m_window.history().position() == 0;
}

bool MainTypingHost::historyRecords() const
{
    return m_window.history().fileSize() <= UndoHistory::SizeLimit;
}

void MainTypingHost::addHistory()
{
    m_window.AddHistory();
}

void MainTypingHost::keyDownSeen()
{
    m_window.search().onMouseEvent();
    m_window.search().markDirty();
}

void MainTypingHost::rehighlightOnEnter(int key, int shift)
{
    m_window.liveHighlighter().onKeyDown(key, shift);
}

void MainTypingHost::rehighlightOnKeyUp(int key, int shift)
{
    m_window.liveHighlighter().onKeyUp(key, shift);
}

void MainTypingHost::afterBlockIndent(int start, int length)
{
    m_window.liveHighlighter().afterBlockIndent(start, length);
}

void MainTypingHost::showList()
{
    m_window.languageAssist().ShowListBox(false);
}

void MainTypingHost::hideList()
{
    m_window.languageAssist().hideList();
}

void MainTypingHost::showTip(bool afterClosing)
{
    m_window.languageAssist().showTip(afterClosing);
}

void MainTypingHost::hideTip()
{
    m_window.languageAssist().hideTip();
}

void MainTypingHost::showHint(const QString &text)
{
    m_window.showHint(text);
}

bool MainTypingHost::overwrite() const
{
    return m_window.txtText()->overwriteMode();
}

void MainTypingHost::setOverwrite(bool on)
{
    m_window.txtText()->setOverwriteMode(on);
    m_window.statusLabels().lblINS->setText(on ? QStringLiteral("OVR") : QStringLiteral("INS"));
    m_window.surface().setOverwriteCaret(on);
}

void MainTypingHost::refreshBlockCaret()
{
    m_window.surface().setOverwriteCaret(true);
}

void MainTypingHost::popUpEditMenu()
{
    const QPoint caret = m_window.surface().caretPos();
    ScintillaView *view = m_window.txtText();
    m_window.surfaceContextMenu(view->viewport()->mapToGlobal(QPoint(caret.x(), caret.y() + view->textHeight(0))));
}

void MainTypingHost::capsLockPressed()
{
    // Where the platform cannot tell the lock's state, the key press is all there is to go by.
    if (!capsLockState()) {
        QLabel *caps = m_window.statusLabels().lblCaps;
        caps->setVisible(!caps->isVisible());
    }
}

void MainTypingHost::capsLockReleased()
{
    m_window.refreshCapsLock();
}

void MainTypingHost::l33tCaptions()
{
    LeetCaptions::apply();
}

void MainTypingHost::settingsToggled()
{
    m_window.settingsChanged = true;
}

void MainTypingHost::caretMoved(int shift)
{
    m_window.updateXY(shift);
}

bool MainTypingHost::markupDocument() const
{
    return TypingAids::tagsAreMarkup(m_window.language, m_window.strfilename);
}

IndentStyle MainTypingHost::indentStyle() const
{
    return m_window.indentation.style(m_window.settings);
}
