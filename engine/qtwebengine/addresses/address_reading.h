#pragma once
// How the engine reads a typed address, as a browser's engine does: an address with a scheme
// it serves loads as is; a path to a local file loads that file; something that looks like a
// host name loads over https first (fallback holds the same address over http, for when the
// site has no working secure version), while localhost, IP addresses, single-word hosts and
// other ports load over http; other words go to the built-in search page. Pure: the current
// folder and whether the window is online come from the caller.

#include <QString>
#include <QUrl>

struct AddressReading {
    enum Kind {
        Load,     // url: load it in the page
        Desktop,  // url: a scheme the engine does not serve; another program may open it
        Malformed, // no address can be made of the text
        Refused,  // never loaded (reason says why)
    };
    Kind kind = Refused;
    QUrl url;
    QUrl fallback; // Load over https of a typed host: the http address if that fails
    QString reason;

    static AddressReading read(const QString &text, const QString &currentFolder, bool online);
};
