#pragma once

#include "EditorSurface.h"
#include "TextCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <variant>

class QLockFile;

// What a recovery copy holds: enough to show the document again as it was, unsaved.
struct RecoveryRecord {
    QString path;                  // the document's file, or "Untitled"
    TextEncoding encoding = TextEncoding::Utf8;
    bool utf8Bom = false;
    bool isUnix = true;
    bool isBinary = false;
    int caret = 0;
    QString written;               // when the copy was made, ISO 8601 UTC
    QString fileStamp;             // the file as the document last knew it, to tell an outside change
    QByteArray text;               // the surface's text, UTF-8
};

// The recovery folder: one copy per process that has unsaved changes, each guarded by a lock that
// names its process, so a copy whose process is gone can be told from one still being written.
class RecoveryStore {
public:
    static constexpr const char *Suffix = ".recovery";

    explicit RecoveryStore(QString folder);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    QString folder() const { return m_folder; }

    // This process's own copy, locked for as long as the store lives; empty when no lock can be had.
    QString ownFile();

    // Safe on any thread: they touch only the file given.
    static QByteArray encode(const RecoveryRecord &record);
    // The record, or why the bytes are not a complete copy.
    static std::variant<RecoveryRecord, QString> decode(const QByteArray &bytes);
    static std::optional<QString> write(const QString &file, const RecoveryRecord &record);
    // The same with the text (record.text is not read) taken from a loan of the document's own
    // bytes, piece by piece under its lock. When the text changes before all of it is written,
    // nothing is left on the disk, ended is set and nullopt returned: the change asks for a new copy.
    static std::optional<QString> writeLent(const QString &file, const RecoveryRecord &record, const TextLoan &text,
                                            bool &ended);
    static std::variant<RecoveryRecord, QString> read(const QString &file);
    static void removeFile(const QString &file);
    // Beside each copy (or its lock alone): the window's file and caret, with no text, so the
    // windows that were open come back after a crash too.
    static QString windowFileOf(const QString &file) { return file + QStringLiteral(".window"); }

    struct Orphan {
        QString file;
        RecoveryRecord record;
        bool windowOnly = false;   // a window whose document had no unsaved changes: reopen its file
    };
    struct Damaged {
        QString file;      // where it is kept now
        QString problem;
    };
    struct Found {
        QList<Orphan> orphans;
        QList<Orphan> windows;
        QList<Damaged> damaged;
    };
    // The copies whose process is no longer running, oldest first. Each is claimed (locked by this
    // process) so no other window offers it too; a damaged one is set aside under another name.
    Found claimOrphans();
    // Whether claimOrphans would find a copy or a window to offer, claiming nothing.
    bool hasOrphans() const;
    // Claims one copy; false when a running process holds it.
    bool claim(const QString &file);
    // Lets another process claim the copy.
    void release(const QString &file);
    // Removes a claimed copy (and its window record) for good.
    void discard(const QString &file);
    // Moves a claimed copy into this process's own file, so it stays guarded until it is replaced.
    std::optional<QString> adopt(const QString &file);

private:
    QString m_folder;
    QString m_own;
    std::map<QString, std::unique_ptr<QLockFile>> m_locks;
};
