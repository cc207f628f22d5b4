#pragma once
// The one off-the-record profile every page of the program uses: nothing is kept on disk.

#include <functional>

class QWebEngineProfile;

namespace EngineProfile {
QWebEngineProfile *profile();
// What answers the profile's own requests (downloads, notifications) lives above it: it is
// handed each profile as the profile is made.
void serve(std::function<void(QWebEngineProfile *)> handOver);
// Destroys the profile; every page must be gone by then.
void release();
} // namespace EngineProfile
