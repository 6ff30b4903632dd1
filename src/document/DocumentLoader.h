#pragma once

#include "EditorSurface.h"
#include "TextCodec.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// The conversion of a large file on a thread of its own, in pieces the caller hands the widget as
// soon as each is ready: the conversion and the widget's work overlap, and only a few pieces are
// ever held, never the file's bytes and the converted text at once. data must outlive it.
class ConversionPipe {
public:
    // consumed(upTo) is told, on the converting thread, that the bytes before upTo are read for good.
    ConversionPipe(const char *data, qsizetype size, const DecodePlan &plan,
                   std::function<void(qsizetype upTo)> consumed = {});
    // Stops the conversion and waits for it.
    ~ConversionPipe();
    ConversionPipe(const ConversionPipe &) = delete;
    ConversionPipe &operator=(const ConversionPipe &) = delete;

    struct Piece {
        const char *data;
        qsizetype size;
    };
    // The converted text after what the last call gave, at most maxSize bytes and waiting until
    // some is ready; empty once all of it was given. Valid until the next call.
    Piece next(qsizetype maxSize);
    // Converted bytes handed out so far.
    qint64 given() const { return m_given; }
    // After next() came back empty: the fingerprint of the whole converted text and where it stands
    // in UTF-16 units (empty for ASCII text, whose units are its bytes).
    TextFingerprint fingerprint() const { return m_fingerprint; }
    UnitIndex takeUnits() { return std::move(m_units); }

private:
    void push(QByteArray piece);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_ready;
    bool m_finished = false;
    bool m_stop = false;
    QByteArray m_current;
    qsizetype m_offset = 0;
    qint64 m_given = 0;
    TextFingerprint m_fingerprint;
    UnitIndex m_units;
    std::thread m_thread;
};

// Last-write time in local time as year, month and day run together, "-", hour ":" minute ":" second.
QString FileTimeText(const QString &path);
