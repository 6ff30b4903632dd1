#pragma once

#include <QtGlobal>

#include <sys/types.h>

// A read-only mapping of an open file that survives the file shrinking underneath it: another
// program may truncate a file while the loader reads it, and a read past the new end would end the
// process with SIGBUS. Such a read gives zero bytes instead and marks the mapping as torn, so the
// caller can read the file again.
class MappedFile {
public:
    // Maps size bytes of fd from its start; data() is null when the mapping failed or size is 0.
    MappedFile(int fd, qint64 size);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    const char *data() const { return m_data; }
    qint64 size() const { return m_size; }
    // Gives back the memory of the pages wholly inside [from, to): a file read once then holds no
    // memory beside the text made of it. Read again, they come back from the file.
    void release(qint64 from, qint64 to) const;
    // A page of the mapping lay past the file's end when it was read.
    bool torn() const;

private:
    const char *m_data = nullptr;
    qint64 m_size = 0;
    int m_slot = -1;
};
