#include "dialogs/system_info.h"

#include "common/failure.h"
#include "common/message_box.h"
#include "common/paths.h"

#include <QFileInfo>
#include <QProcess>
#include <QtEndian>
#include <algorithm>

namespace SystemInfo {
namespace {

bool startProcess(const QString &path) { return QProcess::startDetached(path, {}); }

} // namespace

QString unavailableMessage() { return QStringLiteral("System Information Is Unavailable At This Time"); }

Override<Launcher> &launcher()
{
    static Override<Launcher> current(startProcess);
    return current;
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
        if (!GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKey, QStringLiteral("PATH"), path)) {
            QString folder;
            if (!GetKeyValue(HKEY_LOCAL_MACHINE, msinfoLocationKey, QStringLiteral("MSINFO"), folder))
                throw PlatformError(QStringLiteral("no system-information location"));
            path = Paths::join(folder, systemInfoProgramName());
            if (!QFileInfo(path).isFile())
                throw PlatformError(QStringLiteral("no system-information program"));
        }
        if (!SystemInfo::launcher()(path))
            throw PlatformError(QStringLiteral("the system-information program did not start"));
    } catch (...) {
        MessageBox::show(SystemInfo::unavailableMessage());
    }
}
