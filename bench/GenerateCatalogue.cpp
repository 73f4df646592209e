// Writes a synthetic catalogue for the benchmarks.
//   tarnwick_gencat <file> <records>        records spread over categories and sub-categories, grouped by them
//   tarnwick_gencat --interleaved <file> <records>
//                                           the same records, each in another category and sub-category than the
//                                           one before it (as a sort by item name leaves a catalogue)
//   tarnwick_gencat --subcat <file> <items> one category whose second sub-category holds <items> items
//   tarnwick_gencat --categories=<n> <file> <records>
//                                           records grouped into <n> categories of three sub-categories each, whose
//                                           names recur from category to category
//   tarnwick_gencat --long-name <file> <MB> a few records, the first (shown at start) with a name of <MB> megabytes
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A fixed generator, so every run writes the same bytes. Each record has one of its own, seeded by its index, so
// that the grouped and the interleaved file hold the same records.
struct Random
{
    explicit Random(std::uint64_t seed = 0) : state(0x9E3779B97F4A7C15ULL ^ (seed * 0xBF58476D1CE4E5B9ULL)) {}
    std::uint64_t state;
    std::uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return std::uint32_t(state >> 16);
    }
    int Below(int n) { return int(Next() % std::uint32_t(n)); }
};

constexpr std::array Categories = {"Weapons",      "Gadgets",  "Medical",    "Vehicles",
                                   "Surveillance", "Disguise", "Explosives", "Communications"};
constexpr std::array SubCategories = {
    "Pistols", "Rifles", "Blades", "Ammunition", "Holsters", "Optics",     "Recorders", "Cameras", "Trackers",
    "Locks",   "Ropes",  "Lamps",  "Kits",       "Drugs",    "Bandages",   "Cars",      "Boats",   "Aircraft",
    "Radios",  "Codes",  "Wigs",   "Uniforms",   "Charges",  "Detonators", "Containers"};
constexpr std::array Makers = {"Kestrel", "Marlowe", "Thorne", "Vandor", "Ossory", "Pellham", "Quist", "Rook"};
constexpr std::array Nouns = {"Holdout Pistol", "Field Kit",    "Listening Device", "Night Scope", "Garrotte",
                              "Lock Pick Set",  "Pocket Radio", "Smoke Canister",   "Wristwatch",  "Cipher Wheel"};
constexpr std::array Sources = {"QCR", "BLK", "FLD", "SPM"};

class Writer
{
public:
    explicit Writer(std::FILE *out) : m_out(out) {}

    void Header() { Line("Category,Sub Category,Item,Cost,Weight,Cost $,Source,Ref 1,Ref 2"); }

    // An item whose name is `bytes` long, words repeated.
    void LongName(long bytes)
    {
        std::fputs("Surveillance,Recorders,", m_out);
        static constexpr char words[] = "Listening Device Mk ";
        for (long written = 0; written < bytes; written += long(sizeof words - 1))
            std::fwrite(words, 1, std::size_t(std::min<long>(long(sizeof words - 1), bytes - written)), m_out);
        std::fputs(",3,1.5,250,QCR,45,\r\n", m_out);
    }

    void Record(const char *category, const char *subCategory, long index, bool gadget)
    {
        Random m_rng(std::uint64_t(index) + 1);
        m_rng.Next();
        const char *maker = Makers[std::size_t(m_rng.Below(int(Makers.size())))];
        const char *noun = Nouns[std::size_t(m_rng.Below(int(Nouns.size())))];
        // A model number of fixed width: records are the same size on average whatever the catalogue's size.
        char name[128];
        if (m_rng.Below(20) == 0)
            std::snprintf(name, sizeof name, "\"%s, %s Mk %07ld\"", noun, maker, index);
        else
            std::snprintf(name, sizeof name, "%s Mk %07ld %s", maker, index, noun);
        const int cost = gadget ? 1 + m_rng.Below(5) : 1 + m_rng.Below(12);
        const int weight = m_rng.Below(2500);
        const int dollars = 5 + m_rng.Below(9995);
        const char *source = Sources[std::size_t(m_rng.Below(int(Sources.size())))];
        const int page = 1 + m_rng.Below(240);
        char refs[32];
        switch (m_rng.Below(4)) {
        case 0:
            std::snprintf(refs, sizeof refs, "%d,%d", page, page + 1);
            break;
        case 1:
            std::snprintf(refs, sizeof refs, ",");
            break;
        default:
            std::snprintf(refs, sizeof refs, "%d,", page);
            break;
        }
        std::fprintf(m_out, "%s,%s,%s,%d,%d.%02d,%d,%s,%s\r\n", category, subCategory, name, cost, weight / 100,
                     weight % 100, dollars, source, refs);
    }

private:
    void Line(const char *text) { std::fprintf(m_out, "%s\r\n", text); }

    std::FILE *m_out;
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: tarnwick_gencat [--interleaved | --subcat | --long-name | --categories=<n>] <file> <count>\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool subcat = argc == 4 && std::strcmp(argv[1], "--subcat") == 0;
    const bool longName = argc == 4 && std::strcmp(argv[1], "--long-name") == 0;
    const bool interleaved = argc == 4 && std::strcmp(argv[1], "--interleaved") == 0;
    const long manyCategories =
        argc == 4 && std::strncmp(argv[1], "--categories=", 13) == 0 ? std::strtol(argv[1] + 13, nullptr, 10) : 0;
    const bool option = subcat || longName || interleaved || manyCategories > 0;
    if (argc != (option ? 4 : 3))
        return Usage();
    const char *path = argv[option ? 2 : 1];
    const long count = std::strtol(argv[option ? 3 : 2], nullptr, 10);
    if (count <= 0)
        return Usage();
    std::FILE *out = std::fopen(path, "wb");
    if (!out) {
        std::perror(path);
        return 1;
    }
    static char buffer[1 << 20];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);

    Writer writer(out);
    writer.Header();
    if (longName) {
        writer.LongName(count << 20);
        for (long i = 0; i < 3; ++i)
            writer.Record("Surveillance", "Recorders", i, false);
    } else if (subcat) {
        // A small sub-category on each side of the large one, to switch between.
        for (long i = 0; i < 100; ++i)
            writer.Record("Surveillance", "Audio Bugs", i, false);
        for (long i = 0; i < count; ++i)
            writer.Record("Surveillance", "Cameras", i, false);
        for (long i = 0; i < 100; ++i)
            writer.Record("Surveillance", "Trackers", i, false);
    } else if (manyCategories > 0) {
        // Category c is "Weapons 000007" and the like; its three sub-categories take their names from the list in
        // turn, so that each name comes back in many categories.
        const long groups = manyCategories * 3;
        for (long g = 0; g < groups; ++g) {
            const long c = g / 3;
            char category[64];
            std::snprintf(category, sizeof category, "%s %06ld", Categories[std::size_t(c) % Categories.size()], c);
            const char *subCategory = SubCategories[std::size_t(g) % SubCategories.size()];
            for (long i = count * g / groups; i < count * (g + 1) / groups; ++i)
                writer.Record(category, subCategory, i, c % long(Categories.size()) == 1);
        }
    } else {
        // Group g holds the records begin(g) to begin(g + 1) - 1, category by category, sub-category by
        // sub-category. Grouped, as a catalogue is kept, they come group after group; interleaved, they come a
        // record of each group in turn, the category changing with every record.
        const long groups = long(Categories.size() * SubCategories.size());
        auto begin = [&](long g) { return count * g / groups; };
        auto record = [&](long g, long i) {
            const char *category = Categories[std::size_t(g) / SubCategories.size()];
            const char *subCategory = SubCategories[std::size_t(g) % SubCategories.size()];
            writer.Record(category, subCategory, i, std::strcmp(category, "Gadgets") == 0);
        };
        if (!interleaved) {
            for (long g = 0; g < groups; ++g) {
                for (long i = begin(g); i < begin(g + 1); ++i)
                    record(g, i);
            }
        } else {
            const long categories = long(Categories.size()), subs = long(SubCategories.size());
            for (long k = 0; k < count / groups + 1; ++k) {
                for (long g = 0; g < groups; ++g) {
                    const long grouped = (g % categories) * subs + g / categories;
                    if (begin(grouped) + k < begin(grouped + 1))
                        record(grouped, begin(grouped) + k);
                }
            }
        }
    }
    if (std::fclose(out) != 0) {
        std::perror(path);
        return 1;
    }
    return 0;
}
