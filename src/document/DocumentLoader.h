#pragma once

#include "EditorSurface.h"
#include "TextCodec.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The conversion of a large file on a thread of its own, into one buffer that becomes the
// document's kept copy (for undo and colouring): the caller hands the widget each piece as soon as
// it is converted, so the conversion, the copy and the widget's work overlap. data must outlive it.
class ConversionPipe {
public:
    ConversionPipe(const char *data, qsizetype size, const DecodePlan &plan);
    // Waits for the conversion.
    ~ConversionPipe();
    ConversionPipe(const ConversionPipe &) = delete;
    ConversionPipe &operator=(const ConversionPipe &) = delete;

    struct Piece {
        const char *data;
        qsizetype size;
    };
    // The converted text after what the last call gave, at most maxSize bytes and waiting until
    // some is ready; empty once all of it was given.
    Piece next(qsizetype maxSize);
    // After next() came back empty: the whole converted text, its fingerprint, and where it stands
    // in UTF-16 units (empty for ASCII text, whose units are its bytes).
    QByteArray take();
    TextFingerprint fingerprint() const { return m_fingerprint; }
    UnitIndex takeUnits() { return std::move(m_units); }

private:
    QByteArray m_out;
    char *m_buffer;
    std::mutex m_mutex;
    std::condition_variable m_grown;
    std::atomic<qsizetype> m_ready{0};
    bool m_finished = false;
    qsizetype m_given = 0;
    TextFingerprint m_fingerprint;
    UnitIndex m_units;
    std::thread m_thread;
};

// Last-write time in local time as year, month and day run together, "-", hour ":" minute ":" second.
QString FileTimeText(const QString &path);
