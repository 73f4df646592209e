#pragma once

#include "core/GearFile.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A byte-at-a-time reader of the data file's fields, written for clarity rather than speed. The fuzz targets
// hold GearFile::FieldReader and the loader to it.
class ReferenceReader
{
public:
    using Result = GearFile::FieldReader::RecordResult;

    explicit ReferenceReader(std::string_view data) : m_data(data) {}

    bool AtEnd() const { return m_pos >= m_data.size(); }
    std::size_t Position() const { return m_pos; }

    Result ReadRecord(std::array<std::string, GearFile::FieldsPerRecord> &fields)
    {
        const std::size_t start = m_pos;
        for (std::string &field : fields) {
            switch (ReadField(field)) {
            case Field::Read:
                break;
            case Field::PastEnd: {
                // Blank lines and lines of spaces at the very end, starting at the start of a line, are no record.
                bool blank = start == 0 || m_data[start - 1] == '\r' || m_data[start - 1] == '\n';
                for (std::size_t i = start; blank && i < m_data.size(); ++i)
                    blank = m_data[i] == ' ' || m_data[i] == '\r' || m_data[i] == '\n';
                return blank ? Result::EndOfData : Result::PastEndOfFile;
            }
            case Field::Unterminated:
                return Result::UnterminatedQuote;
            }
        }
        return Result::Record;
    }

private:
    enum class Field
    {
        Read,
        PastEnd,
        Unterminated
    };

    static bool IsSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }

    Field ReadField(std::string &out)
    {
        const std::size_t n = m_data.size();
        out.clear();
        while (m_pos < n && m_data[m_pos] == ' ')
            ++m_pos;
        if (m_pos >= n)
            return Field::PastEnd;
        if (m_data[m_pos] == '"') {
            ++m_pos;
            for (;;) {
                if (m_pos >= n)
                    return Field::Unterminated;
                const char c = m_data[m_pos++];
                if (c != '"') {
                    out += c;
                } else if (m_pos < n && m_data[m_pos] == '"') {
                    out += '"';
                    ++m_pos;
                } else {
                    break;
                }
            }
            while (m_pos < n && !IsSeparator(m_data[m_pos]))
                ++m_pos;
        } else {
            while (m_pos < n && !IsSeparator(m_data[m_pos]))
                out += m_data[m_pos++];
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
        }
        if (m_pos < n) {
            const char sep = m_data[m_pos++];
            if (sep == '\r' && m_pos < n && m_data[m_pos] == '\n')
                ++m_pos;
        }
        return Field::Read;
    }

    std::string_view m_data;
    std::size_t m_pos = 0;
};

// A broken invariant: say which, then abort so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);                     \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
