#pragma once

#include <QByteArray>

#include <cstddef>

// Large buffers (a document's text, its styles, copies of it) are touched page by page the first
// time they are written, and on a virtual machine each 4 KB page fault is dear: measured 10 ms per
// megabyte, a second for the two buffers of a 50 MB document. Backed by 2 MB pages, the same buffer
// costs a twentieth of that. The kernel grants them only to memory marked for them before it is
// touched, so large blocks are marked as they are allocated.
namespace HugePages {

// Blocks from this size on are worth marking.
constexpr std::size_t Threshold = std::size_t(4) << 20;

// Marks the untouched memory [data, data + size) for huge pages; nothing for small blocks.
void advise(void *data, std::size_t size);

// From this size on, a new block is faulted in by two threads at once before it is handed out:
// the containers that take such blocks write every byte of them at once anyway, and on a virtual
// machine a page touched for the first time is dear (a fifth of a second for the 100 MB a 50 MB
// document's text and styles take).
constexpr std::size_t ParallelTouch = std::size_t(16) << 20;

// Writes one byte of every page of [data, data + size), the second half on another thread.
void touch(void *data, std::size_t size);

// An uninitialised byte array of the given size, marked before anything is written to it.
QByteArray uninitialized(qsizetype size);

// A copy of [data, data + size) in memory marked for huge pages.
QByteArray copy(const char *data, qsizetype size);

// Blocks of a size known ahead, marked and faulted in by the calling thread (a file's text and
// styles, made ready while the window is still being built): the next allocations of a size
// between size - ReserveSlack and size are given these blocks instead of new ones. Nothing under
// the sanitizers, whose allocators stay in charge.
constexpr std::size_t ReserveSlack = std::size_t(64) << 10;
void reserve(std::size_t size, int count);
// Frees the reserved blocks nobody asked for.
void releaseReserved();

} // namespace HugePages
