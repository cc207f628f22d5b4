#include "engine/web_engine.h"

#include "common/failure.h"
#include "engine/engine_host.h"
#include "common/twips.h"

#include <QWidget>

void WebEngine::setWidth(int twips)
{
    if (twips < 0)
        throw PlatformError(QStringLiteral("Invalid property value"));
    control()->resize(Twips::toPixels(twips), control()->height());
}

void WebEngine::setHeight(int twips)
{
    if (twips < 0)
        throw PlatformError(QStringLiteral("Invalid property value"));
    control()->resize(control()->width(), Twips::toPixels(twips));
}

namespace WebEngines {
Override<Factory> &factory()
{
    static Override<Factory> current;
    return current;
}

WebEngine *create(QWidget *parent)
{
    const Factory &make = factory().get();
    if (!make)
        throw PlatformError(QStringLiteral("No web engine is available"));
    return make(parent);
}
} // namespace WebEngines

namespace EngineHost {
Override<PropertiesView> &showProperties()
{
    static Override<PropertiesView> current([](QWidget *, const PageFacts &) {
        throw PlatformError(QStringLiteral("Page properties cannot be shown"));
    });
    return current;
}

Override<DownloadTargetQuestion> &askDownloadTarget()
{
    static Override<DownloadTargetQuestion> current([](QWidget *, const QString &) { return QString(); });
    return current;
}

Override<DownloadView> &showDownload()
{
    static Override<DownloadView> current([](QWidget *, Download *) {});
    return current;
}
} // namespace EngineHost
