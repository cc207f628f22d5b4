#include "engine/qtwebengine/page/shown_document.h"

#include "common/modal.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>

namespace ShownDocument {

bool isPdf(QWebEnginePage *page)
{
    // The answer may come after the wait is over: it goes to shared state, never the stack.
    struct Pending {
        QEventLoop *loop = nullptr;
        bool answered = false;
        bool pdf = false;
    };
    auto pending = std::make_shared<Pending>();
    QEventLoop loop;
    pending->loop = &loop;
    page->runJavaScript(QStringLiteral("document.contentType"), QWebEngineScript::ApplicationWorld,
                        [pending](const QVariant &type) {
                            pending->pdf = type.toString() == QLatin1String("application/pdf");
                            pending->answered = true;
                            if (pending->loop)
                                pending->loop->quit();
                        });
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    if (!pending->answered) {
        const Modal::Wait wait(nullptr, {}); // no window goes away under this loop
        loop.exec();
    }
    pending->loop = nullptr;
    return pending->pdf;
}

} // namespace ShownDocument
