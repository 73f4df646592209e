#pragma once

#include "core/CatalogueStore.h"
#include "core/GearFile.h"
#include "core/IMainForm.h"
#include "core/KeyedCollection.h"
#include "core/clsCategory.h"
#include "core/clsChosenItem.h"

#include <QString>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

inline const QString ErrorTitle = QStringLiteral("Quellvane Gear Chooser [v1.01]");
inline const QString GearFileName = QStringLiteral("zOrorOviz.csv");

// The application object: owns the catalogue, the chosen-gear list and the main window.
class clsGearList
{
public:
    using FormFactory = std::unique_ptr<IMainForm> (*)();

    // Without a factory there is no main window (the loader and the chosen list work alone).
    explicit clsGearList(FormFactory createMainForm = nullptr);
    ~clsGearList();
    clsGearList(const clsGearList &) = delete;
    clsGearList &operator=(const clsGearList &) = delete;

    KeyedCollection<clsCategory> *Categories() const { return m_categories.get(); }
    // Renumbering replaces the collection: fetch it again after a move or a removal.
    KeyedCollection<clsChosenItem> *ChosenGear() const { return m_chosenGear.get(); }

    bool Finished() const { return m_finished; }
    void setFinished(bool finished) { m_finished = finished; }

    void ShowMainForm();
    void RenumberChosenGear();
    void AddChosenItem(clsItem *item, std::int32_t quantity, bool paidInDollars);
    void ReleaseAll();
    bool LoadGearFile(const QString &folder);
    void AddGearRecord(const GearFile::GearRecord &record);
    QString HelpText() const;

    IMainForm *MainForm() const { return m_mainForm.get(); }

private:
    // The catalogue's texts and items. Declared first, so that it goes last: after everything that views them. Lists
    // made from the catalogue share it, as they show its texts.
    std::shared_ptr<CatalogueStore> m_store;
    std::unique_ptr<KeyedCollection<clsCategory>> m_categories;
    std::unique_ptr<KeyedCollection<clsChosenItem>> m_chosenGear;
    bool m_finished = false;
    std::unique_ptr<IMainForm> m_mainForm;

    // A record shares its category and sub-category with records shortly before it: the next ones in a catalogue
    // kept in order, or those in turn in one sorted by item name. Recent pairs are remembered by their bytes (copied,
    // since a field with doubled quotes lives in a reader buffer that the next record reuses), each in the slot that
    // a hash of the bytes picks.
    struct RecordCache
    {
        struct Pair
        {
            std::string categoryText;
            std::string subCategoryText;
            clsSubCategory *subCategory = nullptr; // none: the slot is empty
            CatalogueStore::ItemRun *run = nullptr;
            bool gadget = false;
        };
        std::vector<Pair> pairs;
        std::unordered_map<const clsSubCategory *, CatalogueStore::ItemRun> runs; // each sub-category's
        std::u16string scratch;                                                   // a name decoded for a lookup
    } m_cache;
};
