#include "core/clsItem.h"

#include <algorithm>
#include <limits>

namespace {

std::uint32_t CheckedSize(QStringView text)
{
    // Lengths are kept in 32 bits; a longer text could not be kept anyway.
    if (std::size_t(text.size()) > std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    return std::uint32_t(text.size());
}

} // namespace

void clsItem::keep(const char16_t *&units, std::uint32_t &size, std::uint8_t ownedFlag, QStringView text, bool copy)
{
    const std::uint32_t newSize = CheckedSize(text);
    char16_t *copied = copy && newSize ? new char16_t[newSize] : nullptr;
    std::copy_n(text.utf16(), copied ? newSize : 0, copied);
    if (m_flags & ownedFlag)
        delete[] units;
    units = copy ? copied : text.utf16();
    size = newSize;
    m_flags = copy ? std::uint8_t(m_flags | ownedFlag) : std::uint8_t(m_flags & ~ownedFlag);
}
