#pragma once
// Finding and starting the system-information program through the registry.

#include "common/override.h"
#include "dialogs/registry.h"

#include <QString>
#include <functional>

// Reads one registry value as text: strings as they are, 32-bit numbers as decimal, other
// types leave KeyVal as passed in. False (and KeyVal empty) when the key or value is missing
// or the value does not fit 1024 bytes.
bool GetKeyValue(Registry::Key KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal);

// Starts the system-information program, or says that it is unavailable.
void StartSysInfo();

namespace SystemInfo {
// The message shown for every failure of the launch.
QString unavailableMessage();

// Starts a program without waiting for it; false (or a thrown PlatformError) when it cannot.
using Launcher = std::function<bool(const QString &path)>;

// The real process start unless replaced (tests). The message goes through MessageBox.
Override<Launcher> &launcher();
} // namespace SystemInfo
