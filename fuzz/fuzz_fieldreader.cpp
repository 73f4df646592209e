#include "ReferenceReader.h"

#include "core/GearFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

using GearFile::FieldReader;

namespace {

bool Inside(std::string_view part, std::string_view whole)
{
    const auto begin = reinterpret_cast<std::uintptr_t>(whole.data());
    const auto p = reinterpret_cast<std::uintptr_t>(part.data());
    return p >= begin && p + part.size() <= begin + whole.size();
}

// A field that is a view into the data: what surrounds it must be what the reader stopped at.
void CheckViewIntoData(std::string_view field, std::string_view data)
{
    const std::size_t start = std::size_t(field.data() - data.data());
    const bool quoted = start > 0 && data[start - 1] == '"';
    if (quoted) {
        FUZZ_CHECK(field.find('"') == std::string_view::npos);
        FUZZ_CHECK(start + field.size() < data.size() && data[start + field.size()] == '"');
    } else {
        FUZZ_CHECK(field.find_first_of(",\r\n") == std::string_view::npos);
        FUZZ_CHECK(field.empty() || (field.front() != ' ' && field.front() != '"' && field.back() != ' '));
    }
}

bool IsAscii(std::string_view bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Filed unless blank or the header word in any letter case.
bool IsDataRecordByHand(const std::string &first)
{
    if (first.find_first_not_of(' ') == std::string::npos)
        return false;
    static constexpr std::string_view header = "category";
    if (first.size() != header.size())
        return true;
    for (std::size_t i = 0; i < header.size(); ++i)
        if (first[i] != header[i] && first[i] != header[i] - 32)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(bytes), size);
    std::string_view data = input;
    const GearFile::TextEncoding encoding = GearFile::DetectEncoding(data);

    // Only a leading byte-order mark may be dropped; the bytes after it decide the encoding.
    const bool bom = input.substr(0, 3) == "\xEF\xBB\xBF";
    FUZZ_CHECK(data.data() == input.data() + (bom ? 3 : 0) && data.size() == size - (bom ? 3 : 0));
    FUZZ_CHECK((encoding == GearFile::TextEncoding::Utf8) == GearFile::IsValidUtf8(data));
    FUZZ_CHECK(encoding == GearFile::TextEncoding::Utf8 ||
               QString::fromUtf8(input.data(), qsizetype(size)).toUtf8() != QByteArray(input.data(), qsizetype(size)));

    const bool validUtf8 = GearFile::IsValidUtf8(data);

    FieldReader reader(data);
    ReferenceReader reference(data);
    std::array<std::string_view, GearFile::FieldsPerRecord> fields;
    static std::array<std::string, GearFile::FieldsPerRecord> expected; // kept: its buffers are reused
    for (;;) {
        const std::size_t before = reader.Position();
        const auto result = reader.ReadRecord(fields);
        const auto expectedResult = reference.ReadRecord(expected);
        FUZZ_CHECK(result == expectedResult);
        FUZZ_CHECK(reader.Position() == reference.Position());
        FUZZ_CHECK(reader.Position() <= data.size());
        if (result != FieldReader::RecordResult::Record) {
            // Every other outcome means the data ran out.
            FUZZ_CHECK(reader.AtEnd());
            break;
        }
        FUZZ_CHECK(reader.Position() > before);

        // All nine fields must still be readable once the record is complete.
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string_view field = fields[i];
            FUZZ_CHECK(field == expected[i]);
            if (Inside(field, data))
                CheckViewIntoData(field, data);
            else
                FUZZ_CHECK(field.empty() || field.find('"') != std::string_view::npos); // doubled quotes undone
            const QString text = GearFile::Decode(field, encoding);
            if (IsAscii(field)) {
                // ASCII reads the same in both encodings, one unit per byte.
                FUZZ_CHECK(text.size() == qsizetype(field.size()));
                for (std::size_t c = 0; c < field.size(); ++c)
                    FUZZ_CHECK(text[qsizetype(c)].unicode() == static_cast<unsigned char>(field[c]));
            } else if (encoding == GearFile::TextEncoding::Windows1252) {
                FUZZ_CHECK(text.size() == qsizetype(field.size()));
            } else if (validUtf8) {
                // A piece of valid UTF-8 cut at ASCII bytes is valid UTF-8 and survives the round trip.
                FUZZ_CHECK(GearFile::IsValidUtf8(field));
                FUZZ_CHECK(text.toUtf8() == QByteArray(field.data(), qsizetype(field.size())));
            }
        }
        FUZZ_CHECK(GearFile::IsDataRecord(fields[0]) == IsDataRecordByHand(expected[0]));
    }
    return 0;
}
