#include "platform/web_engine.h"

#include "platform/failure.h"
#include "platform/qt_web_engine.h"
#include "platform/twips.h"

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
namespace {
Factory &currentFactory()
{
    static Factory factory;
    return factory;
}
} // namespace

WebEngine *create(QWidget *parent)
{
    if (const Factory &factory = currentFactory())
        return factory(parent);
    return new QtWebEngine(parent);
}

Factory setFactory(Factory factory)
{
    Factory previous = std::move(currentFactory());
    currentFactory() = std::move(factory);
    return previous;
}
} // namespace WebEngines
