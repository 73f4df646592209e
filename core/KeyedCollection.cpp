#include "core/KeyedCollection.h"

#include <QChar>

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Walks a UTF-16 text code point by code point, folding each; unpaired surrogates stand for themselves.
class FoldedCodePoints
{
public:
    explicit FoldedCodePoints(QStringView s) : m_p(s.utf16()), m_end(s.utf16() + s.size()) {}
    bool AtEnd() const { return m_p == m_end; }
    char32_t Next()
    {
        char32_t c = *m_p++;
        if (c < 0x80)
            return (c >= 'A' && c <= 'Z') ? c + 32 : c;
        if (QChar::isHighSurrogate(c) && m_p != m_end && QChar::isLowSurrogate(*m_p))
            c = QChar::surrogateToUcs4(char16_t(c), *m_p++);
        return QChar::toCaseFolded(c);
    }
    const char16_t *Position() const { return m_p; }
    void Skip(std::size_t units) { m_p += units; }
    std::size_t Left() const { return std::size_t(m_end - m_p); }

private:
    const char16_t *m_p;
    const char16_t *m_end;
};

constexpr std::uint64_t Lanes16 = 0x0001000100010001ULL;
constexpr bool LittleEndian = std::endian::native == std::endian::little;

std::uint64_t Mum(std::uint64_t a, std::uint64_t b)
{
    __extension__ using U128 = unsigned __int128;
    const U128 r = U128(a) * b;
    return std::uint64_t(r) ^ std::uint64_t(r >> 64);
}

// The hash is taken over the folded text as UTF-16 units, four to a 64-bit word (first unit lowest), so that a
// run of ASCII can be folded and taken four units at a time and still give what the unit-by-unit path gives.
class UnitHasher
{
public:
    explicit UnitHasher(std::uint64_t seed) : m_h(seed ^ 0x243F6A8885A308D3ULL) {}

    void Word(std::uint64_t w)
    {
        if (m_pending == 0) {
            mix(w);
        } else {
            mix(m_word | (w << (16 * m_pending)));
            m_word = w >> (64 - 16 * m_pending);
        }
        m_units += 4;
    }

    void Unit(char16_t u)
    {
        m_word |= std::uint64_t(u) << (16 * m_pending);
        ++m_units;
        if (++m_pending == 4) {
            mix(m_word);
            m_word = 0;
            m_pending = 0;
        }
    }

    void CodePoint(char32_t c)
    {
        if (c < 0x10000) {
            Unit(char16_t(c));
        } else {
            Unit(QChar::highSurrogate(c));
            Unit(QChar::lowSurrogate(c));
        }
    }

    std::uint64_t Finish()
    {
        if (m_pending)
            mix(m_word);
        return Mum(m_h ^ m_units, 0x9E3779B97F4A7C15ULL);
    }

private:
    void mix(std::uint64_t w) { m_h = Mum(m_h ^ w, 0xBF58476D1CE4E5B9ULL); }

    std::uint64_t m_h;
    std::uint64_t m_word = 0;
    std::uint64_t m_units = 0;
    unsigned m_pending = 0;
};

// Four UTF-16 units, when all of them are ASCII: the word with A-Z lowered, as folding gives them.
bool FoldAsciiWord(const char16_t *p, std::uint64_t &w)
{
    std::memcpy(&w, p, 8);
    if (w & (0xFF80 * Lanes16))
        return false;
    const std::uint64_t fromA = w + (0x80 - 'A') * Lanes16;     // a lane reaches 0x80 at 'A' or above
    const std::uint64_t pastZ = w + (0x80 - 'Z' - 1) * Lanes16; // ... and past 'Z'
    w |= ((fromA & ~pastZ) & (0x80 * Lanes16)) >> 2;
    return true;
}

} // namespace

size_t FoldedKey::Hash(QStringView key, size_t seed) noexcept
{
    UnitHasher hasher(seed);
    FoldedCodePoints it(key);
    // A key's leading ASCII goes four units at a time with nothing pending, the usual case for a whole key.
    if constexpr (LittleEndian) {
        std::uint64_t w;
        while (it.Left() >= 4 && FoldAsciiWord(it.Position(), w)) {
            hasher.Word(w);
            it.Skip(4);
        }
    }
    while (!it.AtEnd()) {
        std::uint64_t w;
        if (LittleEndian && it.Left() >= 4 && FoldAsciiWord(it.Position(), w)) {
            hasher.Word(w);
            it.Skip(4);
            continue;
        }
        hasher.CodePoint(it.Next());
    }
    return size_t(hasher.Finish());
}

bool FoldedKey::Equal(QStringView a, QStringView b) noexcept
{
    // Identical units are the same key; only texts that differ need folding.
    if (a.size() == b.size() &&
        (a.isEmpty() || std::memcmp(a.utf16(), b.utf16(), std::size_t(a.size()) * sizeof(char16_t)) == 0))
        return true;
    FoldedCodePoints x(a), y(b);
    while (!x.AtEnd() && !y.AtEnd()) {
        if (x.Next() != y.Next())
            return false;
    }
    return x.AtEnd() && y.AtEnd();
}

void FoldedKey::Fold(QStringView key, std::u32string &out)
{
    out.clear();
    for (FoldedCodePoints it(key); !it.AtEnd();)
        out.push_back(it.Next());
}

void CollectionTable::ThrowInvalidCall()
{
    throw clsError(clsError::InvalidCall, QStringLiteral("Invalid procedure call or argument"));
}

void CollectionTable::ThrowKeyInUse()
{
    throw clsError(clsError::KeyInUse,
                   QStringLiteral("This key is already associated with an element of this collection"));
}
