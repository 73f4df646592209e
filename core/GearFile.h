#pragma once

#include "toolkit/MemorySizes.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The data file's bytes and how they become fields and texts.
namespace GearFile {

inline constexpr int FieldsPerRecord = 9;

enum class TextEncoding
{
    Utf8,
    Windows1252
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// UTF-8 when the bytes are valid UTF-8, otherwise Windows-1252. A UTF-8 byte-order mark is dropped from `bytes`
// first; the rest decides.
TextEncoding DetectEncoding(std::string_view &bytes);

QString Decode(std::string_view bytes, TextEncoding encoding);

// Decodes into `out`, which has room for bytes.size() units (never fewer units than bytes are needed), and returns
// the number of units written.
qsizetype DecodeInto(std::string_view bytes, TextEncoding encoding, char16_t *out);

// Whether the bytes decode to one UTF-16 unit each: always in Windows-1252, for ASCII in UTF-8.
bool OneUnitPerByte(std::string_view bytes, TextEncoding encoding);
// Decodes bytes for which OneUnitPerByte holds into bytes.size() units at `out`.
void DecodeUnitForUnit(std::string_view bytes, TextEncoding encoding, char16_t *out);

// Reads comma-separated fields. A comma ends a field, and so does a line end (CR LF, a lone CR or a lone LF).
// Spaces before a field and after an unquoted one are not part of it. A field in double quotes may hold commas
// and line ends, and two double quotes inside it stand for one. Line ends do not resynchronise records: a
// record is simply the next nine fields.
class FieldReader
{
public:
    enum class Result
    {
        Field,             // a field was read
        PastEndOfFile,     // the end of the data came before the field
        UnterminatedQuote, // a quoted field ran to the end of the data
    };

    explicit FieldReader(std::string_view data) : m_data(data) {}

    bool AtEnd() const { return m_pos >= m_data.size(); }
    std::size_t Position() const { return m_pos; }

    // The field stays valid until the same scratch slot is used again (slots let a record keep nine fields).
    Result ReadField(std::string_view &field, std::size_t scratchSlot = 0);

    enum class RecordResult
    {
        Record,            // nine fields were read
        EndOfData,         // only whole lines of spaces, or blank lines, up to the end: no record
        PastEndOfFile,     // the end of the data came inside a record
        UnterminatedQuote, // a quoted field ran to the end of the data
    };
    RecordResult ReadRecord(std::array<std::string_view, FieldsPerRecord> &fields);

private:
    // Whether the data from `start` (where a record began) is blank lines and spaces at the start of a line.
    bool IsTrailingBlank(std::size_t start) const;

    std::string_view m_data;
    std::size_t m_pos = 0;
    std::array<std::string, FieldsPerRecord> m_scratch;
    // The separators of the 64 bytes from m_maskBase, one bit each, kept from field to field and record to record.
    std::size_t m_maskBase = std::size_t(-1) - 64;
    std::uint64_t m_mask = 0;
};

// Texts made from ASCII bytes, the recent ones kept by their bytes: catalogue records repeat their references,
// and a repeat shares the text made before instead of making another. Texts are made by `make` when given.
class TextCache
{
public:
    using MakeText = std::function<QString(std::string_view ascii)>;
    explicit TextCache(MakeText make = {});
    ~TextCache();
    TextCache(const TextCache &) = delete;
    TextCache &operator=(const TextCache &) = delete;

    // The text of `ascii` (bytes below 0x80 only).
    QString Text(std::string_view ascii);

private:
    static constexpr std::size_t Entries = MemorySizes::Pick(4096, 4);
    static constexpr std::size_t MaxBytes = 30;
    static QString Widen(std::string_view ascii);
    QString make(std::string_view ascii) const { return m_make ? m_make(ascii) : Widen(ascii); }

    struct Entry
    {
        char bytes[MaxBytes];
        std::uint8_t size = 0;
        QString text;
    };
    std::unique_ptr<Entry[]> m_entries;
    MakeText m_make;
};

// The nine fields of one record as read from the file, with the file's encoding.
struct GearRecord
{
    std::array<std::string_view, FieldsPerRecord> Fields;
    TextEncoding Encoding = TextEncoding::Utf8;
    TextCache *Cache = nullptr; // while a file loads: shares the texts that recur

    QString Text(int column) const { return Decode(Fields[column], Encoding); }
};

// Runs `seam` with the data file's path while a load has the file open and its size taken, before its bytes are
// read, so that a test can change the file at that moment. An empty function removes it.
void SetReadSeamForTesting(std::function<void(const QString &path)> seam);

// Whether a record is filed: its first field is not blank and does not read "CATEGORY" in any letter case.
bool IsDataRecord(std::string_view firstField);

} // namespace GearFile
