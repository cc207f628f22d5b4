#include "dialogs/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>

namespace Registry {

const QString msinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString msinfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

namespace {

// The machine root as this platform has it: the two keys that locate the system-information
// program, present only while the program is installed beside the browser.
class SystemRegistry : public MemoryRegistry {
public:
    long openKey(Key root, const QByteArray &subKey, quint32 options, quint32 access,
                 Key *result) override
    {
        refresh();
        return MemoryRegistry::openKey(root, subKey, options, access, result);
    }

private:
    void refresh()
    {
        clear();
        const QString folder = QCoreApplication::applicationDirPath();
        const QString program = QDir(folder).filePath(systemInfoProgramName());
        const QFileInfo info(program);
        if (!info.isFile() || !info.isExecutable())
            return;
        setString(HKEY_LOCAL_MACHINE, msinfoKey, QStringLiteral("PATH"), info.absoluteFilePath());
        setString(HKEY_LOCAL_MACHINE, msinfoLocationKey, QStringLiteral("MSINFO"),
                  info.absolutePath());
    }
};

Backend &current() { return *backend().get(); }

} // namespace

long RegOpenKeyEx(Key root, const QByteArray &subKey, quint32 options, quint32 access, Key *result)
{
    return current().openKey(root, subKey, options, access, result);
}

long RegQueryValueEx(Key key, const QByteArray &valueName, quint32 *type, char *data,
                     quint32 *dataSize)
{
    return current().queryValue(key, valueName, type, data, dataSize);
}

long RegCloseKey(Key key) { return current().closeKey(key); }

Override<std::shared_ptr<Backend>> &backend()
{
    static Override<std::shared_ptr<Backend>> current(std::make_shared<SystemRegistry>());
    return current;
}

QString systemInfoProgramName() { return QStringLiteral("quillon-sysinfo"); }

// MemoryRegistry

QString MemoryRegistry::keyId(Key root, const QString &keyPath)
{
    QString path = keyPath.toLower();
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return QString::number(root, 16) + QLatin1Char(':') + path;
}

void MemoryRegistry::setValue(Key root, const QString &keyPath, const QString &valueName,
                              quint32 type, const QByteArray &data)
{
    m_keys[keyId(root, keyPath)].insert(valueName.toLower(), Value{type, data});
}

void MemoryRegistry::setString(Key root, const QString &keyPath, const QString &valueName,
                               const QString &text, bool withTerminator)
{
    QByteArray data = text.toLocal8Bit();
    if (withTerminator)
        data.append('\0');
    setValue(root, keyPath, valueName, REG_SZ, data);
}

void MemoryRegistry::setDword(Key root, const QString &keyPath, const QString &valueName,
                              quint32 number)
{
    QByteArray data(4, '\0');
    qToLittleEndian(number, data.data());
    setValue(root, keyPath, valueName, REG_DWORD, data);
}

void MemoryRegistry::addKey(Key root, const QString &keyPath) { m_keys[keyId(root, keyPath)]; }

void MemoryRegistry::clear()
{
    m_keys.clear();
    m_open.clear();
    m_requests.clear();
}

long MemoryRegistry::openKey(Key root, const QByteArray &subKey, quint32, quint32, Key *result)
{
    const QString name = QString::fromLocal8Bit(subKey);
    m_requests.append(QStringLiteral("open %1").arg(name));
    if (!result)
        return InvalidHandle;
    const QString id = keyId(root, name);
    if (!m_keys.contains(id))
        return FileNotFound;
    *result = m_nextHandle++;
    m_open.insert(*result, id);
    return Success;
}

long MemoryRegistry::queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                                quint32 *dataSize)
{
    const QString name = QString::fromLocal8Bit(valueName);
    m_requests.append(QStringLiteral("query %1").arg(name));
    const auto open = m_open.constFind(key);
    if (open == m_open.constEnd())
        return InvalidHandle;
    const auto &values = m_keys.value(*open);
    const auto found = values.constFind(name.toLower());
    if (found == values.constEnd())
        return FileNotFound;
    if (type)
        *type = found->type;
    const quint32 size = quint32(found->data.size());
    if (!dataSize)
        return data ? InvalidHandle : Success;
    const quint32 room = *dataSize;
    *dataSize = size;
    if (!data)
        return Success;
    if (size > room)
        return MoreData;
    std::memcpy(data, found->data.constData(), size);
    return Success;
}

long MemoryRegistry::closeKey(Key key) { return m_open.remove(key) ? Success : InvalidHandle; }

} // namespace Registry
