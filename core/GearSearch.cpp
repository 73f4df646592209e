#include "core/GearSearch.h"

#include "toolkit/MemorySizes.h"

#include <QHashFunctions>

#include <algorithm>
#include <bit>
#include <future>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// A name or a reference as the index keeps it: its units, and whether every one is ASCII, so that a word is looked
// for a block of units at a time.
struct Text
{
    const char16_t *units = nullptr;
    std::uint32_t size = 0;
    bool ascii = true;
};

bool IsAscii(const char16_t *units, std::size_t size)
{
    char16_t any = 0;
    for (std::size_t i = 0; i < size; ++i)
        any |= units[i];
    return any < 0x80;
}

// One word of a search, folded as names compare.
struct Word
{
    std::u32string folded;
    // When every folded code point is ASCII: the units, and for each the bit that lowers a letter (a unit of the text
    // matches when, with that bit set, it equals the word's unit).
    bool ascii = false;
    std::u16string units;
    std::u16string caseBits;
#if defined(__SSE2__)
    __m128i first, firstBits, last, lastBits; // the first and last unit and bit, in every lane
#endif
};

std::vector<Word> Words(QStringView text)
{
    std::vector<Word> words;
    for (QStringView part : text.tokenize(u' ', Qt::SkipEmptyParts)) {
        Word word;
        FoldedKey::Fold(part, word.folded);
        word.ascii = std::all_of(word.folded.begin(), word.folded.end(), [](char32_t c) { return c < 0x80; });
        for (std::size_t i = 0; word.ascii && i < word.folded.size(); ++i) {
            const char32_t c = word.folded[i];
            word.units.push_back(char16_t(c));
            word.caseBits.push_back(c >= U'a' && c <= U'z' ? 0x20 : 0);
        }
#if defined(__SSE2__)
        if (word.ascii) {
            word.first = _mm_set1_epi16(short(word.units.front()));
            word.firstBits = _mm_set1_epi16(short(word.caseBits.front()));
            word.last = _mm_set1_epi16(short(word.units.back()));
            word.lastBits = _mm_set1_epi16(short(word.caseBits.back()));
        }
#endif
        words.push_back(std::move(word));
    }
    // The longest first: it rules out most items at once.
    std::stable_sort(words.begin(), words.end(),
                     [](const Word &a, const Word &b) { return a.folded.size() > b.folded.size(); });
    return words;
}

// Whether the ASCII word is part of the ASCII text s[0, n).
bool ContainsAscii(const char16_t *s, std::size_t n, const Word &word)
{
    const std::size_t m = word.units.size();
    if (m > n)
        return false;
    const char16_t *p = word.units.data();
    const char16_t *bits = word.caseBits.data();
    auto matchesAt = [&](std::size_t at) {
        for (std::size_t k = 0; k < m; ++k) {
            if (char16_t(s[at + k] | bits[k]) != p[k])
                return false;
        }
        return true;
    };
#if defined(__SSE2__)
    // Eight starting places at a time, each checked whole where the word's first and last units match there. The
    // last block overlaps the one before it instead of reading past the text.
    if (n - m >= 7) {
        const std::size_t lastBlock = n - m - 7;
        for (std::size_t i = 0;; i = std::min(i + 8, lastBlock)) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
            __m128i hits = _mm_cmpeq_epi16(_mm_or_si128(a, word.firstBits), word.first);
            if (m > 1) {
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i + m - 1));
                hits = _mm_and_si128(hits, _mm_cmpeq_epi16(_mm_or_si128(b, word.lastBits), word.last));
            }
            // Two bits for each unit.
            for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); mask;) {
                const int bit = std::countr_zero(mask);
                if (matchesAt(i + std::size_t(bit) / 2))
                    return true;
                mask &= ~(3u << bit);
            }
            if (i == lastBlock)
                return false;
        }
    }
#endif
    for (std::size_t at = 0; at + m <= n; ++at) {
        if (matchesAt(at))
            return true;
    }
    return false;
}

bool Contains(const Text &text, const Word &word, std::u32string &scratch)
{
    // Folding keeps ASCII within ASCII, so a word folded to other letters is in no ASCII text.
    if (text.ascii)
        return word.ascii && ContainsAscii(text.units, text.size, word);
    FoldedKey::Fold(QStringView(text.units, qsizetype(text.size)), scratch);
    return std::u32string_view(scratch).find(word.folded) != std::u32string_view::npos;
}

// Numbers the reference texts, each text once: a search checks a reference once for all the items that have it.
// The loader shares the text of a reference that recurs, though not always, so a text is looked up by where it lies
// first, and only then by its units.
class ReferenceNumbers
{
public:
    std::uint32_t Number(QStringView text, std::vector<Text> &texts)
    {
        Seen &seen = m_seen[(std::uintptr_t(text.utf16()) >> 1) % m_seen.size()];
        if (!seen.number || seen.units != text.utf16() || seen.size != std::size_t(text.size()))
            seen = {text.utf16(), std::size_t(text.size()), byUnits(text, texts) + 1};
        return seen.number - 1;
    }

private:
    std::uint32_t byUnits(QStringView text, std::vector<Text> &texts)
    {
        if ((texts.size() + 1) * 4 > m_slots.size() * 3)
            grow(texts);
        for (std::size_t i = qHash(text) & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            if (!m_slots[i]) {
                const auto size = std::uint32_t(text.size());
                texts.push_back({text.utf16(), size, IsAscii(text.utf16(), size)});
                m_slots[i] = std::uint32_t(texts.size());
                return m_slots[i] - 1;
            }
            const Text &known = texts[m_slots[i] - 1];
            if (QStringView(known.units, qsizetype(known.size)) == text)
                return m_slots[i] - 1;
        }
    }

    void grow(const std::vector<Text> &texts)
    {
        std::vector<std::uint32_t> fresh(m_slots.size() * 2);
        for (std::uint32_t n = 0; n < texts.size(); ++n) {
            std::size_t i = qHash(QStringView(texts[n].units, qsizetype(texts[n].size))) & (fresh.size() - 1);
            while (fresh[i])
                i = (i + 1) & (fresh.size() - 1);
            fresh[i] = n + 1;
        }
        m_slots.swap(fresh);
    }

    struct Seen
    {
        const char16_t *units = nullptr;
        std::size_t size = 0;
        std::uint32_t number = 0; // the text's number + 1; 0 when empty (an empty text may lie nowhere)
    };
    std::vector<Seen> m_seen = std::vector<Seen>(4096);                    // by where a text lies
    std::vector<std::uint32_t> m_slots = std::vector<std::uint32_t>(1024); // a text's number + 1; 0 when empty
};

} // namespace

struct GearSearch::Index
{
    // An item's name and reference, small: a search reads one for every item.
    struct Entry
    {
        const char16_t *name;
        std::uint32_t nameSize;
        std::uint32_t reference : 31; // its number in `references`
        std::uint32_t asciiName : 1;
    };
    // Each sub-category, in catalogue order, with the rank of its first item.
    struct Group
    {
        const clsSubCategory *subCategory;
        int category;
        int index;
        std::uint32_t first;
    };

    // What a part of a search found: how many items, and the ranks of the first of them (a heap, the last on top).
    struct Part
    {
        std::size_t count = 0;
        std::vector<std::uint32_t> first;
        bool stopped = false;
    };
    Part scan(std::size_t from, std::size_t to, const std::vector<Word> &words,
              const std::vector<std::vector<std::uint8_t>> &inReference, std::size_t limit,
              const std::function<bool()> &stop) const;

    std::vector<Entry> entries;       // in the order of the names' texts in memory
    std::vector<std::uint32_t> ranks; // each entry's place in catalogue order
    std::vector<Text> references;
    std::vector<Group> groups;
};

GearSearch::GearSearch(const GearCatalogue &categories) : m_index(std::make_unique<Index>())
{
    Index &index = *m_index;
    std::size_t items = 0;
    for (const clsCategory *category : categories) {
        for (const clsSubCategory *sub : *category->SubCategories)
            items += std::size_t(sub->Items->Count());
    }
    // Made in catalogue order, then put in memory order, each with its rank.
    struct Ranked
    {
        Index::Entry entry;
        std::uint32_t rank;
    };
    std::vector<Ranked> ranked;
    ranked.reserve(items);
    ReferenceNumbers numbers;
    std::uint32_t rank = 0;
    int c = 0;
    for (const clsCategory *category : categories) {
        int s = 0;
        for (const clsSubCategory *sub : *category->SubCategories) {
            index.groups.push_back({sub, c, s++, rank});
            for (const clsItem *item : *sub->Items) {
                const QStringView name = item->NameView();
                const std::uint32_t reference = numbers.Number(item->ReferenceView(), index.references);
                ranked.push_back({{name.utf16(), std::uint32_t(name.size()), reference, false}, rank++});
            }
        }
        ++c;
    }
    std::sort(ranked.begin(), ranked.end(),
              [](const Ranked &a, const Ranked &b) { return std::less<>()(a.entry.name, b.entry.name); });
    index.entries.reserve(ranked.size());
    index.ranks.reserve(ranked.size());
    // The names are read once, in memory order, to see which are ASCII.
    for (Ranked &r : ranked) {
        r.entry.asciiName = IsAscii(r.entry.name, r.entry.nameSize);
        index.entries.push_back(r.entry);
        index.ranks.push_back(r.rank);
    }
}

GearSearch::~GearSearch() = default;

std::optional<GearSearch::Result> GearSearch::Find(QStringView text, std::size_t limit,
                                                   const std::function<bool()> &stop) const
{
    Result result;
    const std::vector<Word> words = Words(text);
    if (words.empty())
        return result;
    result.Words = true;
    const Index &index = *m_index;
    std::u32string scratch;

    // Which references hold each word; most words are in none, and the items' references need no look then.
    std::vector<std::vector<std::uint8_t>> inReference(words.size());
    for (std::size_t w = 0; w < words.size(); ++w) {
        bool any = false;
        for (const Text &reference : index.references)
            any = (inReference[w].emplace_back(Contains(reference, words[w], scratch)) != 0) || any;
        if (!any)
            inReference[w].clear();
    }

    // A large catalogue is searched in two halves at once, the second on a thread of its own: twice the share of
    // the processors and of the memory's bandwidth.
    const std::size_t count = index.entries.size();
    std::size_t half = count >= MemorySizes::Pick(std::size_t(1) << 16, 8) ? count / 2 : count;
    std::future<Index::Part> second;
    if (half < count) {
        try {
            second = std::async(std::launch::async,
                                [&] { return index.scan(half, count, words, inReference, limit, stop); });
        } catch (const std::system_error &) {
            half = count;
        }
    }
    Index::Part part = index.scan(0, half, words, inReference, limit, stop);
    if (second.valid()) {
        Index::Part other = second.get();
        part.count += other.count;
        part.stopped = part.stopped || other.stopped;
        part.first.insert(part.first.end(), other.first.begin(), other.first.end());
    }
    if (part.stopped)
        return std::nullopt;
    result.Count = part.count;
    std::vector<std::uint32_t> &first = part.first;
    std::sort(first.begin(), first.end());
    first.resize(std::min(first.size(), limit));

    result.Listed.reserve(first.size());
    for (const std::uint32_t rank : first) {
        const auto group =
            std::prev(std::upper_bound(index.groups.begin(), index.groups.end(), rank,
                                       [](std::uint32_t r, const Index::Group &g) { return r < g.first; }));
        const int row = int(rank - group->first);
        result.Listed.push_back(
            {group->subCategory->Items->At(row), group->subCategory, group->category, group->index, row});
    }
    return result;
}

GearSearch::Index::Part GearSearch::Index::scan(std::size_t from, std::size_t to, const std::vector<Word> &words,
                                                const std::vector<std::vector<std::uint8_t>> &inReference,
                                                std::size_t limit, const std::function<bool()> &stop) const
{
    Part part;
    std::u32string scratch;
    constexpr std::size_t Slice = 8192; // entries between two questions to `stop`
    for (std::size_t slice = from; slice < to; slice += Slice) {
        if (stop && stop()) {
            part.stopped = true;
            return part;
        }
        for (std::size_t e = slice, end = std::min(slice + Slice, to); e < end; ++e) {
            const Entry &entry = entries[e];
            const Text name{entry.name, entry.nameSize, bool(entry.asciiName)};
            bool found = true;
            for (std::size_t w = 0; found && w < words.size(); ++w)
                found =
                    (!inReference[w].empty() && inReference[w][entry.reference]) || Contains(name, words[w], scratch);
            if (!found)
                continue;
            ++part.count;
            const std::uint32_t rank = ranks[e];
            if (part.first.size() < limit) {
                part.first.push_back(rank);
                std::push_heap(part.first.begin(), part.first.end());
            } else if (limit && rank < part.first.front()) {
                std::pop_heap(part.first.begin(), part.first.end());
                part.first.back() = rank;
                std::push_heap(part.first.begin(), part.first.end());
            }
        }
    }
    return part;
}

QString GearSearch::CountText(const Result &result)
{
    if (!result.Words)
        return {};
    if (result.Count == 0)
        return QStringLiteral("No items match");
    if (result.Count == 1)
        return QStringLiteral("1 item");
    QString text = QString::number(result.Count) + QStringLiteral(" items");
    if (result.Listed.size() < result.Count)
        text += QStringLiteral("; the first ") + QString::number(result.Listed.size()) + QStringLiteral(" are listed");
    return text;
}
