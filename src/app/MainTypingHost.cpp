#include "MainTypingHost.h"

#include "CommandContext.h"
#include "KeyboardState.h"
#include "LanguageAssist.h"
#include "LeetCaptions.h"
#include "LiveHighlighter.h"
#include "ScintillaSurface.h"
#include "ScintillaView.h"
#include "SearchWindows.h"
#include "StatusBar.h"
#include "TypingAids.h"
#include "UndoHistory.h"
#include "frmMain.h"

#include <QLabel>

bool MainTypingHost::historyEmpty() const { return m_n.history.position() == 0; }
bool MainTypingHost::historyRecords() const { return m_n.history.fileSize() <= UndoHistory::SizeLimit; }
void MainTypingHost::addHistory() { m_n.commands.addHistory(); }

void MainTypingHost::keyDownSeen()
{
    m_n.search.onMouseEvent();
    m_n.search.markDirty();
}

void MainTypingHost::rehighlightOnEnter(int key, int shift) { m_n.live.onKeyDown(key, shift); }
void MainTypingHost::rehighlightOnKeyUp(int key, int shift) { m_n.live.onKeyUp(key, shift); }
void MainTypingHost::afterBlockIndent(int start, int length) { m_n.live.afterBlockIndent(start, length); }
void MainTypingHost::showList() { m_n.assist.ShowListBox(false); }
void MainTypingHost::hideList() { m_n.assist.hideList(); }
void MainTypingHost::showTip(bool afterClosing) { m_n.assist.showTip(afterClosing); }
void MainTypingHost::hideTip() { m_n.assist.hideTip(); }
void MainTypingHost::showHint(const QString &text) { m_n.status.showHint(text); }
bool MainTypingHost::overwrite() const { return m_n.surface.view()->overwriteMode(); }

void MainTypingHost::setOverwrite(bool on)
{
    m_n.surface.view()->setOverwriteMode(on);
    m_n.status.lblINS->setText(on ? QStringLiteral("OVR") : QStringLiteral("INS"));
    m_n.surface.setOverwriteCaret(on);
}

void MainTypingHost::refreshBlockCaret() { m_n.surface.setOverwriteCaret(true); }

void MainTypingHost::popUpEditMenu()
{
    const QPoint caret = m_n.surface.caretPos();
    ScintillaView *view = m_n.surface.view();
    m_window.surfaceContextMenu(view->viewport()->mapToGlobal(QPoint(caret.x(), caret.y() + view->textHeight(0))));
}

void MainTypingHost::capsLockPressed()
{
    // Where the platform cannot tell the lock's state, the key press is all there is to go by.
    if (!capsLockState()) {
        QLabel *caps = m_n.status.lblCaps;
        caps->setVisible(!caps->isVisible());
    }
}

void MainTypingHost::capsLockReleased() { m_n.status.refreshCapsLock(); }
void MainTypingHost::l33tCaptions() { LeetCaptions::apply(); }
void MainTypingHost::settingsToggled() { m_window.noteSettingsChanged(); }
void MainTypingHost::caretMoved(int shift) { m_window.updateXY(shift); }

bool MainTypingHost::markupDocument() const
{
    return TypingAids::tagsAreMarkup(m_window.m_language, m_window.strfilename);
}

IndentStyle MainTypingHost::indentStyle() const
{
    return m_window.m_indentation.style(m_window.m_settings);
}
