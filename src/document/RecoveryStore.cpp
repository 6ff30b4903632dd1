#include "RecoveryStore.h"

#include "FileIO.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <signal.h>

namespace {

const QByteArray kMagic = QByteArrayLiteral("Orvane recovery 1");
const QByteArray kDigest = QByteArrayLiteral("sum64 ");

QString lockOf(const QString &file)
{
    return file + QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> tryLock(const QString &file)
{
    auto lock = std::make_unique<QLockFile>(lockOf(file));
    // Only a dead owner makes a lock stale: a window may keep its copy for days.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

// length: of the text the copy holds, when it is not record.text.
QByteArray fieldsOf(const RecoveryRecord &record, qsizetype length = -1)
{
    QByteArray fields;
    const auto add = [&fields](const char *name, const QByteArray &value) {
        fields += name;
        fields += ' ';
        fields += value;
        fields += '\n';
    };
    add("path", FileIO::encodePath(record.path).toHex());
    add("encoding", QByteArray::number(int(record.encoding)));
    add("bom", record.utf8Bom ? "1" : "0");
    add("unix", record.isUnix ? "1" : "0");
    add("binary", record.isBinary ? "1" : "0");
    add("caret", QByteArray::number(record.caret));
    add("written", record.written.toUtf8());
    add("filestamp", record.fileStamp.toUtf8());
    add("length", QByteArray::number(length < 0 ? record.text.size() : length));
    fields += '\n';
    return fields;
}

quint64 rotl(quint64 x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

// The same sum taken over a text given in pieces whose sizes are multiples of 32 bytes but for
// the last: a large document's text is read piece by piece under the lock of its loan.
class Checksum {
public:
    static constexpr quint64 P1 = 0x9E3779B185EBCA87ULL;
    static constexpr quint64 P2 = 0xC2B2AE3D27D4EB4FULL;
    explicit Checksum(quint64 seed) : m_lane{seed + P1, seed + P2, seed, seed - P1} {}

    void add(QByteArrayView bytes)
    {
        const char *data = bytes.data();
        const qsizetype size = bytes.size();
        qsizetype at = 0;
        for (; at + 32 <= size; at += 32) {
            for (int n = 0; n < 4; ++n) {
                quint64 word;
                std::memcpy(&word, data + at + 8 * n, 8);
                m_lane[n] = rotl(m_lane[n] + word * P2, 31) * P1;
            }
        }
        m_size += size;
        m_tail = bytes.sliced(at);
    }
    quint64 finish() const
    {
        quint64 sum = rotl(m_lane[0], 1) + rotl(m_lane[1], 7) + rotl(m_lane[2], 12) + rotl(m_lane[3], 18) + quint64(m_size);
        for (const char c : m_tail)
            sum = rotl(sum ^ (quint64(uchar(c)) * P1), 11) * P2;
        sum ^= sum >> 33;
        sum *= P2;
        sum ^= sum >> 29;
        sum *= P1;
        sum ^= sum >> 32;
        return sum;
    }

private:
    quint64 m_lane[4];
    qsizetype m_size = 0;
    QByteArrayView m_tail;
};

// A 64-bit checksum over four lanes of eight bytes: it finds a flipped or missing byte, and sums
// 50 MB in a few milliseconds where a cryptographic hash takes the worker a fifth of a second.
quint64 checksum(QByteArrayView bytes, quint64 seed)
{
    Checksum sum(seed);
    sum.add(bytes);
    return sum.finish();
}

QByteArray digestOf(const QByteArray &fields, const QByteArray &text)
{
    return QByteArray::number(checksum(text, checksum(fields, 0)), 16).rightJustified(16, '0');
}

} // namespace

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
}

RecoveryStore::~RecoveryStore() = default;

QString RecoveryStore::ownFile()
{
    if (!m_own.isEmpty())
        return m_own;
    if (!QDir().mkpath(m_folder))
        return {};
    // The process id keeps two windows apart; the time keeps a reused id off a dead window's copy.
    const QString stem = m_folder + QLatin1Char('/') + QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-')
        + QString::number(QDateTime::currentMSecsSinceEpoch(), 36);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString file = stem + (attempt ? QLatin1Char('-') + QString::number(attempt) : QString())
            + QLatin1String(Suffix);
        if (QFileInfo::exists(file) || QFileInfo::exists(lockOf(file)))
            continue;
        if (auto lock = tryLock(file)) {
            m_locks[file] = std::move(lock);
            m_own = file;
            return m_own;
        }
    }
    return {};
}

QByteArray RecoveryStore::encode(const RecoveryRecord &record)
{
    const QByteArray fields = fieldsOf(record);
    return kMagic + '\n' + kDigest + digestOf(fields, record.text) + '\n' + fields + record.text;
}

std::variant<RecoveryRecord, QString> RecoveryStore::decode(const QByteArray &bytes)
{
    const qsizetype magicEnd = bytes.indexOf('\n');
    if (magicEnd < 0 || bytes.left(magicEnd) != kMagic)
        return QStringLiteral("it is not a recovery copy");
    const qsizetype digestEnd = bytes.indexOf('\n', magicEnd + 1);
    const QByteArray digestLine = bytes.mid(magicEnd + 1, digestEnd - magicEnd - 1);
    if (digestEnd < 0 || !digestLine.startsWith(kDigest))
        return QStringLiteral("its checksum is missing");
    const qsizetype fieldsEnd = bytes.indexOf("\n\n", digestEnd + 1);
    if (fieldsEnd < 0)
        return QStringLiteral("it is cut short");
    const QByteArray fields = bytes.mid(digestEnd + 1, fieldsEnd + 2 - (digestEnd + 1));
    const QByteArray text = bytes.mid(fieldsEnd + 2);
    if (digestOf(fields, text) != digestLine.mid(kDigest.size()))
        return QStringLiteral("its checksum does not match");

    RecoveryRecord record;
    record.text = text;
    bool lengthMatches = false;
    for (const QByteArray &line : fields.split('\n')) {
        const qsizetype blank = line.indexOf(' ');
        if (blank < 0)
            continue;
        const QByteArray name = line.left(blank);
        const QByteArray value = line.mid(blank + 1);
        if (name == "path")
            record.path = FileIO::decodePath(QByteArray::fromHex(value));
        else if (name == "encoding")
            record.encoding = TextEncoding(std::clamp(value.toInt(), 0, int(TextEncoding::Utf16)));
        else if (name == "bom")
            record.utf8Bom = value == "1";
        else if (name == "unix")
            record.isUnix = value == "1";
        else if (name == "binary")
            record.isBinary = value == "1";
        else if (name == "caret")
            record.caret = value.toInt();
        else if (name == "written")
            record.written = QString::fromUtf8(value);
        else if (name == "filestamp")
            record.fileStamp = QString::fromUtf8(value);
        else if (name == "length")
            lengthMatches = value.toLongLong() == text.size();
    }
    if (!lengthMatches || record.path.isEmpty())
        return QStringLiteral("it is incomplete");
    return record;
}

std::optional<QString> RecoveryStore::write(const QString &file, const RecoveryRecord &record)
{
    const QByteArray fields = fieldsOf(record);
    const QByteArray head = kMagic + '\n' + kDigest + digestOf(fields, record.text) + '\n' + fields;
    // Head and text go to the disk one after the other: a 50 MB copy is not copied once more.
    return FileIO::writeAtomically(file, [&](const FileIO::PieceWriter &put) {
        return put(head.constData(), head.size()) && put(record.text.constData(), record.text.size());
    });
}

std::optional<QString> RecoveryStore::writeLent(const QString &file, const RecoveryRecord &record, const TextLoan &text,
                                                bool &ended)
{
    ended = text.ended();
    if (ended)
        return std::nullopt;
    const qsizetype length = text.size();
    const QByteArray fields = fieldsOf(record, length);
    // A piece at a time, copied out under the loan and summed or written outside it: a key waits
    // for a copy of one piece at most, never for the disk.
    constexpr qsizetype Piece = qsizetype(256) << 10;
    QByteArray piece;
    const auto pieceAt = [&](qsizetype at) {
        piece.clear();
        if (!text.append(at, Piece, piece))
            ended = true;
        return !ended;
    };
    Checksum sum(checksum(fields, 0));
    // The sum may read a piece's tail again at its end: the last piece is kept whole.
    QByteArray last;
    for (qsizetype at = 0; at < length; at += Piece) {
        if (!pieceAt(at))
            return std::nullopt;
        if (piece.isEmpty())
            break;
        last = piece;
        sum.add(last);
    }
    const QByteArray head = kMagic + '\n' + kDigest + QByteArray::number(sum.finish(), 16).rightJustified(16, '0') + '\n' + fields;
    const std::optional<QString> error = FileIO::writeAtomically(file, [&](const FileIO::PieceWriter &put) {
        if (!put(head.constData(), head.size()))
            return false;
        for (qsizetype at = 0; at < length; at += Piece) {
            if (!pieceAt(at) || !put(piece.constData(), piece.size()))
                return false;
        }
        return true;
    });
    return ended ? std::nullopt : error;
}

std::variant<RecoveryRecord, QString> RecoveryStore::read(const QString &file)
{
    const auto bytes = FileIO::readAll(file);
    if (!bytes)
        return QStringLiteral("it cannot be read");
    return decode(*bytes);
}

void RecoveryStore::removeFile(const QString &file)
{
    QFile::remove(file);
}

RecoveryStore::Found RecoveryStore::claimOrphans()
{
    Found found;
    QDir dir(m_folder);
    QFileInfoList entries = dir.entryInfoList({QStringLiteral("*") + QLatin1String(Suffix)}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo &entry : entries) {
        const QString file = entry.filePath();
        if (file == m_own || m_locks.count(file) || !claim(file))
            continue;
        auto result = read(file);
        if (auto *record = std::get_if<RecoveryRecord>(&result)) {
            found.orphans.append({file, std::move(*record)});
            continue;
        }
        // Kept for whoever can still make use of it, but out of the way of every later start.
        QString kept = file + QStringLiteral(".damaged");
        for (int n = 1; QFileInfo::exists(kept); ++n)
            kept = file + QStringLiteral(".damaged") + QString::number(n);
        if (!QFile::rename(file, kept))
            kept = file;
        QFile::remove(windowFileOf(file));
        found.damaged.append({kept, std::get<QString>(result)});
        release(file);
    }
    // A window that ended without unsaved changes leaves its lock and the record of its file;
    // a lock alone is cleared away.
    const QString lockSuffix = QLatin1String(Suffix) + QStringLiteral(".lock");
    for (const QFileInfo &entry : dir.entryInfoList({QStringLiteral("*") + lockSuffix}, QDir::Files, QDir::Time | QDir::Reversed)) {
        const QString file = entry.filePath().chopped(5);
        if (QFileInfo::exists(file) || m_locks.count(file) || file == m_own || !claim(file))
            continue;
        auto record = read(windowFileOf(file));
        if (auto *window = std::get_if<RecoveryRecord>(&record))
            found.windows.append({file, std::move(*window), true});
        else
            discard(file);
    }
    return found;
}

bool RecoveryStore::hasOrphans() const
{
    const QString lockSuffix = QLatin1String(Suffix) + QStringLiteral(".lock");
    const QDir dir(m_folder);
    for (const QFileInfo &entry : dir.entryInfoList({QStringLiteral("*") + lockSuffix}, QDir::Files)) {
        const QString file = entry.filePath().chopped(5);
        if (file == m_own || m_locks.count(file))
            continue;
        if (!QFileInfo::exists(file) && !QFileInfo::exists(windowFileOf(file)))
            continue;
        // Taking the lock to try it would remove it, and with it the record of a window.
        qint64 pid = 0;
        QString host;
        QString application;
        if (!QLockFile(lockOf(file)).getLockInfo(&pid, &host, &application) || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH))
            return true;
    }
    // A copy whose lock is gone altogether is offered too.
    for (const QFileInfo &entry : dir.entryInfoList({QStringLiteral("*") + QLatin1String(Suffix)}, QDir::Files))
        if (entry.filePath() != m_own && !m_locks.count(entry.filePath()) && !QFileInfo::exists(lockOf(entry.filePath())))
            return true;
    return false;
}

bool RecoveryStore::claim(const QString &file)
{
    if (m_locks.count(file))
        return true;
    auto lock = tryLock(file);
    if (!lock)
        return false;
    m_locks[file] = std::move(lock);
    return true;
}

void RecoveryStore::release(const QString &file)
{
    if (file != m_own)
        m_locks.erase(file);
}

void RecoveryStore::discard(const QString &file)
{
    if (!m_locks.count(file))
        return;
    QFile::remove(file);
    QFile::remove(windowFileOf(file));
    release(file);
}

std::optional<QString> RecoveryStore::adopt(const QString &file)
{
    const QString own = ownFile();
    if (own.isEmpty())
        return QStringLiteral("Couldn't lock a recovery copy in %1").arg(m_folder);
    if (!m_locks.count(file))
        return QStringLiteral("%1 is held by another window").arg(file);
    if (::rename(FileIO::encodePath(file).constData(), FileIO::encodePath(own).constData()) != 0)
        return QStringLiteral("Couldn't move %1: %2").arg(file, QString::fromLocal8Bit(std::strerror(errno)));
    QFile::remove(windowFileOf(file));
    release(file);
    return std::nullopt;
}
