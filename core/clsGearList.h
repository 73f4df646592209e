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

    // Consecutive records usually share their category and sub-category: remember the last ones by their bytes.
    // The bytes are copied, since a field with doubled quotes lives in a reader buffer that the next record reuses.
    struct RecordCache
    {
        std::string categoryText;
        clsCategory *category = nullptr;
        bool gadget = false;
        std::string subCategoryText;
        clsSubCategory *subCategory = nullptr;
    } m_cache;
};
