#pragma once
// The one off-the-record profile every page of the program uses: nothing is kept on disk.

class QWebEngineProfile;

namespace EngineProfile {
QWebEngineProfile *profile();
// Destroys the profile; every page must be gone by then.
void release();
} // namespace EngineProfile
