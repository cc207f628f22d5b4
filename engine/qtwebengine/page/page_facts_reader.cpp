#include "engine/qtwebengine/page/page_facts_reader.h"

#include "common/modal.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>

namespace {

QString protocolName(const QString &scheme)
{
    if (scheme == QLatin1String("http"))
        return QObject::tr("HyperText Transfer Protocol (HTTP)");
    if (scheme == QLatin1String("https"))
        return QObject::tr("HyperText Transfer Protocol with Privacy (HTTPS)");
    if (scheme == QLatin1String("file"))
        return QObject::tr("File Protocol");
    if (scheme == QLatin1String("qrc"))
        return QObject::tr("Built-in resource");
    return scheme.toUpper();
}

QString securityName(const QString &scheme)
{
    if (scheme == QLatin1String("https"))
        return QObject::tr("Encrypted (HTTPS)");
    if (scheme == QLatin1String("http"))
        return QObject::tr("Not encrypted");
    if (scheme == QLatin1String("file"))
        return QObject::tr("Local file");
    if (scheme == QLatin1String("qrc"))
        return QObject::tr("Built-in page");
    return QObject::tr("Not applicable");
}

// What only the page itself knows: its content type and the size of what was received.
struct PageAnswers {
    QString contentType;
    qint64 size = -1;
};

PageAnswers askPage(QWebEnginePage *page)
{
    // Answers may come after the wait is over: they write into shared state, never the stack.
    struct Pending {
        QEventLoop *loop = nullptr;
        PageAnswers facts;
        int outstanding = 0;
        void answered()
        {
            if (--outstanding == 0 && loop)
                loop->quit();
        }
    };
    auto pending = std::make_shared<Pending>();
    QEventLoop loop;
    pending->loop = &loop;
    pending->outstanding = 2;
    page->runJavaScript(
        QStringLiteral("(function() { var n = performance.getEntriesByType('navigation')[0];"
                       " return { type: document.contentType, size: n ? n.decodedBodySize : -1 }; })()"),
        QWebEngineScript::ApplicationWorld, [pending](const QVariant &result) {
            const QVariantMap map = result.toMap();
            pending->facts.contentType = map.value(QStringLiteral("type")).toString();
            const qint64 size = map.value(QStringLiteral("size"), -1).toLongLong();
            if (size > 0)
                pending->facts.size = size;
            pending->answered();
        });
    page->toHtml([pending](const QString &html) {
        if (pending->facts.size <= 0 && !html.isEmpty())
            pending->facts.size = html.toUtf8().size();
        pending->answered();
    });
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    const Modal::Wait wait(nullptr, {});
    if (pending->outstanding > 0)
        loop.exec();
    pending->loop = nullptr;
    return pending->facts;
}

} // namespace

namespace PageFactsReader {

PageFacts read(QWebEnginePage *page, const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    const bool local = url.isLocalFile();
    const QFileInfo file(url.toLocalFile());
    const PageAnswers answers = local ? PageAnswers{} : askPage(page);

    PageFacts facts;
    facts.title = page->title().isEmpty() ? QObject::tr("(none)") : page->title();
    facts.address = url.toDisplayString();
    facts.protocol = protocolName(scheme);
    facts.security = securityName(scheme);

    QMimeDatabase mimes;
    if (local && file.exists())
        facts.type = mimes.mimeTypeForFile(file).comment();
    else if (!answers.contentType.isEmpty())
        facts.type = mimes.mimeTypeForName(answers.contentType).comment();
    if (facts.type.isEmpty())
        facts.type = QObject::tr("unknown");

    qint64 bytes = answers.size;
    if (local)
        bytes = file.isFile() ? file.size() : -1;
    else if (scheme == QLatin1String("qrc") && QFile::exists(QLatin1Char(':') + url.path()))
        bytes = QFile(QLatin1Char(':') + url.path()).size();
    facts.size = bytes >= 0 ? QObject::tr("%1 bytes").arg(QLocale().toString(bytes)) : QObject::tr("unknown");
    if (local && file.exists())
        facts.modified = QLocale().toString(file.lastModified(), QLocale::LongFormat);
    facts.icon = page->icon().isNull() ? QApplication::windowIcon() : page->icon();
    return facts;
}

} // namespace PageFactsReader
