#pragma once
// The notifications pages show (once the user has allowed the site to notify) go to the program
// through the engine's host, in the window of a page of the site that sent them: of the windows
// showing that site, the one the user was in last. A notification names only its site, not its
// page, so that is the best guess there is; when no window shows the site any more, the window
// the user was in last.

class QWebEngineProfile;

namespace PageNotifications {
// Makes the profile hand every notification to the program.
void present(QWebEngineProfile *profile);
} // namespace PageNotifications
