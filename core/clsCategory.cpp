#include "core/clsCategory.h"

bool IsGadgetCategory(const QString &name)
{
    qsizetype from = 0;
    qsizetype to = name.size();
    while (from < to && name[from] == u' ')
        ++from;
    while (to > from && name[to - 1] == u' ')
        --to;
    const QStringView trimmed = QStringView(name).mid(from, to - from);
    return trimmed.left(6).toString().toUpper() == QLatin1String("GADGET");
}
