#include "RecoveryOffer.h"

#include "DocumentState.h"
#include "Prompter.h"
#include "TextCodec.h"

#include <QDateTime>
#include <QStringList>

namespace {
const QString kTitle = QStringLiteral("Orvane");
} // namespace

QString RecoveryOffer::question(const QList<RecoveryStore::Orphan> &orphans)
{
    QStringList names;
    for (const auto &orphan : orphans)
        names << orphan.record.path + QStringLiteral(" (")
                + QDateTime::fromString(orphan.record.written, Qt::ISODateWithMs).toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                + QLatin1Char(')');
    return QStringLiteral("Orvane was closed without saving changes to:\n\n") + names.join(QLatin1Char('\n'))
        + QStringLiteral("\n\nRecover them?");
}

QString RecoveryOffer::damagedReport(const QList<RecoveryStore::Damaged> &damaged)
{
    QStringList lines;
    for (const auto &copy : damaged)
        lines << copy.file + QStringLiteral(": ") + copy.problem;
    return QStringLiteral("These recovery copies are damaged and were not loaded; they are kept as they are:\n\n")
        + lines.join(QLatin1Char('\n'));
}

QString RecoveryOffer::reopenList(const QList<RecoveryStore::Orphan> &windows)
{
    QStringList names;
    for (const auto &window : windows)
        names << window.record.path;
    return names.join(QLatin1Char('\n'));
}

RecoveryOffer::Answer RecoveryOffer::run(RecoveryStore &store, QWidget *owner, Host &host)
{
    const RecoveryStore::Found found = store.claimOrphans();
    if (!found.damaged.isEmpty())
        askUser(owner, damagedReport(found.damaged), kTitle, QMessageBox::Ok, QMessageBox::Warning);
    // A file shown once is enough: a recovered copy already brings its window back.
    QList<RecoveryStore::Orphan> windows;
    QStringList shown;
    if (!host.shownHere().isEmpty())
        shown << host.shownHere();
    for (const auto &orphan : found.orphans)
        shown << orphan.record.path;
    for (const auto &window : found.windows) {
        if (shown.contains(window.record.path) || !FileExists(window.record.path)) {
            store.discard(window.file);
            continue;
        }
        shown << window.record.path;
        windows << window;
    }
    const QList<RecoveryStore::Orphan> all = found.orphans + windows;
    if (all.isEmpty())
        return Answer::Nothing;

    QMessageBox::StandardButton answer = QMessageBox::No;
    if (found.orphans.isEmpty()) {
        answer = askUser(owner,
                         QStringLiteral("Orvane was closed while these files were open:\n\n") + reopenList(windows)
                             + QStringLiteral("\n\nOpen them again?"),
                         kTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
        if (answer == QMessageBox::No)
            answer = QMessageBox::Discard;
    } else {
        QString text = question(found.orphans);
        if (!windows.isEmpty())
            text += QStringLiteral("\n\nRecover also opens again the files that were open:\n\n") + reopenList(windows);
        answer = askUser(owner, text, kTitle,
                         Prompter::ButtonCaptions{{QMessageBox::Yes, QStringLiteral("&Recover")},
                                                  {QMessageBox::Discard, QStringLiteral("&Discard")},
                                                  {QMessageBox::No, QStringLiteral("&Later")}},
                         QMessageBox::Question);
        if (answer == QMessageBox::Discard
            && askUser(owner, QStringLiteral("Discard the unsaved changes to these documents? They cannot be recovered afterwards."),
                       kTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning)
                != QMessageBox::Yes)
            answer = QMessageBox::No;
    }
    if (answer == QMessageBox::Discard) {
        for (const auto &orphan : all)
            store.discard(orphan.file);
        return Answer::Discard;
    }
    if (answer != QMessageBox::Yes) {
        // Held until this window ends, so no other window of this session asks again.
        return Answer::Later;
    }
    bool here = host.canRestoreHere();
    for (const auto &orphan : all) {
        if (here) {
            here = false;
            host.restoreHere(orphan);
            continue;
        }
        // The new window claims the copy itself.
        store.release(orphan.file);
        if (!host.startElsewhere(orphan.file)) {
            store.claim(orphan.file);
            askUser(owner, QStringLiteral("Couldn't start a new window for ") + orphan.record.path, QStringLiteral("Error"),
                    QMessageBox::Ok, QMessageBox::Critical);
        }
    }
    return Answer::Recover;
}
