// libFuzzer target for GetKeyValue over random registry data: whatever a value holds (any
// type, any length, with or without a NUL, any bytes), the lookup neither crashes nor
// breaks its promises: false means an empty text, a number reads as decimal digits, no
// text is longer than the buffer, and every key opened is closed again.

#include "dialogs/system_info.h"
#include "dialogs/registry.h"

#include <QRegularExpression>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void require(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    static const auto registry = std::make_shared<Registry::MemoryRegistry>();
    static const bool installed = (Registry::backend().set(registry), true);
    (void)installed;
    registry->clear();

    // First byte: the value's type and whether the key or the value is there at all.
    const quint32 type = data[0] % 6;
    const bool keyPresent = !(data[0] & 0x40);
    const bool valuePresent = !(data[0] & 0x80);
    const QByteArray value(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    const QString keyPath = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    if (keyPresent)
        registry->addKey(Registry::HKEY_LOCAL_MACHINE, keyPath);
    if (keyPresent && valuePresent)
        registry->setValue(Registry::HKEY_LOCAL_MACHINE, keyPath, QStringLiteral("PATH"), type, value);

    QString keyVal = QStringLiteral("before");
    const bool found = GetKeyValue(Registry::HKEY_LOCAL_MACHINE, keyPath, QStringLiteral("PATH"), keyVal);

    require(registry->openKeyCount() == 0);
    if (!found) {
        require(keyVal.isEmpty());
        require(!keyPresent || !valuePresent || value.size() > 1024);
        return 0;
    }
    require(value.size() <= 1024);
    if (type == Registry::REG_SZ)
        require(keyVal.size() <= 1024);
    else if (type == Registry::REG_DWORD)
        require(QRegularExpression(QStringLiteral("^[0-9]{1,10}$")).match(keyVal).hasMatch());
    else
        require(keyVal == QLatin1String("before"));
    return 0;
}
