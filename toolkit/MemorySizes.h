#pragma once

#include <cstddef>

// The sizes of the memory layer's blocks, chunks, thresholds and first tables. A build configured with
// TARNWICK_SMALL_SIZES shrinks each to a few dozen bytes or entries, so that the small inputs of the tests and the
// fuzzers cross every boundary many times. What works in whole pages keeps the system's page as its unit.
namespace MemorySizes {

#if defined(TARNWICK_SMALL_SIZES)
inline constexpr bool Small = true;
#else
inline constexpr bool Small = false;
#endif

constexpr std::size_t Pick(std::size_t normal, std::size_t small)
{
    return Small ? small : normal;
}

// The smallest unit the kernel maps and gives back.
inline constexpr std::size_t Page = 4096;

} // namespace MemorySizes
