#include "MainWindowHooks.h"

#include "CommandTable.h"
#include "LanguageMenu.h"
#include "StatusBar.h"
#include "frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace MainWindowHooks {

HighlightHost highlightHost(frmMain &w)
{
    HighlightHost host;
    host.hintCaption = [&w] { return w.statusLabels().lblToolTip->text(); };
    host.setHintCaption = [&w](const QString &text) { w.statusLabels().lblToolTip->setText(text); };
    host.enableToolTipTimer = [&w] { w.statusLabels().tmrToolTip->start(); };
    host.yield = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    host.background = true;
    return host;
}

CommandContext commandContext(frmMain &w)
{
    return CommandContext{w.surface(), w.settings, &w, w.strfilename, w.encoding, w.isUnix,
                          [&w] { w.AddHistory(); },
                          [&w] {
                              w.markChanged();
                              w.refreshView();
                          },
                          [&w] {
                              if (QAction *wrap = CommandTable::findCommand(&w, "mnuFormatWordWrap"))
                                  wrap->setChecked(w.settings.WordWrap);
                              w.refreshView();
                          },
                          [&w](const QString &text) { w.showHint(text); },
                          [&w] { return w.languages().highlightingActive(); },
                          [&w](int start, int length) { w.highlighter().renderRange(start, length); },
                          [&w] { w.highlighter().renderDocument(); },
                          &w.indentation};
}

OutsideChanges::Hooks outsideChanges(frmMain &w)
{
    return OutsideChanges::Hooks{[&w] {
                                     w.LoadMySettings(true);
                                     w.RefreshHighlighting();
                                 },
                                 [&w] {
                                     w.recentFiles.LoadRecentFiles();
                                     w.refreshRecentMenu();
                                 },
                                 [&w] { w.ReadFile(w.strfilename, false); },
                                 [&w] { w.markChanged(); },
                                 [&w] { w.FileClose(false); }};
}

} // namespace MainWindowHooks
