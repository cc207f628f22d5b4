#include "dialogs/system_info.h"

#include "platform/failure.h"
#include "platform/message_box.h"

#include <QFileInfo>
#include <QProcess>
#include <QtEndian>
#include <algorithm>

namespace SystemInfo {
namespace {

Launcher &launcherOverride()
{
    static Launcher launcher;
    return launcher;
}

bool startProcess(const QString &path) { return QProcess::startDetached(path, {}); }

} // namespace

QString unavailableMessage() { return QStringLiteral("System Information Is Unavailable At This Time"); }

Launcher setLauncher(Launcher launcher)
{
    Launcher previous = std::move(launcherOverride());
    launcherOverride() = std::move(launcher);
    return previous;
}

QString joinPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

} // namespace SystemInfo

bool GetKeyValue(Registry::Key KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                 QString &KeyVal)
{
    constexpr quint32 bufferSize = 1024;

    Registry::Key key = 0;
    if (Registry::RegOpenKeyEx(KeyRoot, KeyName.toLocal8Bit(), 0, Registry::KeyAccessMask, &key)
        != Registry::Success) {
        KeyVal.clear();
        return false;
    }

    QByteArray buffer(int(bufferSize), '\0');
    quint32 size = bufferSize;
    quint32 type = Registry::REG_NONE;
    if (Registry::RegQueryValueEx(key, SubKeyRef.toLocal8Bit(), &type, buffer.data(), &size)
        != Registry::Success) {
        KeyVal.clear();
        Registry::RegCloseKey(key);
        return false;
    }

    buffer.truncate(int(qMin(size, bufferSize)));
    if (buffer.endsWith('\0'))
        buffer.chop(1);

    switch (type) {
    case Registry::REG_SZ:
        KeyVal = QString::fromLocal8Bit(buffer);
        break;
    case Registry::REG_DWORD: {
        // Little-endian; a dropped trailing NUL was a zero high byte.
        char bytes[4] = {0, 0, 0, 0};
        std::copy_n(buffer.constData(), qMin<qsizetype>(buffer.size(), 4), bytes);
        KeyVal = QString::number(qFromLittleEndian<quint32>(bytes));
        break;
    }
    default:
        break;
    }

    Registry::RegCloseKey(key);
    return true;
}

void StartSysInfo()
{
    using namespace Registry;
    try {
        QString path;
        if (!GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                         QStringLiteral("PATH"), path)) {
            QString folder;
            if (!GetKeyValue(HKEY_LOCAL_MACHINE,
                             QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                             QStringLiteral("MSINFO"), folder))
                throw PlatformError(QStringLiteral("no system-information location"));
            path = SystemInfo::joinPath(folder, systemInfoProgramName());
            if (!QFileInfo(path).isFile())
                throw PlatformError(QStringLiteral("no system-information program"));
        }
        const auto &launcher = SystemInfo::launcherOverride();
        const bool started = launcher ? launcher(path) : SystemInfo::startProcess(path);
        if (!started)
            throw PlatformError(QStringLiteral("the system-information program did not start"));
    } catch (...) {
        MessageBox::show(SystemInfo::unavailableMessage());
    }
}
