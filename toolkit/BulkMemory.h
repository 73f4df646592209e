#pragma once

#include "toolkit/MemorySizes.h"

#include <cstddef>
#include <memory_resource>
#include <utility>
#include <vector>

// Memory for large blocks that are filled at once. On Linux it comes in whole 2 MB pages where the kernel offers
// them (transparent huge pages on request): every fresh 4 KB page costs a fault when first touched, and a catalogue
// of a million records would touch some sixty thousand of them.
// On Windows a large block is reserved and committed at once, and its pages are decommitted when discarded.
namespace BulkMemory {

void *Allocate(std::size_t bytes);
void Free(void *block, std::size_t bytes) noexcept;

// Gives back early what whole pages (huge ones where Allocate maps them) the first `upTo` bytes of a block from
// Allocate hold. The block stays
// valid, but those bytes must not be used again: a block read once from front to back (a file's bytes) hands its
// pages on while it is read, and the memory filled meanwhile reuses them instead of faulting in fresh ones.
void Discard(void *block, std::size_t bytes, std::size_t upTo) noexcept;

} // namespace BulkMemory

// Memory handed out in order from large chunks of bulk memory and given back only all at once, when the arena goes:
// many small allocations for the price of a few. Chunks grow to a fixed size, so that the last one wastes little; a
// request larger than a quarter chunk gets a block of its own, and the chunk stays in use. (The standard
// monotonic_buffer_resource grows its buffers without end, and each one's last huge page, padding included,
// becomes resident: a tenth more memory for a large catalogue.)
class BulkArena final : public std::pmr::memory_resource
{
public:
    explicit BulkArena(std::size_t chunkBytes = MemorySizes::Pick(std::size_t(4) << 20, 512));
    ~BulkArena() override;
    BulkArena(const BulkArena &) = delete;
    BulkArena &operator=(const BulkArena &) = delete;

private:
    void *do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void *, std::size_t, std::size_t) override {}
    bool do_is_equal(const std::pmr::memory_resource &other) const noexcept override { return this == &other; }

    void *takeBlock(std::size_t bytes);

    std::size_t m_chunkBytes;
    std::vector<std::pair<void *, std::size_t>> m_blocks;
    std::byte *m_next = nullptr;
    std::byte *m_end = nullptr;
    std::size_t m_lastChunk = 0;
};
