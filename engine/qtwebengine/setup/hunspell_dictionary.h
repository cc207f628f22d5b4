#pragma once
// Hunspell's .aff and .dic, turned into the engine's .bdic form as Qt's qwebengine_convert_dict
// turns them (byte for byte), for dictionaries Debian ships in hunspell's form only.

#include <QByteArray>
#include <QString>

namespace HunspellDictionary {
// The .bdic of base.aff and base.dic. Throws PlatformError, naming the file, when either cannot
// be read or holds what the engine's form cannot keep.
QByteArray toBdic(const QString &base);
} // namespace HunspellDictionary
