#include "Prefault.h"

#include <QtGlobal>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ORVANE_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVANE_SANITIZED 1
#endif

namespace Prefault {

namespace {

struct Reserved {
    void *block;
    std::size_t size;
};

// Never destroyed: a process that ends with blocks still reserved frees them from a destructor
// that may run after these would have been.
std::mutex &reservedLock()
{
    static auto *lock = new std::mutex;
    return *lock;
}

std::vector<Reserved> &reservedBlocks()
{
    static auto *blocks = new std::vector<Reserved>;
    return *blocks;
}

// Read on every allocation: the lock is taken only while blocks wait.
std::atomic<int> reservedCount{0};

[[maybe_unused]] void *takeReserved(std::size_t size)
{
    if (reservedCount.load(std::memory_order_acquire) == 0)
        return nullptr;
    const std::lock_guard lock(reservedLock());
    std::vector<Reserved> &blocks = reservedBlocks();
    for (auto it = blocks.begin(); it != blocks.end(); ++it) {
        if (size <= it->size && size + ReserveSlack >= it->size) {
            void *block = it->block;
            blocks.erase(it);
            reservedCount.fetch_sub(1, std::memory_order_release);
            return block;
        }
    }
    return nullptr;
}

} // namespace

void reserve(std::size_t size, int count)
{
#ifdef ORVANE_SANITIZED
    Q_UNUSED(size);
    Q_UNUSED(count);
#else
    const auto reserveOne = [size] {
        void *block = std::malloc(size);
        if (!block)
            return;
        auto *bytes = static_cast<volatile char *>(block);
        for (std::size_t at = 0; at < size; at += 4096)
            bytes[at] = 0;
        const std::lock_guard lock(reservedLock());
        try {
            reservedBlocks().push_back({block, size});
        } catch (const std::bad_alloc &) {
            std::free(block);
            return;
        }
        reservedCount.fetch_add(1, std::memory_order_release);
    };
    // Each block on a thread of its own: faulting memory in is the kernel's work, done in parallel.
    std::vector<std::thread> others;
    for (int i = 1; i < count; ++i) {
        try {
            others.emplace_back(reserveOne);
        } catch (const std::system_error &) {
            reserveOne();
        }
    }
    if (count > 0)
        reserveOne();
    for (std::thread &other : others)
        other.join();
#endif
}

void releaseReserved()
{
    std::vector<Reserved> blocks;
    {
        const std::lock_guard lock(reservedLock());
        blocks.swap(reservedBlocks());
        reservedCount.store(0, std::memory_order_release);
    }
    for (const Reserved &reserved : blocks)
        std::free(reserved.block);
}

void touch(void *data, std::size_t size)
{
    constexpr std::size_t page = 4096;
    auto *bytes = static_cast<volatile char *>(data);
    const auto write = [bytes](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; i += page)
            bytes[i] = 0;
    };
    const std::size_t half = (size / 2) & ~(page - 1);
    std::thread other;
    if (std::thread::hardware_concurrency() >= 2) {
        try {
            other = std::thread(write, half, size);
        } catch (const std::system_error &) {
            // No thread to be had: this one does it all.
        }
    }
    write(0, other.joinable() ? half : size);
    if (other.joinable())
        other.join();
}

} // namespace Prefault

#ifndef ORVANE_SANITIZED
// The editing widget keeps its text and styles in standard containers: every large block they
// allocate is faulted in here on two threads, or taken from the blocks made ready for the file. The
// sanitizers bring allocators of their own, which stay in charge there.
void *operator new(std::size_t size)
{
    const std::size_t bytes = size ? size : 1;
    if (bytes >= Prefault::ParallelTouch) {
        if (void *block = Prefault::takeReserved(bytes))
            return block;
    }
    for (;;) {
        if (void *block = std::malloc(bytes)) {
            if (bytes >= Prefault::ParallelTouch)
                Prefault::touch(block, bytes);
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}
#endif
