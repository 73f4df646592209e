#include "core/clsCategory.h"

bool IsGadgetCategory(QStringView name)
{
    qsizetype from = 0;
    qsizetype to = name.size();
    while (from < to && name[from] == u' ')
        ++from;
    while (to > from && name[to - 1] == u' ')
        --to;
    const QStringView first = name.mid(from, to - from).left(6);
    static constexpr char16_t gadget[] = u"GADGET";
    bool same = first.size() == 6;
    for (qsizetype i = 0; i < first.size(); ++i) {
        char16_t c = first[i].unicode();
        // Other letters upper-case as Unicode says, which may change the length ("ß" is "SS").
        if (c >= 0x80)
            return first.toString().toUpper() == QLatin1String("GADGET");
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - 32);
        same = same && c == gadget[i];
    }
    return same;
}
