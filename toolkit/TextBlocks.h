#pragma once

#include <QString>

#include <cstddef>
#include <memory_resource>
#include <utility>
#include <vector>

// Texts kept in a few large blocks instead of one allocation each. A text made here is made by
// QString::fromRawData: it views its block, and so does every copy of it, so none may outlive the blocks. Whatever
// can (a list cell handed out, the clipboard, an accessible text) takes an OwnedText copy.
class TextBlocks
{
public:
    // Blocks of `blockUnits` UTF-16 units (a longer text gets one of its own), taken from `memory`.
    explicit TextBlocks(std::size_t blockUnits, std::pmr::memory_resource *memory = std::pmr::new_delete_resource());
    ~TextBlocks();
    TextBlocks(const TextBlocks &) = delete;
    TextBlocks &operator=(const TextBlocks &) = delete;

    // Room for `units` UTF-16 units, to be followed by Commit with how many of them were written.
    char16_t *Reserve(std::size_t units);
    QString Commit(char16_t *start, qsizetype used);
    // A text to keep as long as the blocks: one that views characters (made here) as it is, one with characters of
    // its own copied here.
    QStringView Keep(const QString &text);

private:
    char16_t *newBlock(std::size_t units);

    std::size_t m_blockUnits;
    std::pmr::memory_resource *m_memory;
    std::vector<std::pair<char16_t *, std::size_t>> m_blocks;
    char16_t *m_next = nullptr;
    char16_t *m_end = nullptr;
};

// Whether the text has an allocation of its own. One made by fromRawData has none, so no capacity (nor has a literal).
inline bool HasOwnCharacters(const QString &text)
{
    return text.capacity() > 0;
}

// The text with characters of its own: a copy when it only views them (see TextBlocks), otherwise itself.
QString OwnedText(const QString &text);
