#include "toolkit/DesignFont.h"

#include <QStringList>

QFont DesignFont(const QFont &base)
{
    QFont font = base;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setPointSizeF(7.5);
    return font;
}

QFont MessageBoxFont()
{
    QFont font = DesignFont(QFont());
    font.setPointSizeF(8.25);
    return font;
}
