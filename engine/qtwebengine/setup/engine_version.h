#pragma once
// Which web engine the program runs, and whether its security fixes have stopped: the user
// sees both on the home page and in `quillon --version`. Nothing is looked up on the network;
// the age comes from a table of Chromium's release dates kept here.

#include <QDate>
#include <QString>

namespace EngineVersion {
struct Versions {
    QString qtWebEngine;   // "6.4.2"
    QString chromium;      // "102.0.5005.177"
    QString securityFixes; // the Chromium version whose security fixes it carries
};

// The engine this program was started with.
Versions running();
// "Qt WebEngine 6.4.2 (Chromium 102.0.5005.177, security fixes to 108.0.5359.181)"
QString line(const Versions &versions);
// The day the first stable Chromium of that major version came out; invalid when unknown.
QDate firstStable(int chromiumMajor);
// True when that fix level came out more than a year before today. An unknown or
// unreadable level is never called old.
bool noLongerFixed(const QString &securityFixes, QDate today);
// The home page's plain words for an engine that no longer gets security fixes.
QString notice(const Versions &versions);
} // namespace EngineVersion
