#pragma once

#include "RecoveryStore.h"

#include <QString>

#include <functional>

class QWidget;

// The question a starting window asks about the copies that a window ended without saving left
// behind and the files that windows which ended so showed, and what its answer does with them.
class RecoveryOffer {
public:
    enum class Answer { Nothing, Recover, Discard, Later };

    // Where the recovered copies go.
    class Host {
    public:
        virtual ~Host() = default;
        // False when this window keeps its own document.
        virtual bool canRestoreHere() const = 0;
        // Shows one copy in this window.
        virtual void restoreHere(const RecoveryStore::Orphan &orphan) = 0;
        // The file this window shows already, or empty: its window needs no second one.
        virtual QString shownHere() const { return {}; }
        // Starts another window for the copy; false when it could not be started.
        virtual bool startElsewhere(const QString &file) = 0;
    };

    static QString question(const QList<RecoveryStore::Orphan> &orphans);
    static QString reopenList(const QList<RecoveryStore::Orphan> &windows);
    static QString damagedReport(const QList<RecoveryStore::Damaged> &damaged);

    // Asks once about every copy whose window is gone; damaged copies are reported and kept.
    static Answer run(RecoveryStore &store, QWidget *owner, Host &host);
};
