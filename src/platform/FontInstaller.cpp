#include "FontInstaller.h"

#include <QFontDatabase>
#include <QStringList>

namespace FontInstaller {

bool isInstalled(const QString& family)
{
    const QStringList families = QFontDatabase::families();
    for (const QString& known : families) {
        // A family offered by several foundries is listed as "Family [Foundry]".
        const qsizetype bracket = known.indexOf(QLatin1String(" ["));
        const QStringView name = bracket > 0 && known.endsWith(QLatin1Char(']'))
                                     ? QStringView(known).left(bracket)
                                     : QStringView(known);
        if (name.compare(family, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int add(const QString& path)
{
    return QFontDatabase::addApplicationFont(path);
}

void remove(int id)
{
    if (id >= 0)
        QFontDatabase::removeApplicationFont(id);
}

} // namespace FontInstaller
