#pragma once

#include "core/CatalogueStore.h"
#include "core/GearCatalogue.h"
#include "core/GearFile.h"
#include "core/IMainForm.h"
#include "core/KeyedCollection.h"
#include "core/clsChosenItem.h"

#include <QString>

#include <memory>

class CatalogueBuilder;

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

    // Filled only by LoadGearFile and AddGearRecord, through a builder: whatever can be looked up is complete.
    const GearCatalogue *Categories() const { return m_categories.get(); }
    // Renumbering replaces the collection: fetch it again after a move or a removal.
    KeyedCollection<clsChosenItem> *ChosenGear() const { return m_chosenGear.get(); }

    bool Finished() const { return m_finished; }
    void setFinished(bool finished) { m_finished = finished; }

    void ShowMainForm();
    void RenumberChosenGear();
    void AddChosenItem(clsItem *item, std::int32_t quantity, bool paidInDollars);
    void ReleaseAll();
    bool LoadGearFile(const QString &folder);
    // Files one record: into the load's catalogue while LoadGearFile runs, otherwise at once (findable on return).
    void AddGearRecord(const GearFile::GearRecord &record);
    QString HelpText() const;

    IMainForm *MainForm() const { return m_mainForm.get(); }

private:
    // The catalogue's texts and items. Declared first, so that it goes last: after everything that views them. Lists
    // made from the catalogue share it, as they show its texts.
    std::shared_ptr<CatalogueStore> m_store;
    std::unique_ptr<GearCatalogue> m_categories;
    std::unique_ptr<KeyedCollection<clsChosenItem>> m_chosenGear;
    bool m_finished = false;
    std::unique_ptr<IMainForm> m_mainForm;

    CatalogueBuilder *m_builder = nullptr; // the load's, while LoadGearFile runs
};
