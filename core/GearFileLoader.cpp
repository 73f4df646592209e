#include "core/Numbers.h"
#include "core/clsGearList.h"
#include "toolkit/MsgBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <new>

using GearFile::FieldReader;
using GearFile::GearRecord;

namespace {

// The data file's bytes: mapped where possible, read otherwise.
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
        return m_file.open(QIODevice::ReadOnly);
    }

    std::string_view Read()
    {
        const qint64 size = m_file.size();
        if (size > 0) {
            if (uchar *mapped = m_file.map(0, size))
                return {reinterpret_cast<const char *>(mapped), std::size_t(size)};
        }
        m_buffer = m_file.readAll();
        if (m_file.error() != QFileDevice::NoError)
            throw clsError(clsError::BadRecord, m_file.errorString());
        return {m_buffer.constData(), std::size_t(m_buffer.size())};
    }

private:
    QFile m_file;
    QByteArray m_buffer;
};

// A 16-bit member: empty gives 0; a failed conversion leaves the member at 0 as well.
std::int16_t ToInt16OrZero(std::string_view field)
{
    const auto value = Numbers::ParsePlain(field);
    if (!value)
        return 0;
    return Numbers::RoundToInt16(*value).value_or(0);
}

// A reference number is present when it is not empty and does not read as zero.
enum class RefNumber { Absent, Present, NotANumber };
RefNumber Classify(std::string_view field)
{
    if (field.empty())
        return RefNumber::Absent;
    const auto value = Numbers::ParsePlain(field);
    if (!value)
        return RefNumber::NotANumber;
    return *value == 0 ? RefNumber::Absent : RefNumber::Present;
}

} // namespace

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
        std::string_view bytes = file.Read();
        GearRecord record;
        record.Encoding = GearFile::DetectEncoding(bytes);
        FieldReader reader(bytes);
        m_cache = {};
        while (!reader.AtEnd()) {
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
        }
        m_cache = {};
    } catch (const clsError &) {
        result = false;
    } catch (const std::bad_alloc &) {
        result = false;
    }
    if (!result) {
        m_cache = {};
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
    const auto &f = record.Fields;

    // Category and sub-category: found by key, created on first sight.
    if (!m_cache.category || f[0] != m_cache.categoryText) {
        const QString name = record.Text(0);
        clsCategory *category = m_categories->Find(name);
        if (!category) {
            auto created = std::make_unique<clsCategory>();
            created->Name = name;
            category = &m_categories->Add(std::move(created), name);
        }
        m_cache.categoryText = f[0];
        m_cache.category = category;
        m_cache.gadget = IsGadgetCategory(name);
        m_cache.subCategory = nullptr;
    }
    if (!m_cache.subCategory || f[1] != m_cache.subCategoryText) {
        const QString name = record.Text(1);
        clsSubCategory *sub = m_cache.category->SubCategories->Find(name);
        if (!sub) {
            auto created = std::make_unique<clsSubCategory>();
            created->Parent = m_cache.category;
            created->Name = name;
            sub = &m_cache.category->SubCategories->Add(std::move(created), name);
        }
        m_cache.subCategoryText = f[1];
        m_cache.subCategory = sub;
    }
    clsSubCategory *sub = m_cache.subCategory;

    // An item without a name is not filed; neither is a second item of the same name (the first stays).
    if (f[2].empty())
        return;
    QString name = record.Text(2);
    auto item = std::make_unique<clsItem>();
    item->Name = name;
    if (m_cache.gadget) {
        item->Cost_GP = ToInt16OrZero(f[3]);
        item->Cost_BP = 0;
    } else {
        item->Cost_GP = 0;
        item->Cost_BP = ToInt16OrZero(f[3]);
    }
    item->Weight_lb = Numbers::ParsePlain(f[4]).value_or(0.0);
    item->Cost_Dollar = ToInt16OrZero(f[5]);

    const RefNumber first = Classify(f[7]);
    const RefNumber second = Classify(f[8]);
    QString reference = record.Text(6);
    if (first != RefNumber::NotANumber && second != RefNumber::NotANumber) {
        if (first == RefNumber::Present && second == RefNumber::Present)
            reference += QLatin1Char(' ') + record.Text(7) + QLatin1Char('/') + record.Text(8);
        else if (first == RefNumber::Present)
            reference += QLatin1Char(' ') + record.Text(7);
        else if (second == RefNumber::Present)
            reference += QLatin1Char(' ') + record.Text(8);
    }
    item->Reference = std::move(reference);
    item->Parent = sub;
    sub->Items->TryAdd(std::move(item), std::move(name));
}
