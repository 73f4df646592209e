#include "toolkit/TextBlocks.h"

#include <algorithm>

TextBlocks::TextBlocks(std::size_t blockUnits, std::pmr::memory_resource *memory)
    : m_blockUnits(blockUnits), m_memory(memory)
{
}

TextBlocks::~TextBlocks()
{
    for (const auto &[block, units] : m_blocks)
        m_memory->deallocate(block, units * sizeof(char16_t), alignof(char16_t));
}

char16_t *TextBlocks::newBlock(std::size_t units)
{
    auto *block = static_cast<char16_t *>(m_memory->allocate(units * sizeof(char16_t), alignof(char16_t)));
    try {
        m_blocks.emplace_back(block, units);
    } catch (...) {
        m_memory->deallocate(block, units * sizeof(char16_t), alignof(char16_t));
        throw;
    }
    return block;
}

char16_t *TextBlocks::Reserve(std::size_t units)
{
    // A long text gets a block of its own; the current block stays in use for the short ones.
    if (units > m_blockUnits / 4)
        return newBlock(units);
    if (std::size_t(m_end - m_next) < units) {
        m_next = newBlock(m_blockUnits);
        m_end = m_next + m_blockUnits;
    }
    return m_next;
}

QString TextBlocks::Commit(char16_t *start, qsizetype used)
{
    if (used <= 0)
        return {};
    if (start == m_next)
        m_next += used;
    return QString::fromRawData(reinterpret_cast<const QChar *>(start), used);
}

QStringView TextBlocks::Keep(const QString &text)
{
    if (text.isEmpty() || !HasOwnCharacters(text))
        return text;
    char16_t *out = Reserve(std::size_t(text.size()));
    std::copy_n(text.utf16(), text.size(), out);
    Commit(out, text.size());
    return QStringView(out, text.size());
}

QString OwnedText(const QString &text)
{
    // A literal has no characters of its own either, and is copied cheaply.
    if (text.isEmpty() || HasOwnCharacters(text))
        return text;
    return QString(text.constData(), text.size());
}
