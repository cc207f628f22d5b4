#pragma once
// How the engine reads a typed address, as a browser's engine does: an address with a scheme
// it serves loads as is; a path to a local file loads that file; something that looks like a
// host loads over http; other words go to the built-in search page. Pure: the current folder
// and whether the window is online come from the caller.

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
    QString reason;

    static AddressReading read(const QString &text, const QString &currentFolder, bool online);
};
