#pragma once

#include <QElapsedTimer>

#include <functional>

// Keeps the window painting during whole-document work: long pure computations run on a worker
// thread while the caller waits in a local event loop that lets no user input through, so the
// document cannot change under them; loops on the interface thread yield by time.
class Responsive {
public:
    // Documents at least this long are worth a thread.
    static constexpr qsizetype LargeText = 2 * 1024 * 1024;

    // Runs work, off the interface thread when large is true and an application is running.
    static void run(bool large, const std::function<void()> &work);

    // Lets pending paint and timer events run when about 30 ms passed since the last yield.
    void yieldIfDue();

private:
    QElapsedTimer m_timer;
};
