#include "core/CatalogueBuilder.h"
#include "core/Numbers.h"
#include "core/clsGearList.h"
#include "toolkit/BulkMemory.h"
#include "toolkit/MsgBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <utility>

using GearFile::FieldReader;
using GearFile::GearRecord;

namespace {

std::function<void(const QString &)> &ReadSeam()
{
    static std::function<void(const QString &)> seam;
    return seam;
}

// A snapshot of the data file's bytes. A memory map would follow the file as an editor saves over it in place,
// and touching a page past its new end kills the process with SIGBUS; a copy read at once cannot change.
class FileBytes
{
public:
    bool Open(const QString &path)
    {
        // Only a regular file: a directory or a pipe of that name is not the data file (a pipe would block).
        const QFileInfo info(path);
        if (!info.exists() || !info.isFile())
            return false;
        m_file.setFileName(path);
        return m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    std::string_view Read()
    {
        const qint64 expected = std::max<qint64>(m_file.size(), 0);
        m_buffer.Allocate(std::size_t(expected));
        if (ReadSeam())
            ReadSeam()(m_file.fileName());
        qint64 got = 0;
        while (got < expected) {
            const qint64 n = m_file.read(m_buffer.data + got, expected - got);
            if (n < 0)
                Fail();
            if (n == 0)
                break; // the file shrank since its size was taken
            got += n;
        }
        if (got == expected) {
            // It may have grown, or report no size at all (a file under /proc).
            const QByteArray rest = m_file.readAll();
            if (m_file.error() != QFileDevice::NoError)
                Fail();
            if (!rest.isEmpty()) {
                Buffer whole;
                whole.Allocate(std::size_t(got + rest.size()));
                std::memcpy(whole.data, m_buffer.data, std::size_t(got));
                std::memcpy(whole.data + got, rest.constData(), std::size_t(rest.size()));
                swap(whole, m_buffer);
                got += rest.size();
            }
        }
        return {m_buffer.data, std::size_t(got)};
    }

    // The bytes before `p` in what Read returned are done with: their memory can go (see BulkMemory::Discard).
    void DoneBefore(const char *p)
    {
        const std::size_t offset = std::size_t(p - m_buffer.data);
        assert(offset <= m_buffer.bytes);
        if (offset > m_done + DiscardStep) {
            BulkMemory::Discard(m_buffer.data, m_buffer.bytes, offset - KeptBehind);
            m_done = offset;
        }
    }

private:
    [[noreturn]] void Fail() { throw clsError(clsError::BadRecord, m_file.errorString()); }

    // Bulk memory: a large file is read into fresh pages, which are costly to fault in one by one.
    struct Buffer
    {
        char *data = nullptr;
        std::size_t bytes = 0;
        Buffer() = default;
        Buffer(const Buffer &) = delete;
        Buffer &operator=(const Buffer &) = delete;
        ~Buffer() { BulkMemory::Free(data, bytes); }
        void Allocate(std::size_t size)
        {
            BulkMemory::Free(std::exchange(data, nullptr), bytes);
            bytes = std::max<std::size_t>(size, 1);
            data = static_cast<char *>(BulkMemory::Allocate(bytes));
        }
        friend void swap(Buffer &a, Buffer &b) noexcept
        {
            std::swap(a.data, b.data);
            std::swap(a.bytes, b.bytes);
        }
    };

    static constexpr std::size_t DiscardStep = MemorySizes::Pick(std::size_t(2) << 20, 2 * MemorySizes::Page);
    // Kept before the position: the reader looks one byte back from the start of a record.
    static constexpr std::size_t KeptBehind = 4096;
    static_assert(DiscardStep > KeptBehind);

    QFile m_file;
    Buffer m_buffer;
    std::size_t m_done = 0;
};

// Numbers::ParsePlain, with the forms a catalogue is made of read here: up to fifteen digits, perhaps with a
// point inside. Such a whole number and its power of ten are exact doubles, so one division rounds correctly,
// giving what ParsePlain gives. Anything else goes to ParsePlain.
std::optional<double> ParseNumber(std::string_view field)
{
    static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (field.empty() || field.size() > 15)
        return Numbers::ParsePlain(field);
    std::uint64_t whole = 0;
    int decimals = -1; // digits after the point; -1 without one
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            whole = whole * 10 + std::uint64_t(c - '0');
            if (decimals >= 0)
                ++decimals;
        } else if (c == '.' && decimals < 0 && i > 0) {
            decimals = 0;
        } else {
            return Numbers::ParsePlain(field);
        }
    }
    if (decimals == 0)
        return Numbers::ParsePlain(field);
    return decimals > 0 ? double(whole) / PowersOfTen[decimals] : double(whole);
}

bool AllDigits(std::string_view field)
{
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// A 16-bit member: empty gives 0; a failed conversion leaves the member at 0 as well.
std::int16_t ToInt16OrZero(std::string_view field)
{
    // Up to five digits, the usual cost, read directly: above 32767 is out of range, so 0.
    if (!field.empty() && field.size() <= 5) {
        int n = 0;
        bool digits = true;
        for (char c : field) {
            digits = digits && c >= '0' && c <= '9';
            n = n * 10 + (c - '0');
        }
        if (digits)
            return n <= 32767 ? std::int16_t(n) : std::int16_t(0);
    }
    const auto value = ParseNumber(field);
    if (!value)
        return 0;
    return Numbers::RoundToInt16(*value).value_or(0);
}

// A reference number is present when it is not empty and does not read as zero.
enum class RefNumber
{
    Absent,
    Present,
    NotANumber
};
RefNumber Classify(std::string_view field)
{
    if (field.empty())
        return RefNumber::Absent;
    // Plain digits, the usual page number, read as zero only when every digit is 0.
    if (AllDigits(field))
        return field.find_first_not_of('0') == std::string_view::npos ? RefNumber::Absent : RefNumber::Present;
    const auto value = ParseNumber(field);
    if (!value)
        return RefNumber::NotANumber;
    return *value == 0 ? RefNumber::Absent : RefNumber::Present;
}

bool IsAscii(std::string_view bytes)
{
    unsigned char any = 0;
    for (char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// The reference, kept in the store: the source, then the page numbers that are present ("QCR 88", "BLK 53/54").
// ASCII parts, which read the same in either encoding, are joined as bytes and made into a text once (shared
// through the record's cache when it has one); others are decoded and joined.
QString ComposeReference(const GearRecord &record, bool first, bool second, CatalogueStore &store)
{
    const std::string_view source = record.Fields[6];
    const std::string_view pages[2] = {first ? record.Fields[7] : std::string_view(),
                                       second ? record.Fields[8] : std::string_view()};
    const std::size_t length =
        source.size() + (first || second ? 1 : 0) + pages[0].size() + (first && second ? 1 : 0) + pages[1].size();
    if (length == 0 || !IsAscii(source) || !IsAscii(pages[0]) || !IsAscii(pages[1])) {
        QString reference = record.Text(6);
        if (first && second)
            reference += QLatin1Char(' ') + record.Text(7) + QLatin1Char('/') + record.Text(8);
        else if (first)
            reference += QLatin1Char(' ') + record.Text(7);
        else if (second)
            reference += QLatin1Char(' ') + record.Text(8);
        return store.Keep(reference);
    }
    std::string composed;
    composed.reserve(length);
    composed.append(source);
    if (first || second)
        composed.push_back(' ');
    composed.append(pages[0]);
    if (first && second)
        composed.push_back('/');
    composed.append(pages[1]);
    if (record.Cache)
        return record.Cache->Text(composed);
    return store.Text(composed, GearFile::TextEncoding::Utf8);
}

// The slots of the loader's cache of category and sub-category pairs, and the slot of a pair's bytes.
constexpr std::size_t PairSlots = MemorySizes::Pick(1024, 2);
static_assert((PairSlots & (PairSlots - 1)) == 0);
std::size_t PairSlot(std::string_view category, std::string_view subCategory)
{
    const std::size_t h = std::hash<std::string_view>()(category) * 0x9E3779B97F4A7C15ULL;
    return (h ^ std::hash<std::string_view>()(subCategory)) & (PairSlots - 1);
}

// The decoded text of `bytes` for a moment (a lookup), in `scratch`.
QStringView Scratch(std::string_view bytes, GearFile::TextEncoding encoding, std::u16string &scratch)
{
    if (scratch.size() < bytes.size())
        scratch.resize(bytes.size());
    return QStringView(scratch.data(), GearFile::DecodeInto(bytes, encoding, scratch.data()));
}

} // namespace

void GearFile::SetReadSeamForTesting(std::function<void(const QString &path)> seam)
{
    ReadSeam() = std::move(seam);
}

bool clsGearList::LoadGearFile(const QString &folder)
{
    bool result = true;
    bool opened = false;
    std::int32_t recordCounter = 0;
    const QString path = folder + QDir::separator() + GearFileName;
    QString message;
    try {
        FileBytes file;
        if (!file.Open(path))
            throw clsError(clsError::FileNotFound, QStringLiteral("File not found"));
        opened = true;
        // The bytes are read with the first record: a failure to read them is one on line 1.
        ++recordCounter;
        std::string_view bytes = file.Read();
        GearFile::TextCache cache(
            [this](std::string_view ascii) { return m_store->Text(ascii, GearFile::TextEncoding::Utf8); });
        GearRecord record;
        record.Cache = &cache;
        record.Encoding = GearFile::DetectEncoding(bytes);
        FieldReader reader(bytes);
        // Whichever way this block is left, the builder goes last: whatever was filed is findable.
        CatalogueBuilder builder(*m_categories, m_store);
        m_builder = &builder;
        struct Loading
        {
            clsGearList &list;
            ~Loading() { list.m_builder = nullptr; }
        } loading{*this};
        for (bool first = true; !reader.AtEnd(); first = false) {
            if (!first)
                ++recordCounter;
            const auto read = reader.ReadRecord(record.Fields);
            if (read == FieldReader::RecordResult::EndOfData)
                break;
            if (read == FieldReader::RecordResult::PastEndOfFile)
                throw clsError(clsError::PastEndOfFile, QStringLiteral("Input past end of file"));
            if (read == FieldReader::RecordResult::UnterminatedQuote)
                throw clsError(clsError::BadRecord, QStringLiteral("Bad record"));
            if (GearFile::IsDataRecord(record.Fields[0]))
                AddGearRecord(record);
            file.DoneBefore(bytes.data() + reader.Position());
        }
        builder.Finish();
    } catch (const clsError &) {
        result = false;
    } catch (const std::bad_alloc &) {
        result = false;
    }
    if (!result) {
        // What was filed stays (the window never shows it).
        if (!opened)
            message = QStringLiteral("The data file ") + path +
                      QStringLiteral(" could not be opened.  Ensure the file exists and is not being used by any other "
                                     "applications or programs.");
        else
            message = QStringLiteral("An error occured reading the data file ") + path + QStringLiteral(" on line ") +
                      QString::number(recordCounter) + QStringLiteral(".  Ensure the data is in the correct format.");
        MsgBox::Show(message, ErrorTitle, MsgBox::Icon::Critical);
    }
    return result;
}

void clsGearList::AddGearRecord(const GearRecord &record)
{
    if (m_builder) {
        m_builder->Add(record);
        return;
    }
    CatalogueBuilder builder(*m_categories, m_store);
    builder.Add(record);
    builder.Finish();
}

CatalogueBuilder::CatalogueBuilder(GearCatalogue &catalogue, std::shared_ptr<CatalogueStore> store)
    : m_catalogue(catalogue), m_store(std::move(store))
{
}

CatalogueBuilder::~CatalogueBuilder()
{
    // Unless Finish has done it: what cannot be made findable (no memory for its table) is dropped.
    for (clsSubCategory *sub : m_filled)
        m_catalogue.m_itemCount += sub->filledItems().IndexOrDrop();
    m_catalogue.dropItems();
}

void CatalogueBuilder::Finish()
{
    // The record cache goes first, so that the tables take its memory.
    m_pairs = {};
    decltype(m_runs)().swap(m_runs);
    for (clsSubCategory *sub : m_filled)
        m_catalogue.m_itemCount += sub->filledItems().Index();
    m_filled.clear();
}

void CatalogueBuilder::Add(const GearRecord &record)
{
    const auto &f = record.Fields;

    // Category and sub-category: found by key, created on first sight. A name is decoded aside for the lookup and
    // kept in the store only for a new one.
    if (m_pairs.empty())
        m_pairs.resize(PairSlots);
    Pair &pair = m_pairs[PairSlot(f[0], f[1])];
    if (!pair.subCategory || f[0] != pair.categoryText || f[1] != pair.subCategoryText) {
        const QStringView categoryName = Scratch(f[0], record.Encoding, m_scratch);
        clsCategory *category = m_catalogue.Find(categoryName);
        if (!category) {
            const QString kept = m_store->Keep(categoryName);
            auto created = std::make_unique<clsCategory>();
            created->Name = kept;
            category = &m_catalogue.Add(std::move(created), kept);
        }
        pair.gadget = IsGadgetCategory(categoryName);
        const QStringView subName = Scratch(f[1], record.Encoding, m_scratch);
        clsSubCategory *found = category->SubCategories->Find(subName);
        if (!found) {
            const QString kept = m_store->Keep(subName);
            auto created = std::make_unique<clsSubCategory>();
            created->Parent = category;
            created->setTextsOwner(m_store);
            created->Name = kept;
            found = &m_catalogue.addSubCategory(*category, std::move(created), kept);
        }
        // The slot is emptied first: a failure below leaves no pair that names another sub-category.
        pair.subCategory = nullptr;
        pair.categoryText = f[0];
        pair.subCategoryText = f[1];
        // Room to note a sub-category first filled here, before it can be.
        if (m_filled.size() == m_filled.capacity())
            m_filled.reserve(2 * m_filled.size() + 16);
        const auto [run, first] = m_runs.try_emplace(found);
        if (first)
            m_filled.push_back(found);
        pair.run = &run->second;
        pair.subCategory = found;
    }
    clsSubCategory *sub = pair.subCategory;

    // An item without a name is not filed; neither is a second item of the same name (the first stays).
    if (f[2].empty())
        return;
    std::unique_ptr<clsItem> item(m_store->NewItem(*pair.run));
    if (pair.gadget) {
        item->Cost_GP = ToInt16OrZero(f[3]);
        item->Cost_BP = 0;
    } else {
        item->Cost_GP = 0;
        item->Cost_BP = ToInt16OrZero(f[3]);
    }
    // A weight too large for a double is a failed conversion, like a word.
    const double weight = ParseNumber(f[4]).value_or(0.0);
    item->Weight_lb = std::isfinite(weight) ? weight : 0.0;
    item->Cost_Dollar = ToInt16OrZero(f[5]);

    const RefNumber first = Classify(f[7]);
    const RefNumber second = Classify(f[8]);
    // A page number that is not a number drops both.
    const bool numbers = first != RefNumber::NotANumber && second != RefNumber::NotANumber;
    CatalogueStore::SetTexts(*item, m_store->Text(f[2], record.Encoding),
                             ComposeReference(record, numbers && first == RefNumber::Present,
                                              numbers && second == RefNumber::Present, *m_store));
    item->Parent = sub;
    // Checked for a repeated name when the builder finishes.
    sub->filledItems().AppendUnindexed(std::move(item));
}
