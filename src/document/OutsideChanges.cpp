#include "OutsideChanges.h"

#include "ChangeDetector.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "Prompter.h"
#include "Settings.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

OutsideChanges::OutsideChanges(ChangeDetector &detector, DocumentState &state, EditorSurface &surface,
                               const Settings &settings, QWidget *owner, Host &host)
    : m_detector(detector)
    , m_state(state)
    , m_surface(surface)
    , m_settings(settings)
    , m_owner(owner)
    , m_host(host)
{
}

void OutsideChanges::run()
{
    // A question of an earlier round is still open: its answer settles this round too.
    if (m_running)
        return;
    const QScopedValueRollback guard(m_running, true);
    m_detector.setAsking(true);
    const auto doneAsking = qScopeGuard([this] { m_detector.setAsking(false); });
    // The settings decide what happens to the document, so another window's save comes first.
    if (m_detector.settingsChanged())
        m_host.reloadSettings();
    const QString path = m_state.strfilename;
    const auto checks = m_detector.runChecks(path, m_surface.selStart(), m_surface.selLength(),
                                             {m_settings.DisableFileChangeDetection,
                                              m_settings.AutoUpdateChangedFiles, !m_state.isDocumentSaved});
    if (checks.reloadRecentFiles)
        m_host.reloadRecentFiles();
    const auto reload = [&] {
        m_host.reloadDocument();
        m_surface.setSelStart(checks.selStart);
        m_surface.setSelLength(checks.selLength);
    };
    switch (checks.document) {
    case ChangeDetector::DocumentAction::None:
        break;
    case ChangeDetector::DocumentAction::Reload:
        reload();
        break;
    case ChangeDetector::DocumentAction::AskChanged:
        if (askUser(m_owner, ChangeDetector::changedMessage(path), ChangeDetector::changedTitle(),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
            == QMessageBox::Yes)
            reload();
        else
            m_detector.decline();
        break;
    case ChangeDetector::DocumentAction::AskDeleted:
        if (askUser(m_owner, ChangeDetector::deletedMessage(path), ChangeDetector::deletedTitle(),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical)
            == QMessageBox::Yes) {
            m_detector.keepDeleted();
            m_host.markUnsaved();
        } else {
            m_host.closeDocument();
            m_detector.decline();
        }
        break;
    }
}
