#pragma once

#include <cstddef>

// Large buffers (a document's text, its styles) are written in full as soon as they are taken, and
// every page of fresh memory faults on its first write; on a virtual machine that is dear (about
// half a second per gigabyte of 4 KB pages). Faulting such a block in on two threads halves the
// wait, and a file's blocks can be faulted in while the window is still being built.
//
// Plain 4 KB pages on purpose: 2 MB pages fault in at a twentieth of the cost only when the host
// still backs them; fresh from the host (memory another program freed seconds ago) they cost five
// times as much as small pages, and nothing tells the two cases apart beforehand.
namespace Prefault {

// From this size on, a new block is faulted in by two threads at once before it is handed out:
// the containers that take such blocks write every byte of them at once anyway.
constexpr std::size_t ParallelTouch = std::size_t(16) << 20;

// Writes one byte of every page of [data, data + size), the second half on another thread.
void touch(void *data, std::size_t size);

// Blocks of a size known ahead, faulted in by threads of their own (a file's text and styles,
// made ready while the window is still being built): the next allocations of a size between
// size - ReserveSlack and size are given these blocks instead of new ones. Nothing under the
// sanitizers, whose allocators stay in charge.
constexpr std::size_t ReserveSlack = std::size_t(64) << 10;
void reserve(std::size_t size, int count);
// Frees the reserved blocks nobody asked for.
void releaseReserved();

} // namespace Prefault
