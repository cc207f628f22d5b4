#pragma once
// Links of a scheme such as web+mail that a site offers to open (registerProtocolHandler). The
// user is asked in the page's window; once allowed, the engine sends every such link, in every
// window, to the site's handler, for this run only: the profile keeps nothing.

#include <QString>

namespace ProtocolHandlers {
// Whether a site handles links of this scheme in this run (a typed address of that scheme
// then loads in the page rather than going to the desktop).
bool handled(const QString &scheme);
} // namespace ProtocolHandlers
