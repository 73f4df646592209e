#include "toolkit/BulkMemory.h"

#include "toolkit/MemorySizes.h"

#include <algorithm>
#include <cstdint>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t HugePage = MemorySizes::Pick(std::size_t(2) << 20, MemorySizes::Page);
// Below this a block is left to the ordinary heap.
constexpr std::size_t Threshold = MemorySizes::Pick(HugePage / 2, MemorySizes::Page);

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
#endif
    ::operator delete(block);
}

void BulkMemory::Discard(void *block, std::size_t bytes, std::size_t upTo) noexcept
{
#if defined(__linux__)
    if (block && bytes >= Threshold) {
        if (const std::size_t whole = std::min(upTo, bytes) & ~(HugePage - 1))
            madvise(block, whole, MADV_DONTNEED);
    }
#else
    (void)block, (void)bytes, (void)upTo;
#endif
}

BulkArena::BulkArena(std::size_t chunkBytes) : m_chunkBytes(chunkBytes) {}

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
    if (bytes > m_chunkBytes / 4)
        return takeBlock(bytes);
    auto aligned = [&] {
        const auto at = reinterpret_cast<std::uintptr_t>(m_next);
        return reinterpret_cast<std::byte *>((at + alignment - 1) & ~std::uintptr_t(alignment - 1));
    };
    if (!m_next || aligned() + bytes > m_end) {
        // Chunks start small, for a small catalogue, and double up to their full size.
        std::size_t size = m_lastChunk ? std::min(2 * m_lastChunk, m_chunkBytes) : m_chunkBytes / 64;
        size = std::max(size, bytes + alignment);
        m_next = static_cast<std::byte *>(takeBlock(size));
        m_end = m_next + size;
        m_lastChunk = size;
    }
    std::byte *p = aligned();
    m_next = p + bytes;
    return p;
}
