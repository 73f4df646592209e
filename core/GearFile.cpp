#include "core/GearFile.h"

#include <QStringDecoder>

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace GearFile {

namespace {

constexpr std::uint64_t Lanes8 = 0x0101010101010101ULL;
constexpr std::uint64_t HighBits = 0x80 * Lanes8;
constexpr bool LittleEndian = std::endian::native == std::endian::little;

bool IsAscii(std::string_view bytes)
{
    const char *p = bytes.data();
    std::size_t n = bytes.size();
#if defined(__SSE2__)
    for (; n >= 16; p += 16, n -= 16) {
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))))
            return false;
    }
#endif
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n; ++p, --n)
        any |= static_cast<unsigned char>(*p);
    return (any & HighBits) == 0;
}

// ASCII bytes as UTF-16 units, sixteen at a time where SSE2 is there.
void WidenAscii(std::string_view ascii, char16_t *out)
{
    const char *p = ascii.data();
    std::size_t n = ascii.size();
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; n >= 16; p += 16, out += 16, n -= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; n; --n)
        *out++ = char16_t(static_cast<unsigned char>(*p++));
}

// The high bit of each byte of `word` that is zero (exact for the lowest such byte, which is all that is used).
std::uint64_t ZeroBytes(std::uint64_t word)
{
    return (word - Lanes8) & ~word & HighBits;
}

// The first comma, CR or LF at or after `p`, or `size`: eight bytes at a time, as fields are mostly plain text.
[[gnu::always_inline]] inline std::size_t FindSeparator(const char *d, std::size_t p, std::size_t size)
{
    if constexpr (LittleEndian) {
        for (; p + 8 <= size; p += 8) {
            std::uint64_t word;
            std::memcpy(&word, d + p, 8);
            const std::uint64_t hits = ZeroBytes(word ^ (',' * Lanes8)) | ZeroBytes(word ^ ('\r' * Lanes8)) |
                                       ZeroBytes(word ^ ('\n' * Lanes8));
            if (hits)
                return p + std::size_t(std::countr_zero(hits) / 8);
        }
    }
    while (p < size && d[p] != ',' && d[p] != '\r' && d[p] != '\n')
        ++p;
    return p;
}

#if defined(__SSE2__)
// The separators among 64 bytes, one bit each (bit k for p[k]).
std::uint64_t SeparatorMask64(const char *p)
{
    const __m128i comma = _mm_set1_epi8(','), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, comma), _mm_cmpeq_epi8(v, cr)), _mm_cmpeq_epi8(v, lf));
        mask |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(hits))) << (16 * k);
    }
    return mask;
}
#endif

// Past the separator at `p`: a comma, CR LF, a lone CR or a lone LF (nothing at the end of the data).
[[gnu::always_inline]] inline std::size_t SkipSeparator(const char *d, std::size_t p, std::size_t size)
{
    if (p < size) {
        if (d[p] == '\r' && p + 1 < size && d[p + 1] == '\n')
            return p + 2;
        return p + 1;
    }
    return p;
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Thirty-two, then eight ASCII bytes at a time: the common case for a catalogue.
        if (end - p >= 32) {
            std::uint64_t words[4];
            std::memcpy(words, p, 32);
            if (((words[0] | words[1] | words[2] | words[3]) & HighBits) == 0) {
                p += 32;
                continue;
            }
        }
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & HighBits) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

TextEncoding DetectEncoding(std::string_view &bytes)
{
    // The mark is dropped, but it does not make invalid bytes after it UTF-8: a spreadsheet may write a mark
    // before Windows-1252 text, and reading that as UTF-8 would turn distinct letters into one replacement.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

bool OneUnitPerByte(std::string_view bytes, TextEncoding encoding)
{
    return encoding == TextEncoding::Windows1252 || IsAscii(bytes);
}

void DecodeUnitForUnit(std::string_view bytes, TextEncoding encoding, char16_t *out)
{
    if (encoding == TextEncoding::Utf8) {
        // ASCII, by far the most common text, widens unit for unit.
        WidenAscii(bytes, out);
        return;
    }
    // Windows-1252 is Latin-1 but for 0x80..0x9F; its five unassigned bytes stay the C1 controls.
    static constexpr char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (unsigned char c : bytes)
        *out++ = (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : char16_t(c);
}

qsizetype DecodeInto(std::string_view bytes, TextEncoding encoding, char16_t *out)
{
    if (!OneUnitPerByte(bytes, encoding)) {
        // QString::fromUtf8 would drop a leading byte-order mark; inside the file it is the character U+FEFF
        // of a name. Stateless: a sequence cut off at the end of a field decodes to a replacement character.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QChar *end = decoder.appendToBuffer(reinterpret_cast<QChar *>(out),
                                            QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        return end - reinterpret_cast<QChar *>(out);
    }
    DecodeUnitForUnit(bytes, encoding, out);
    return qsizetype(bytes.size());
}

QString Decode(std::string_view bytes, TextEncoding encoding)
{
    if (bytes.empty())
        return {};
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    text.resize(DecodeInto(bytes, encoding, reinterpret_cast<char16_t *>(text.data())));
    return text;
}

FieldReader::Result FieldReader::ReadField(std::string_view &field, std::size_t scratchSlot)
{
    const std::size_t size = m_data.size();
    const char *d = m_data.data();
    std::size_t p = m_pos;
    while (p < size && d[p] == ' ')
        ++p;
    if (p >= size) {
        m_pos = p;
        return Result::PastEndOfFile;
    }

    if (d[p] == '"') {
        const std::size_t start = ++p;
        const void *q = std::memchr(d + p, '"', size - p);
        if (!q) {
            m_pos = size;
            return Result::UnterminatedQuote;
        }
        p = static_cast<const char *>(q) - d;
        if (p + 1 < size && d[p + 1] == '"') {
            // Doubled quotes: unescape into the slot's scratch buffer.
            std::string &buf = m_scratch[scratchSlot % m_scratch.size()];
            buf.assign(d + start, p - start);
            for (;;) {
                buf.push_back('"');
                p += 2;
                const void *nq = p < size ? std::memchr(d + p, '"', size - p) : nullptr;
                if (!nq) {
                    m_pos = size;
                    return Result::UnterminatedQuote;
                }
                const std::size_t e = static_cast<const char *>(nq) - d;
                buf.append(d + p, e - p);
                p = e;
                if (!(p + 1 < size && d[p + 1] == '"'))
                    break;
            }
            field = buf;
        } else {
            field = std::string_view(d + start, p - start);
        }
        ++p; // the closing quote
        // Anything after the closing quote up to the separator is dropped, spaces included.
        p = FindSeparator(d, p, size);
    } else {
        const std::size_t start = p;
        p = FindSeparator(d, p, size);
        std::size_t e = p;
        while (e > start && d[e - 1] == ' ')
            --e;
        field = std::string_view(d + start, e - start);
    }

    m_pos = SkipSeparator(d, p, size);
    return Result::Field;
}

FieldReader::RecordResult FieldReader::ReadRecord(std::array<std::string_view, FieldsPerRecord> &fields)
{
    const char *d = m_data.data();
    const std::size_t size = m_data.size();
    const std::size_t start = m_pos;
    std::size_t pos = m_pos;
    std::size_t maskBase = m_maskBase;
    std::uint64_t mask = m_mask;
    // The first comma, CR or LF at or after `p`, or the size: read off the mask while it covers `p`, a mask being
    // made for the next 64 bytes when they are all there.
    auto nextSeparator = [&](std::size_t p) {
#if defined(__SSE2__)
        for (;;) {
            if (p - maskBase < 64) {
                if (const std::uint64_t rest = mask >> (p - maskBase))
                    return p + std::size_t(std::countr_zero(rest));
                p = maskBase + 64;
            }
            if (p > size || size - p < 64)
                return FindSeparator(d, p, size);
            maskBase = p;
            mask = SeparatorMask64(d + p);
        }
#else
        return FindSeparator(d, p, size);
#endif
    };
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (pos < size && d[pos] != ' ' && d[pos] != '"') {
            // Unquoted and without leading spaces, as nearly every field is: read here, as ReadField would.
            const std::size_t e = nextSeparator(pos);
            std::size_t t = e;
            while (t > pos && d[t - 1] == ' ')
                --t;
            fields[i] = std::string_view(d + pos, t - pos);
            pos = SkipSeparator(d, e, size);
            continue;
        }
        m_pos = pos;
        const Result result = ReadField(fields[i], i);
        pos = m_pos;
        if (result == Result::PastEndOfFile)
            return IsTrailingBlank(start) ? RecordResult::EndOfData : RecordResult::PastEndOfFile;
        if (result == Result::UnterminatedQuote)
            return RecordResult::UnterminatedQuote;
    }
    m_pos = pos;
    m_maskBase = maskBase;
    m_mask = mask;
    return RecordResult::Record;
}

bool FieldReader::IsTrailingBlank(std::size_t start) const
{
    // Only whole lines of spaces at the end. A partial record that starts inside a line is what a stray comma
    // or blank line earlier in the file leaves over, and every record after that was read out of step.
    if (start > 0 && m_data[start - 1] != '\r' && m_data[start - 1] != '\n')
        return false;
    return m_data.find_first_not_of(" \r\n", start) == std::string_view::npos;
}

TextCache::TextCache(MakeText make) : m_entries(std::make_unique<Entry[]>(Entries)), m_make(std::move(make)) {}

TextCache::~TextCache() = default;

QString TextCache::Text(std::string_view ascii)
{
    if (ascii.empty() || ascii.size() > MaxBytes)
        return make(ascii);
    std::uint32_t h = 2166136261u;
    for (char c : ascii)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    Entry &entry = m_entries[(h ^ (h >> 15)) & (Entries - 1)];
    if (entry.size == ascii.size() && std::memcmp(entry.bytes, ascii.data(), ascii.size()) == 0)
        return entry.text;
    entry.text = make(ascii);
    entry.size = std::uint8_t(ascii.size());
    std::memcpy(entry.bytes, ascii.data(), ascii.size());
    return entry.text;
}

QString TextCache::Widen(std::string_view ascii)
{
    QString text(qsizetype(ascii.size()), Qt::Uninitialized);
    WidenAscii(ascii, reinterpret_cast<char16_t *>(text.data()));
    return text;
}

bool IsDataRecord(std::string_view first)
{
    std::string_view trimmed = first;
    while (!trimmed.empty() && trimmed.front() == ' ')
        trimmed.remove_prefix(1);
    while (!trimmed.empty() && trimmed.back() == ' ')
        trimmed.remove_suffix(1);
    if (trimmed.empty())
        return false;
    static constexpr std::string_view header = "CATEGORY";
    if (first.size() != header.size())
        return true;
    for (std::size_t i = 0; i < header.size(); ++i) {
        char c = first[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
        if (c != header[i])
            return true;
    }
    return false;
}

} // namespace GearFile
