#include "engine/qtwebengine/questions/protocol_handlers.h"

#include "engine/qtwebengine/questions/page_questions.h"

#include <QSet>
#include <QWebEngineRegisterProtocolHandlerRequest>

namespace {
QSet<QString> &handledSchemes()
{
    static QSet<QString> schemes;
    return schemes;
}

// Each scheme is a kind of permission of its own, numbered above the engine's kinds.
int kindFor(const QString &scheme)
{
    static QStringList schemes;
    if (!schemes.contains(scheme))
        schemes.append(scheme);
    return 1000 + int(schemes.indexOf(scheme));
}
} // namespace

bool ProtocolHandlers::handled(const QString &scheme) { return handledSchemes().contains(scheme.toLower()); }

void PageQuestions::connectProtocolHandlers()
{
    connect(m_page, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [this](QWebEngineRegisterProtocolHandlerRequest request) {
                // The request's address is the handler's, which the engine has checked is the
                // asking page's own site.
                const QString scheme = request.scheme();
                askPermission(request.origin(), kindFor(scheme), QStringLiteral("open %1 links").arg(scheme),
                              [request, scheme](bool allow) mutable {
                                  if (!allow)
                                      return request.reject();
                                  handledSchemes().insert(scheme.toLower());
                                  request.accept(); // the engine sends the links on from now
                              });
            });
}
