#include "core/clsGearList.h"

QString clsGearList::HelpText() const
{
    // Each entry with the number of CR LF pairs that follow it.
    struct Entry
    {
        const char *text;
        int lineEnds;
    };
    static constexpr Entry entries[] = {
        {"", 1},
        {"Quellvane Gear Chooser [v1.02]", 3},
        {"", 2},
        {"This software is intended to be a playing aid only and is not intended to replace the role of official "
         "game source books.",
         1},
        {"The specific rules relating to each piece of gear is described in the official sourcebook listed as a "
         "reference against each item.",
         3},
        {"For more information on this program (include new version and updated data files) go to: ", 1},
        {"http://www.example.org/tarnwick", 2},
        {"To contact the author send e-mail to tarnwick.author@example.com", 2},
        {"For more information on the Quellvane Espionage Role-playing Game by Halvard go to:", 1},
        {"http://www.example.com/quellvane", 1},
        {"http://www.example.com/quellvane/ashgate", 1},
        {"http://forum.example.com/quellvane", 2},
        {"Thanks to the following memebers of the Quellvane forum who assisted with the project concept and the "
         "input gear data:",
         1},
        {"Greywick, Moth_Lantern.", 3},
        {"USEFUL TIPS:", 2},
        {"Once you have built your list and copied it to the clip board it can be easily pasted into a spreadsheet "
         "or into a word processor.  If using Word for Windows the pasted data can be formated into a table using "
         "the Table >>> Convert Text to Table menu option.",
         2},
        {"The easiest way to modify the input CSV data file is using Excel or a similar spreadsheet application.", 2},
        {"If you sort the data in the spread sheet application before saving it in the CSV format the data will "
         "appear sorted in this program.",
         2},
        {"Items allocated to the Category 'Gadget' or 'Gadgets' will automatically use GP instead of BP.", 2},
        {"Pizza contains all the major food groups.", 3},
        {"MATERIAL REFERENCE ABBREVIATIONS:", 2},
        {"QCR - Quellvane Core Rulebook.", 1},
        {"FM  - Field Manual of the Silent Service.", 1},
        {"WS  - Wireroom Supplement, free from http://www.example.org/wireroom.", 1},
        {"GAL - Gadgeteer's Almanac.", 1},
        {"BLK - Black Bag Operations.", 2},
    };
    QString text;
    for (const Entry &e : entries) {
        text += QLatin1String(e.text);
        for (int i = 0; i < e.lineEnds; ++i)
            text += QLatin1String("\r\n");
    }
    return text;
}
