#include "toolkit/BulkMemory.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#elif defined(_WIN32)
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

#if defined(_WIN32)
// Windows gives no huge page without a privilege that a player's account lacks: the unit is the system's page, and
// a block takes a reservation of its own (64 KB apart) only when it is large.
constexpr std::size_t HugePage = MemorySizes::Page;
constexpr std::size_t Threshold = MemorySizes::Pick(std::size_t(1) << 20, MemorySizes::Page);
#else
// The unit of a mapped block: a huge page, or the system's page in a build with small sizes.
constexpr std::size_t HugePage = MemorySizes::Pick(std::size_t(2) << 20, MemorySizes::Page);
// Below this a block is left to the ordinary heap.
constexpr std::size_t Threshold = MemorySizes::Pick(HugePage / 2, MemorySizes::Page);
#endif
static_assert(HugePage % MemorySizes::Page == 0 && (HugePage & (HugePage - 1)) == 0);
static_assert(Threshold > 0);

// The mapped size of a block of `bytes`; Allocate refuses sizes for which this would wrap.
std::size_t RoundedUp(std::size_t bytes)
{
    return (bytes + HugePage - 1) & ~(HugePage - 1);
}

} // namespace

void *BulkMemory::Allocate(std::size_t bytes)
{
#if defined(__linux__)
    if (bytes >= Threshold) {
        // Aligned to a huge page, so that every page of the block can be one: map one page more, trim the ends.
        if (bytes > std::numeric_limits<std::size_t>::max() - 2 * HugePage)
            throw std::bad_alloc();
        assert(HugePage % std::size_t(sysconf(_SC_PAGESIZE)) == 0);
        const std::size_t size = RoundedUp(bytes);
        void *mapped = mmap(nullptr, size + HugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        auto *start = static_cast<std::byte *>(mapped);
        auto *aligned = reinterpret_cast<std::byte *>((reinterpret_cast<std::uintptr_t>(start) + HugePage - 1) &
                                                      ~std::uintptr_t(HugePage - 1));
        if (aligned != start)
            munmap(start, std::size_t(aligned - start));
        if (const std::size_t tail = std::size_t(start + size + HugePage - (aligned + size)))
            munmap(aligned + size, tail);
        madvise(aligned, size, MADV_HUGEPAGE);
        return aligned;
    }
#elif defined(_WIN32)
    if (bytes >= Threshold) {
        if (bytes > std::numeric_limits<std::size_t>::max() - HugePage)
            throw std::bad_alloc();
        if (void *block = VirtualAlloc(nullptr, RoundedUp(bytes), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
            return block;
        throw std::bad_alloc();
    }
#endif
    return ::operator new(bytes);
}

void BulkMemory::Free(void *block, std::size_t bytes) noexcept
{
    if (!block)
        return;
#if defined(__linux__)
    if (bytes >= Threshold) {
        munmap(block, RoundedUp(bytes));
        return;
    }
#elif defined(_WIN32)
    if (bytes >= Threshold) {
        VirtualFree(block, 0, MEM_RELEASE);
        return;
    }
#endif
    ::operator delete(block);
}

void BulkMemory::Discard(void *block, std::size_t bytes, std::size_t upTo) noexcept
{
#if defined(__linux__)
    // Only a mapped block, and only its whole pages below `upTo`: the page holding byte upTo stays.
    if (block && bytes >= Threshold) {
        assert(reinterpret_cast<std::uintptr_t>(block) % HugePage == 0);
        if (const std::size_t whole = std::min(upTo, bytes) & ~(HugePage - 1))
            madvise(block, whole, MADV_DONTNEED);
    }
#elif defined(_WIN32)
    // Decommitted pages go back to the system at once; the reservation stays until the block is freed.
    if (block && bytes >= Threshold) {
        if (const std::size_t whole = std::min(upTo, bytes) & ~(HugePage - 1))
            VirtualFree(block, whole, MEM_DECOMMIT);
    }
#else
    (void)block, (void)bytes, (void)upTo;
#endif
}

BulkArena::BulkArena(std::size_t chunkBytes) : m_chunkBytes(chunkBytes)
{
    assert(chunkBytes >= 64);
}

BulkArena::~BulkArena()
{
    for (const auto &[block, bytes] : m_blocks)
        BulkMemory::Free(block, bytes);
}

void *BulkArena::takeBlock(std::size_t bytes)
{
    if (m_blocks.size() == m_blocks.capacity())
        m_blocks.reserve(2 * m_blocks.size() + 8); // so that recording the block below cannot fail
    void *block = BulkMemory::Allocate(bytes);
    m_blocks.emplace_back(block, bytes);
    return block;
}

void *BulkArena::do_allocate(std::size_t bytes, std::size_t alignment)
{
    assert(alignment && (alignment & (alignment - 1)) == 0 && alignment <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    if (bytes > m_chunkBytes / 4)
        return takeBlock(bytes);
    // The padding that aligns the next byte of the chunk; none without a chunk (it has no room anyway).
    const std::size_t padding = (alignment - reinterpret_cast<std::uintptr_t>(m_next) % alignment) % alignment;
    if (std::size_t(m_end - m_next) < padding + bytes) {
        // Chunks start small, for a small catalogue, and double up to their full size; each holds the request (a
        // quarter chunk at most). A fresh chunk is aligned as operator new aligns, so it needs no padding.
        const std::size_t grown = m_lastChunk ? std::min(2 * m_lastChunk, m_chunkBytes) : m_chunkBytes / 64;
        const std::size_t size = std::max(grown, bytes);
        m_next = static_cast<std::byte *>(takeBlock(size));
        m_end = m_next + size;
        m_lastChunk = size;
        return std::exchange(m_next, m_next + bytes);
    }
    std::byte *p = m_next + padding;
    m_next = p + bytes;
    assert(m_next <= m_end);
    return p;
}
