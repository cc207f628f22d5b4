#pragma once
// Joining a folder and a name with "/", never doubled ("/" + "x" is "/x").

#include <QString>

namespace Paths {
inline QString join(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}
} // namespace Paths
