#pragma once

#include <QString>

// Tells whether another process of the program runs for this user: every process holds a shared
// lock on one file for its whole life, and one that cannot take the lock alone was not the first.
class InstanceLock {
public:
    explicit InstanceLock(const QString &path = defaultPath());
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Another process held the lock when this one took it.
    bool othersRunning() const { return m_othersRunning; }

    // In the user's runtime folder, so a new login session starts afresh.
    static QString defaultPath();

private:
    int m_fd = -1;
    bool m_othersRunning = false;
};
