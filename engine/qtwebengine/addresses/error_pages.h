#pragma once
// The engine's own pages for an address it could not show.

#include <QString>

class QUrl;

// In place of an address that could not be loaded while the window is offline.
QString offlineErrorPage(const QUrl &url);
// After the page's renderer process died: what happened, and a link to load it again.
QString crashErrorPage(const QUrl &url);
// In place of a typed text that is no address at all (shown literally, never rewritten).
QString malformedAddressPage(const QString &text);
// For an address of a scheme the browser does not show when no other program took it.
QString noProgramPage(const QUrl &url);
// In place of a site whose certificate is not trusted: the host and the reason in plain
// words; when the error may be passed, a link that goes on to the site anyway.
QString certificateErrorPage(const QUrl &url, const QString &reason, bool overridable);
