#pragma once
// The engine's process set-up, shared by the program and its tests.

class QString;

namespace Environment {
// Before the QApplication exists: Chromium's flags, the sandbox decision and the switch that
// lets screen readers read pages. What the engine keeps for the run goes into runFolder
// (none when empty).
void prepareProcess(const QString &runFolder);
// Once it exists: makes this backend the engine of every new browser window.
void prepareApplication();
// After the event loop: releases what the engine still holds, pages before their profile.
void shutdown();
} // namespace Environment
