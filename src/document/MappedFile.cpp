#include "MappedFile.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// The mappings being read, looked up from the signal handler: plain atomics, no locks.
struct Guarded {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> torn{false};
};

constexpr int SlotCount = 8;
Guarded slots[SlotCount];
std::mutex slotsLock;
struct sigaction previous {};
std::uintptr_t pageSize = 4096;

void onBusError(int signal, siginfo_t *info, void *context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guarded &slot : slots) {
        const std::uintptr_t begin = slot.begin.load();
        const std::uintptr_t end = slot.end.load();
        if (begin == 0 || address < begin || address >= end)
            continue;
        // The rest of the mapping from this page on reads as zeros; the faulting read is retried.
        const std::uintptr_t page = address & ~(pageSize - 1);
        void *replaced = ::mmap(reinterpret_cast<void *>(page), end - page, PROT_READ,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (replaced == MAP_FAILED)
            break;
        slot.torn.store(true);
        return;
    }
    // Not ours: whoever handled the signal before (a sanitizer, the default action) does.
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    ::signal(signal, SIG_DFL);
}

void installHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previous);
    });
}

} // namespace

MappedFile::MappedFile(int fd, qint64 size)
{
    if (size <= 0)
        return;
    installHandler();
    void *mapped = ::mmap(nullptr, std::size_t(size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(mapped);
    {
        const std::lock_guard<std::mutex> lock(slotsLock);
        for (int i = 0; i < SlotCount; ++i) {
            if (slots[i].begin.load() == 0) {
                slots[i].torn.store(false);
                slots[i].end.store(begin + std::uintptr_t(size));
                slots[i].begin.store(begin);
                m_slot = i;
                break;
            }
        }
    }
    if (m_slot < 0) {
        // Every guard is taken: the caller reads the file instead.
        ::munmap(mapped, std::size_t(size));
        return;
    }
    m_data = static_cast<const char *>(mapped);
    m_size = size;
}

MappedFile::~MappedFile()
{
    if (!m_data)
        return;
    {
        const std::lock_guard<std::mutex> lock(slotsLock);
        slots[m_slot].begin.store(0);
        slots[m_slot].end.store(0);
    }
    ::munmap(const_cast<char *>(m_data), std::size_t(m_size));
}

bool MappedFile::torn() const
{
    return m_slot >= 0 && slots[m_slot].torn.load();
}

void MappedFile::release(qint64 from, qint64 to) const
{
    if (!m_data)
        return;
    const auto page = qint64(pageSize);
    const qint64 first = (std::max<qint64>(0, from) + page - 1) / page * page;
    const qint64 last = to >= m_size ? m_size : std::min(to, m_size) / page * page;
    if (last > first)
        ::madvise(const_cast<char *>(m_data) + first, std::size_t(last - first), MADV_DONTNEED);
}
