#include "engine/qtwebengine/addresses/error_pages.h"

#include <QUrl>

namespace {
QString errorPage(const QString &title, const QString &heading, const QString &body)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
               "<title>%1</title><style>"
               "body{margin:0;font-family:\"DejaVu Sans\",Verdana,sans-serif;font-size:14px;color:#333;"
               "background:#f4f4f4}"
               "div{max-width:520px;margin:60px auto;padding:20px 24px;background:#fff;"
               "border:1px solid #ccc;border-left:6px solid #c08030;border-radius:6px}"
               "h1{font-size:20px;margin:0 0 10px;color:#804040}"
               "code{word-break:break-all;background:#f0f0f0;padding:1px 4px}"
               "</style></head><body><div><h1>%2</h1>%3</div></body></html>\n")
        .arg(title, heading, body);
}

QString shown(const QUrl &url) { return url.toDisplayString().toHtmlEscaped(); }
} // namespace

QString offlineErrorPage(const QUrl &url)
{
    return errorPage(
        QStringLiteral("Working offline"), QStringLiteral("This window is working offline"),
        QStringLiteral("<p>The address <code>%1</code> could not be loaded, because this window does not "
                       "use the network while it is offline.</p>"
                       "<p>Pages kept on this computer still open in this window. "
                       "To browse the web, open a new window with File &gt; New.</p>")
            .arg(shown(url)));
}

QString crashErrorPage(const QUrl &url)
{
    // Only web and local addresses get a link: anything else could run script here.
    const bool linkable = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
                          url.scheme() == QLatin1String("file") || url.scheme() == QLatin1String("qrc");
    const QString again = linkable
        ? QStringLiteral("<p><a href=\"%1\">Load the page again</a></p>")
              .arg(QString::fromUtf8(url.toEncoded()).toHtmlEscaped())
        : QStringLiteral("<p>Press Refresh or type the address again to load it.</p>");
    return errorPage(QStringLiteral("Page stopped"), QStringLiteral("This page stopped working"),
                     QStringLiteral("<p>The page <code>%1</code> ended unexpectedly. The rest of the "
                                    "browser is not affected.</p>")
                             .arg(shown(url)) +
                         again);
}

QString malformedAddressPage(const QString &text)
{
    return errorPage(QStringLiteral("Address not valid"), QStringLiteral("This address is not valid"),
                     QStringLiteral("<p>No page can be loaded from <code>%1</code>: it is not a web address "
                                    "or a file path.</p><p>Check the address for a typing mistake, for "
                                    "example a missing bracket or slash, and try again.</p>")
                         .arg(text.left(2000).toHtmlEscaped()));
}

QString noProgramPage(const QUrl &url)
{
    return errorPage(QStringLiteral("No program for this address"),
                     QStringLiteral("No program opens this address"),
                     QStringLiteral("<p>Addresses beginning with <code>%1:</code> are not shown in the browser, "
                                    "and no other program on this computer could be started for "
                                    "<code>%2</code>.</p>")
                         .arg(url.scheme().toHtmlEscaped(), shown(url)));
}

QString certificateErrorPage(const QUrl &url, const QString &reason, bool overridable)
{
    const QString host = url.host().toHtmlEscaped();
    const QString goOn = overridable
        ? QStringLiteral("<p>If you know this site and trust this connection, you may go on. Someone may "
                         "be reading or changing what you see and send.</p>"
                         "<p><a href=\"%1\">Continue to this site anyway (unsafe)</a></p>")
              .arg(QString::fromUtf8(url.toEncoded()).toHtmlEscaped())
        : QStringLiteral("<p>This site cannot be opened: its security cannot be checked.</p>");
    return errorPage(QStringLiteral("Certificate not trusted"),
                     QStringLiteral("This site's certificate is not trusted"),
                     QStringLiteral("<p>The certificate of <b>%1</b> is not trusted, so this connection is "
                                    "not private. The page <code>%2</code> was not loaded.</p><p>Reason: %3</p>")
                             .arg(host, shown(url), reason.toHtmlEscaped()) +
                         goOn);
}
