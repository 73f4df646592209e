#include "ReferenceReader.h"

#include "core/clsGearList.h"
#include "toolkit/MsgBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>

#include <cstdint>
#include <memory>
#include <optional>

namespace {

struct Seen
{
    int boxes = 0;
    QString text;
    QString title;
    MsgBox::Icon icon = MsgBox::Icon::Information;
};

// One folder for the whole process: writing the file again is cheaper than a new folder per input. Memory-backed
// where there is such a folder, as the file is rewritten for every input. A crash or libFuzzer's quick exit skips
// cleaning up, so the folder carries the process id and folders of processes that are gone are removed.
const QString &Folder()
{
    static const QString path = [] {
        const QDir base(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath());
        const QString prefix = QStringLiteral("tarnwick-fuzz-");
        if (QDir(QStringLiteral("/proc/self")).exists()) {
            for (const QString &name : base.entryList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot)) {
                bool number = false;
                const qint64 pid = name.mid(prefix.size()).toLongLong(&number);
                if (number && !QDir(QStringLiteral("/proc/%1").arg(pid)).exists())
                    QDir(base.filePath(name)).removeRecursively();
            }
        }
        const QString folder = base.filePath(prefix + QString::number(QCoreApplication::applicationPid()));
        FUZZ_CHECK(QDir().mkpath(folder));
        return folder;
    }();
    return path;
}

QString FilePath()
{
    return Folder() + QDir::separator() + GearFileName;
}

// What the loader must do with the data, worked out with the reference reader: the outcome, the line of a
// failure, and every record it files before that.
struct Expected
{
    bool ok = true;
    int line = 0;
    std::vector<std::array<QString, 3>> filed; // category, sub-category, item ("" when not filed)
};

Expected Predict(std::string_view input)
{
    Expected e;
    std::string_view data = input;
    const auto encoding = GearFile::DetectEncoding(data);
    ReferenceReader reader(data);
    std::array<std::string, GearFile::FieldsPerRecord> fields;
    while (!reader.AtEnd()) {
        ++e.line;
        const auto result = reader.ReadRecord(fields);
        if (result == ReferenceReader::Result::EndOfData)
            break;
        if (result != ReferenceReader::Result::Record) {
            e.ok = false;
            break;
        }
        if (!GearFile::IsDataRecord(fields[0]))
            continue;
        e.filed.push_back({GearFile::Decode(fields[0], encoding), GearFile::Decode(fields[1], encoding),
                           GearFile::Decode(fields[2], encoding)});
    }
    return e;
}

QString NameOf(const clsItem *item)
{
    return item->Name();
}
template <typename T> QString NameOf(const T *element)
{
    return element->Name;
}

template <typename Collection> void CheckKeys(const Collection &collection)
{
    qsizetype count = 0;
    QSet<QString> folded;
    for (auto it = collection.begin(); it != collection.end(); ++it) {
        ++count;
        const QString name = NameOf(*it);
        FUZZ_CHECK(it.key() == name);
        // A second fold-equal key would make the lookup find the first element instead.
        FUZZ_CHECK(collection.Find(it.key()) == *it);
        folded.insert(name.toCaseFolded());
    }
    FUZZ_CHECK(count == collection.Count());
    FUZZ_CHECK(folded.size() == count);
}

void CheckCatalogue(const clsGearList &app)
{
    const GearCatalogue &categories = *app.Categories();
    CheckKeys(categories);
    for (clsCategory *category : categories) {
        FUZZ_CHECK(category->SubCategories);
        CheckKeys(*category->SubCategories);
        const bool gadget = IsGadgetCategory(category->Name);
        for (clsSubCategory *sub : *category->SubCategories) {
            FUZZ_CHECK(sub->Parent == category);
            FUZZ_CHECK(sub->Items);
            CheckKeys(*sub->Items);
            for (clsItem *item : *sub->Items) {
                FUZZ_CHECK(item->Parent == sub);
                FUZZ_CHECK(!item->Name().isEmpty());
                // Gear is costed in one currency: gadget points for gadgets, build points for the rest.
                FUZZ_CHECK(gadget ? item->Cost_BP == 0 : item->Cost_GP == 0);
            }
        }
    }
}

// Every record the reference says is filed is found where it belongs, and nothing else is there.
void CheckFiled(const clsGearList &app, const Expected &expected)
{
    KeyedCollection<int> categories;
    KeyedCollection<int> subs;
    KeyedCollection<int> items;
    for (const auto &[categoryName, subName, itemName] : expected.filed) {
        clsCategory *category = app.Categories()->Find(categoryName);
        FUZZ_CHECK(category);
        clsSubCategory *sub = category->SubCategories->Find(subName);
        FUZZ_CHECK(sub);
        // Distinct names; a sub-category is told apart by its category's address, an item by its sub-category's.
        categories.TryAdd(std::make_unique<int>(), categoryName);
        subs.TryAdd(std::make_unique<int>(), QString::number(quintptr(category)) + QLatin1Char(':') + subName);
        if (itemName.isEmpty())
            continue;
        FUZZ_CHECK(sub->Items->Find(itemName));
        items.TryAdd(std::make_unique<int>(), QString::number(quintptr(sub)) + QLatin1Char(':') + itemName);
    }
    FUZZ_CHECK(app.Categories()->Count() == categories.Count());
    qsizetype subCount = 0;
    qsizetype itemCount = 0;
    for (clsCategory *category : *app.Categories()) {
        subCount += category->SubCategories->Count();
        for (clsSubCategory *sub : *category->SubCategories)
            itemCount += sub->Items->Count();
    }
    FUZZ_CHECK(subCount == subs.Count());
    FUZZ_CHECK(itemCount == items.Count());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(bytes), size);
    {
        QFile file(FilePath());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(input.data(), qint64(size)) == qint64(size));
    }

    Seen seen;
    MsgBox::SetInterceptor([&seen](const QString &text, const QString &title, MsgBox::Icon icon) {
        ++seen.boxes;
        seen.text = text;
        seen.title = title;
        seen.icon = icon;
    });
    auto app = std::make_unique<clsGearList>();
    const bool ok = app->LoadGearFile(Folder());
    MsgBox::SetInterceptor({});

    const Expected expected = Predict(input);
    FUZZ_CHECK(ok == expected.ok);
    if (ok) {
        FUZZ_CHECK(seen.boxes == 0);
    } else {
        FUZZ_CHECK(seen.boxes == 1);
        FUZZ_CHECK(seen.title == QStringLiteral("Quellvane Gear Chooser [v1.01]"));
        FUZZ_CHECK(seen.icon == MsgBox::Icon::Critical);
        const QString notOpened = QStringLiteral("The data file ") + FilePath() +
                                  QStringLiteral(" could not be opened.  Ensure the file exists and is not being "
                                                 "used by any other applications or programs.");
        const QString badLine = QStringLiteral("An error occured reading the data file ") + FilePath() +
                                QStringLiteral(" on line ") + QString::number(expected.line) +
                                QStringLiteral(".  Ensure the data is in the correct format.");
        FUZZ_CHECK(seen.text == notOpened || seen.text == badLine);
        // The file is there and readable, so only the second form can be right.
        FUZZ_CHECK(seen.text == badLine);
    }

    CheckCatalogue(*app);
    CheckFiled(*app, expected);
    app->ReleaseAll();
    // A killed run cannot clean up its folder; at least it leaves no data behind.
    QFile::remove(FilePath());
    return 0;
}
