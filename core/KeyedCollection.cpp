#include "core/KeyedCollection.h"

#include <QChar>

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

private:
    const char16_t *m_p;
    const char16_t *m_end;
};

} // namespace

size_t FoldedKey::Hash(QStringView key, size_t seed) noexcept
{
    // FNV-1a over the folded code points, mixed with the seed.
    size_t h = 1469598103934665603ULL ^ seed;
    FoldedCodePoints it(key);
    while (!it.AtEnd()) {
        h ^= it.Next();
        h *= 1099511628211ULL;
    }
    return h ^ (h >> 29);
}

bool FoldedKey::Equal(QStringView a, QStringView b) noexcept
{
    FoldedCodePoints x(a), y(b);
    while (!x.AtEnd() && !y.AtEnd()) {
        if (x.Next() != y.Next())
            return false;
    }
    return x.AtEnd() && y.AtEnd();
}
