// The in-process figures: loading, the gear list's sub-category switch (and a QTreeWidget doing the same),
// an edit of the chosen list, the clipboard export, a paste of an export back, and the floor of a search by name
// (with the search itself).
// Catalogues come from the folder given as
// --data=<folder>, with one sub-folder per catalogue (see scripts/bench).
#include "chosen/ChosenGearOps.h"
#include "chosen/ChosenView.h"
#include "core/GearRows.h"
#include "core/GearSearch.h"
#include "core/clsGearList.h"
#include "toolkit/AppPath.h"
#include "toolkit/Clipboard.h"
#include "toolkit/DropDownList.h"
#include "toolkit/MsgBox.h"
#include "toolkit/MultiColumnList.h"
#include "toolkit/TabStrip.h"
#include "ui/frmChooser.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QShortcut>
#include <QTreeWidget>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

QString g_data;

QString Folder(const char *name)
{
    return g_data + QDir::separator() + QLatin1String(name);
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The loaded program as it stands after start-up, its window shown.
struct LoadedWindow
{
    std::unique_ptr<clsGearList> gearList;
    frmChooser *form = nullptr;

    explicit LoadedWindow(const QString &folder)
    {
        SetAppPathForTesting(folder);
        gearList = std::make_unique<clsGearList>(&frmChooser::Create);
        form = static_cast<frmChooser *>(gearList->MainForm());
        form->setParent(gearList.get());
        form->Form_Load();
        if (!Loaded())
            return;
        form->show();
        Settle();
    }
    bool Loaded() const { return !gearList->Finished(); }
    ~LoadedWindow()
    {
        form->hide();
        gearList->ReleaseAll();
        SetAppPathForTesting({});
        Settle();
    }
};

// Loading

// One load from file to finished catalogue, in seconds (negative when it failed). It starts as in a program just
// started, whatever the catalogue's size: on a heap with no free memory kept back (the previous catalogue's memory
// was handed back to the system), and with none of the file or of an earlier catalogue left in the processor's
// caches (a buffer larger than them is written over first, untimed).
double TimeLoad(const char *folder, qint64 &items)
{
    static std::vector<char> evict(std::size_t(96) << 20);
    std::fill(evict.begin(), evict.end(), char(items));
    benchmark::DoNotOptimize(evict.data());
    benchmark::ClobberMemory();

    auto gearList = std::make_unique<clsGearList>();
    const auto start = Clock::now();
    const bool loaded = gearList->LoadGearFile(Folder(folder));
    const double seconds = Seconds(start);
    items = 0;
    for (const clsCategory *category : *gearList->Categories())
        for (const clsSubCategory *sub : *category->SubCategories)
            items += sub->Items->Count();
    gearList.reset();
    malloc_trim(0);
    return loaded ? seconds : -1;
}

// 100,000 then 1,000,000 records, back to back, so that both loads of a pair meet the same machine. The time is
// the large load's; the counters give both loads and their ratio.
void BM_LoadPair(benchmark::State &state)
{
    qint64 items = 0;
    // The process's first loads also pay for growing its page tables and heap: one untimed pair first.
    static const bool warmedUp = TimeLoad("100k", items) >= 0 && TimeLoad("1m", items) >= 0;
    benchmark::DoNotOptimize(warmedUp);
    for (auto _ : state) {
        const double small = TimeLoad("100k", items);
        const double large = TimeLoad("1m", items);
        if (small < 0 || large < 0) {
            state.SkipWithError("a catalogue did not load");
            return;
        }
        state.SetIterationTime(large);
        state.counters["small_s"] = small;
        state.counters["large_s"] = large;
        state.counters["scaling"] = large / small;
    }
    state.counters["count"] = double(items);
}

// The floor: the file's bytes read into memory and their line ends counted.
void BM_LoadFloor(benchmark::State &state, const char *folder)
{
    const std::string path = (Folder(folder) + QDir::separator() + GearFileName).toStdString();
    std::vector<char> buffer;
    long long lines = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        buffer.resize(std::size_t(in.tellg()));
        in.seekg(0);
        in.read(buffer.data(), std::streamsize(buffer.size()));
        lines = std::count(buffer.begin(), buffer.end(), '\n');
        benchmark::DoNotOptimize(lines);
        state.SetIterationTime(Seconds(start));
    }
    state.counters["count"] = double(lines);
}

// Loads the catalogue in the folder, or marks the benchmark failed.
bool Load(benchmark::State &state, clsGearList &gearList, const char *folder)
{
    if (gearList.LoadGearFile(Folder(folder)))
        return true;
    state.SkipWithError("the catalogue did not load");
    return false;
}

// Selecting a sub-category

// The real path: the sub-category entry selected in cboSubCat, until the gear list's first row is selected.
void BM_SelectSubCategory(benchmark::State &state)
{
    LoadedWindow window(Folder("subcat"));
    if (!window.Loaded()) {
        state.SkipWithError("the catalogue did not load");
        return;
    }
    auto *cboSubCat = window.form->findChild<DropDownList *>(QStringLiteral("cboSubCat"));
    auto *lstGear = window.form->findChild<MultiColumnList *>(QStringLiteral("lstGear"));
    for (auto _ : state) {
        cboSubCat->setListIndex(0);
        Settle();
        const auto start = Clock::now();
        cboSubCat->setListIndex(1);
        state.SetIterationTime(Seconds(start));
        if (lstGear->ListIndex() != 0) {
            state.SkipWithError("the first row was not selected");
            return;
        }
        Settle();
    }
    state.counters["count"] = double(lstGear->ListCount());
}

// The peer: the same rows, as texts made beforehand (untimed), filled into a QTreeWidget one item per row, and
// its first row selected.
void BM_SelectSubCategoryPeer(benchmark::State &state)
{
    clsGearList gearList;
    if (!Load(state, gearList, "subcat"))
        return;
    const clsCategory *category = *gearList.Categories()->begin();
    auto texts = [&](int index) {
        auto it = category->SubCategories->begin();
        std::advance(it, index);
        const ListRows rows = GearRows::Rows(**it, false);
        std::vector<QStringList> result(std::size_t(rows.RowCount()));
        for (int r = 0; r < rows.RowCount(); ++r)
            for (int c = 0; c < rows.Columns; ++c)
                result[std::size_t(r)].append(CellText(rows.At(r, c)));
        return result;
    };
    const std::vector<QStringList> small = texts(0), large = texts(1);
    auto fill = [](QTreeWidget &tree, const std::vector<QStringList> &rows) {
        tree.clear();
        QList<QTreeWidgetItem *> items;
        items.reserve(qsizetype(rows.size()));
        for (const QStringList &row : rows)
            items.append(new QTreeWidgetItem(row));
        tree.addTopLevelItems(items);
        tree.setCurrentItem(tree.topLevelItem(0));
    };

    QTreeWidget tree;
    tree.setColumnCount(GearRows::Columns);
    tree.setHeaderHidden(true);
    tree.setRootIsDecorated(false);
    tree.setUniformRowHeights(true);
    tree.resize(560, 240);
    tree.show();
    for (auto _ : state) {
        fill(tree, small);
        Settle();
        const auto start = Clock::now();
        fill(tree, large);
        state.SetIterationTime(Seconds(start));
        Settle();
    }
    state.counters["count"] = double(tree.topLevelItemCount());
}

// The chosen list

// A window whose chosen list holds `lines` lines, shown on the Chosen Gear tab.
struct ChosenWindow : LoadedWindow
{
    MultiColumnList *lstChosen = nullptr;

    explicit ChosenWindow(int lines, const char *folder = "10k") : LoadedWindow(Folder(folder))
    {
        lstChosen = form->findChild<MultiColumnList *>(QStringLiteral("lstChosen"));
        if (!Loaded())
            return;
        std::vector<clsItem *> items;
        for (clsCategory *category : *gearList->Categories())
            for (clsSubCategory *sub : *category->SubCategories)
                for (clsItem *item : *sub->Items)
                    items.push_back(item);
        for (int i = 0; i < lines; ++i)
            gearList->AddChosenItem(items[std::size_t(i) % items.size()], 1 + i % 7, i % 5 == 0);
        form->findChild<TabStrip *>(QStringLiteral("tabMain"))->setSelectedIndex(1);
        form->RefreshChosenList();
        Settle();
    }
};

// Line 1 moved to the last row, and the view rebuilt with its totals and its first row selected.
void BM_MoveLine(benchmark::State &state)
{
    const int lines = int(state.range(0));
    ChosenWindow window(lines);
    if (!window.Loaded()) {
        state.SkipWithError("the catalogue did not load");
        return;
    }
    for (auto _ : state) {
        const auto start = Clock::now();
        ChosenGearOps::MoveLine(*window.gearList, 1, lines);
        window.form->RefreshChosenList();
        state.SetIterationTime(Seconds(start));
        if (window.lstChosen->ListIndex() != 0 || window.lstChosen->ListCount() != lines + 2) {
            state.SkipWithError("the view was not rebuilt");
            return;
        }
        Settle();
    }
    state.counters["count"] = double(window.lstChosen->ListCount() - 2);
}

// The chosen view as text and HTML, put on the clipboard.
void BM_Export(benchmark::State &state)
{
    ChosenWindow window(int(state.range(0)));
    if (!window.Loaded()) {
        state.SkipWithError("the catalogue did not load");
        return;
    }
    const ListRows &rows = window.lstChosen->Rows();
    qsizetype size = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const QString text = ChosenView::Text(rows);
        const QString html = ChosenView::Html(rows);
        Clipboard::SetText(text, html);
        state.SetIterationTime(Seconds(start));
        size = text.size() + html.size();
        Settle();
    }
    state.counters["count"] = double(size);
}

// Pasting an export back

// The window's shortcut for `key`.
QShortcut *Shortcut(QWidget *form, QKeyCombination key)
{
    for (QShortcut *shortcut : form->findChildren<QShortcut *>()) {
        if (shortcut->keys().contains(QKeySequence(key)))
            return shortcut;
    }
    return nullptr;
}

// Ctrl+V on the Chosen Gear page with the export of `lines` items on the clipboard (items spread evenly over the
// catalogue, so over its categories), timed until the message would show, in a program just started: its first paste.
// A second paste, after Ctrl+Z took the first back, is the counter "later".
void BM_Paste(benchmark::State &state, const char *folder)
{
    const int lines = int(state.range(0));
    double later = 0;
    for (auto _ : state) {
        ChosenWindow window(0, folder);
        if (!window.Loaded()) {
            state.SkipWithError("the catalogue did not load");
            return;
        }
        std::vector<clsItem *> items;
        for (clsCategory *category : *window.gearList->Categories())
            for (clsSubCategory *sub : *category->SubCategories)
                for (clsItem *item : *sub->Items)
                    items.push_back(item);
        {
            clsGearList other;
            for (int i = 0; i < lines; ++i)
                other.AddChosenItem(items[items.size() * std::size_t(i) / std::size_t(lines)], 1 + i % 7, i % 5 == 0);
            Clipboard::SetText(ChosenView::Text(ChosenView::Rows(*other.ChosenGear())));
        }
        QShortcut *paste = Shortcut(window.form, Qt::CTRL | Qt::Key_V);
        QShortcut *undo = Shortcut(window.form, Qt::CTRL | Qt::Key_Z);
        QString message;
        MsgBox::SetInterceptor([&](const QString &text, const QString &, MsgBox::Icon) { message = text; });
        auto timedPaste = [&] {
            message.clear();
            const auto start = Clock::now();
            emit paste->activated();
            const double seconds = Seconds(start);
            const bool pasted = message.startsWith(QString::number(lines) + QLatin1String(" rows were added")) &&
                                window.lstChosen->ListCount() == lines + 2;
            Settle();
            return pasted ? seconds : -1;
        };
        const double first = timedPaste();
        emit undo->activated();
        Settle();
        later = timedPaste();
        MsgBox::SetInterceptor([](const QString &text, const QString &, MsgBox::Icon) {
            std::fprintf(stderr, "message: %s\n", qPrintable(text));
        });
        if (first < 0 || later < 0) {
            state.SkipWithError("the lines were not pasted");
            return;
        }
        state.SetIterationTime(first);
    }
    state.counters["later_ms"] = later * 1e3;
    state.counters["count"] = double(lines);
}

// Making the index by name that the first paste of a program makes, on a catalogue just loaded.
void BM_PasteIndex(benchmark::State &state, const char *folder)
{
    std::size_t found = 0;
    for (auto _ : state) {
        clsGearList gearList;
        if (!Load(state, gearList, folder))
            return;
        const clsCategory *category = *gearList.Categories()->begin();
        const clsSubCategory *sub = *category->SubCategories->begin();
        const auto start = Clock::now();
        const ItemsByName index(*gearList.Categories());
        state.SetIterationTime(Seconds(start));
        found = 0;
        index.ForEach(sub->Name, (*sub->Items->begin())->NameView(), [&](clsItem *) { ++found; });
    }
    state.counters["count"] = double(found);
}

// Finding by name

// The floor of a search: every name read once in the order of its text in memory (found beforehand, untimed), in a
// plain loop that folds each unit as names compare and looks for a letter that none holds.
void BM_FindFloor(benchmark::State &state, const char *folder)
{
    clsGearList gearList;
    if (!Load(state, gearList, folder))
        return;
    std::vector<QStringView> names;
    for (const clsCategory *category : *gearList.Categories())
        for (const clsSubCategory *sub : *category->SubCategories)
            for (const clsItem *item : *sub->Items)
                names.push_back(item->NameView());
    std::sort(names.begin(), names.end(),
              [](QStringView a, QStringView b) { return std::less<>()(a.utf16(), b.utf16()); });
    std::size_t found = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        found = 0;
        for (const QStringView name : names) {
            for (const QChar unit : name) {
                char32_t c = unit.unicode();
                c = c < 0x80 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : QChar::toCaseFolded(c);
                if (c == U'x') {
                    ++found;
                    break;
                }
            }
        }
        benchmark::DoNotOptimize(found);
        state.SetIterationTime(Seconds(start));
    }
    state.counters["count"] = double(names.size() - found);
}

// The search itself, in process: a text that finds nothing and one that finds every item.
void BM_Find(benchmark::State &state, const char *folder, const char *text)
{
    clsGearList gearList;
    if (!Load(state, gearList, folder))
        return;
    const GearSearch search(*gearList.Categories());
    std::size_t count = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        count = search.Find(QString::fromLatin1(text), 500)->Count;
        state.SetIterationTime(Seconds(start));
    }
    state.counters["count"] = double(count);
}

// Building the search's index, as the first Find Gear dialog does.
void BM_FindIndex(benchmark::State &state, const char *folder)
{
    clsGearList gearList;
    if (!Load(state, gearList, folder))
        return;
    std::size_t items = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const GearSearch search(*gearList.Categories());
        state.SetIterationTime(Seconds(start));
        items = search.Find(u"mk", 0)->Count;
    }
    state.counters["count"] = double(items);
}

} // namespace

int main(int argc, char *argv[])
{
    benchmark::Initialize(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--data=", 7) == 0)
            g_data = QString::fromLocal8Bit(argv[i] + 7);
    }
    if (g_data.isEmpty()) {
        std::fprintf(stderr, "usage: tarnwick_bench --data=<folder with one folder per catalogue, see scripts/bench> "
                             "[benchmark flags]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    MsgBox::SetInterceptor([](const QString &text, const QString &, MsgBox::Icon) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });

    // Its counters differ from the others', so scripts/bench runs it on its own (a CSV report wants one set).
    benchmark::RegisterBenchmark("load_pair", BM_LoadPair)->UseManualTime()->Iterations(1)->Repetitions(15);
    benchmark::RegisterBenchmark("load_floor/1000000", BM_LoadFloor, "1m")
        ->UseManualTime()
        ->Iterations(3)
        ->Repetitions(7);
    benchmark::RegisterBenchmark("select_subcat/100000", BM_SelectSubCategory)
        ->UseManualTime()
        ->Iterations(5)
        ->Repetitions(5);
    benchmark::RegisterBenchmark("select_subcat_peer/100000", BM_SelectSubCategoryPeer)
        ->UseManualTime()
        ->Iterations(3)
        ->Repetitions(5);
    benchmark::RegisterBenchmark("edit", BM_MoveLine)
        ->Arg(10000)
        ->Arg(20000)
        ->UseManualTime()
        ->Iterations(30)
        ->Repetitions(9);
    benchmark::RegisterBenchmark("export", BM_Export)->Arg(10000)->UseManualTime()->Iterations(20)->Repetitions(5);
    for (const char *folder : {"1m", "1mi"}) {
        benchmark::RegisterBenchmark((std::string("find_floor/") + folder).c_str(), BM_FindFloor, folder)
            ->UseManualTime()
            ->Iterations(5)
            ->Repetitions(5);
        benchmark::RegisterBenchmark((std::string("find_index/") + folder).c_str(), BM_FindIndex, folder)
            ->UseManualTime()
            ->Iterations(3)
            ->Repetitions(3);
        for (const char *text : {"x", "k"})
            benchmark::RegisterBenchmark((std::string("find/") + folder + "/" + text).c_str(), BM_Find, folder, text)
                ->UseManualTime()
                ->Iterations(5)
                ->Repetitions(5);
    }
    // The first paste of a program at 1,000,000 records, grouped into 8 categories and into 100,000, and the size of
    // the issue that found pastes slow (2,000 lines into 20,000 categories).
    for (const char *folder : {"1m", "1m100kc"})
        benchmark::RegisterBenchmark((std::string("paste/") + folder).c_str(), BM_Paste, folder)
            ->Arg(10000)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(5);
    for (const char *folder : {"1m", "1m100kc"})
        benchmark::RegisterBenchmark((std::string("paste_index/") + folder).c_str(), BM_PasteIndex, folder)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(5);
    benchmark::RegisterBenchmark("paste/1m20kc", BM_Paste, "1m20kc")
        ->Arg(2000)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
