#pragma once

class clsGearList;

// What the application object needs of its main window; the window itself lives above the core.
class IMainForm
{
public:
    virtual ~IMainForm() = default;
    virtual void setParent(clsGearList *parent) = 0;
    // Loads the window and shows it modally with no owner; returns when it has been hidden or closed.
    virtual void ShowModal() = 0;
};
