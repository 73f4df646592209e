// Loads a catalogue in a fresh process and prints how much the resident set grew, beside the file's size, and how
// much more it grew once the index of the first paste was made:
//   tarnwick_memprobe <folder>   ->   "<growth bytes> <file bytes> <items> <index growth bytes>"
#include "core/clsGearList.h"
#include "toolkit/MsgBox.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

long long ResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick_memprobe <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool failed = false;
    MsgBox::SetInterceptor([&](const QString &, const QString &, MsgBox::Icon) { failed = true; });

    clsGearList gearList;
    const long long before = ResidentBytes();
    const bool loaded = gearList.LoadGearFile(folder);
    const long long after = ResidentBytes();
    if (!loaded || failed) {
        std::fprintf(stderr, "the catalogue in %s did not load\n", argv[1]);
        return 1;
    }
    long long items = 0;
    for (const clsCategory *category : *gearList.Categories())
        for (const clsSubCategory *sub : *category->SubCategories)
            items += sub->Items->Count();
    const long long fileSize = QFileInfo(folder + QDir::separator() + GearFileName).size();
    gearList.Categories()->Items();
    const long long indexed = ResidentBytes();
    std::printf("%lld %lld %lld %lld\n", after - before, fileSize, items, indexed - after);
    return 0;
}
