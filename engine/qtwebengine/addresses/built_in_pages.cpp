#include "engine/qtwebengine/addresses/built_in_pages.h"

#include <QUrl>

namespace BuiltInPages {

const QUrl &home()
{
    static const QUrl url(QStringLiteral("qrc:/pages/home.html"));
    return url;
}

const QUrl &search()
{
    static const QUrl url(QStringLiteral("qrc:/pages/search.html"));
    return url;
}

} // namespace BuiltInPages
