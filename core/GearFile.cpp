#include "core/GearFile.h"

#include <cstdint>
#include <cstring>

namespace GearFile {

bool IsValidUtf8(std::string_view bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Eight ASCII bytes at a time: the common case for a catalogue.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
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
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        return TextEncoding::Utf8;
    }
    return IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

QString Decode(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    // Windows-1252 is Latin-1 but for 0x80..0x9F; its five unassigned bytes stay the C1 controls.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (unsigned char c : bytes)
        *out++ = (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : char16_t(c);
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
        while (p < size && d[p] != ',' && d[p] != '\r' && d[p] != '\n')
            ++p;
    } else {
        const std::size_t start = p;
        while (p < size && d[p] != ',' && d[p] != '\r' && d[p] != '\n')
            ++p;
        std::size_t e = p;
        while (e > start && d[e - 1] == ' ')
            --e;
        field = std::string_view(d + start, e - start);
    }

    if (p < size) {
        if (d[p] == ',') {
            ++p;
        } else if (d[p] == '\r') {
            ++p;
            if (p < size && d[p] == '\n')
                ++p;
        } else {
            ++p; // a lone line feed
        }
    }
    m_pos = p;
    return Result::Field;
}

FieldReader::RecordResult FieldReader::ReadRecord(std::array<std::string_view, FieldsPerRecord> &fields)
{
    bool allEmpty = true;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        switch (ReadField(fields[i], i)) {
        case Result::Field:
            allEmpty = allEmpty && fields[i].empty();
            break;
        case Result::PastEndOfFile:
            // Trailing blank lines or spaces are the end of the data, not a broken record.
            return allEmpty ? RecordResult::EndOfData : RecordResult::PastEndOfFile;
        case Result::UnterminatedQuote:
            return RecordResult::UnterminatedQuote;
        }
    }
    return RecordResult::Record;
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
