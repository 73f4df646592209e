#pragma once

#include "core/GearCatalogue.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Finds items anywhere in a catalogue by words of their names and references. It keeps its own index of the
// catalogue, which must not change while the search lives: every name and reference, in the order their texts lie
// in memory, so that a search reads the catalogue's texts front to back however the records were ordered.
class GearSearch
{
public:
    // An item found, and where the browser shows it: its category's and sub-category's positions and its row.
    struct Found
    {
        const clsItem *Item = nullptr;
        const clsSubCategory *SubCategory = nullptr;
        int CategoryIndex = 0;
        int SubCategoryIndex = 0;
        int Row = 0;
    };
    struct Result
    {
        bool Words = false;        // whether the text had any word to look for
        std::size_t Count = 0;     // every item found
        std::vector<Found> Listed; // the first of them in catalogue order, up to the limit asked for
    };

    explicit GearSearch(const GearCatalogue &categories);
    ~GearSearch();
    GearSearch(const GearSearch &) = delete;
    GearSearch &operator=(const GearSearch &) = delete;

    // Every item in which each word of `text` (words split at spaces, in any order) is part of its name or of its
    // reference, letter case ignored as names compare. A text without words finds nothing. `stop`, asked now and
    // then, ends the search early without a result.
    std::optional<Result> Find(QStringView text, std::size_t limit, const std::function<bool()> &stop = {}) const;

    // The count as the find window tells it: nothing without words, "No items match", "1 item", "3 items", or
    // "12345 items; the first 500 are listed".
    static QString CountText(const Result &result);

private:
    struct Index;
    std::unique_ptr<Index> m_index;
};
