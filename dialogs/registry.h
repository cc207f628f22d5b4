#pragma once
// A read-only registry with the three calls the About dialog needs: open a key under a root,
// query one value into the caller's buffer, close the key. Calls return an error code
// (Success or a failure code), as the originals do; values are 8-bit text or raw bytes.
//
// On this platform there is no system registry: the machine root answers only the two keys
// that locate the system-information program installed beside the browser. Tests replace the
// backend with a scripted MemoryRegistry.

#include "common/override.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

namespace Registry {

using Key = quint32;
constexpr Key HKEY_CLASSES_ROOT = 0x80000000u;
constexpr Key HKEY_CURRENT_USER = 0x80000001u;
constexpr Key HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr Key HKEY_USERS = 0x80000003u;

// Value types.
constexpr quint32 REG_NONE = 0;
constexpr quint32 REG_SZ = 1;
constexpr quint32 REG_EXPAND_SZ = 2;
constexpr quint32 REG_BINARY = 3;
constexpr quint32 REG_DWORD = 4;

// Result codes.
constexpr long Success = 0;
constexpr long FileNotFound = 2;
constexpr long AccessDenied = 5;
constexpr long InvalidHandle = 6;
constexpr long MoreData = 234;

// The access mask the About dialog opens its keys with.
constexpr quint32 KeyAccessMask = 0x2003F;

class Backend {
public:
    virtual ~Backend() = default;
    virtual long openKey(Key root, const QByteArray &subKey, quint32 options, quint32 access,
                         Key *result) = 0;
    // data may be null to ask for the size only; *dataSize is the buffer's size on entry and
    // the value's size on return (also when it does not fit, with MoreData).
    virtual long queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                            quint32 *dataSize) = 0;
    virtual long closeKey(Key key) = 0;
};

// The calls, going to the current backend.
long RegOpenKeyEx(Key root, const QByteArray &subKey, quint32 options, quint32 access, Key *result);
long RegQueryValueEx(Key key, const QByteArray &valueName, quint32 *type, char *data,
                     quint32 *dataSize);
long RegCloseKey(Key key);

// The backend the calls go to: the system's unless replaced (tests).
Override<std::shared_ptr<Backend>> &backend();

// The two keys that locate the system-information program.
extern const QString msinfoKey;         // value "PATH": the program
extern const QString msinfoLocationKey; // value "MSINFO": its folder

// Keys and values held in memory. Key paths and value names compare without regard to case,
// as registry names do.
class MemoryRegistry : public Backend {
public:
    void setValue(Key root, const QString &keyPath, const QString &valueName, quint32 type,
                  const QByteArray &data);
    // Text stored in 8-bit form, with its terminating NUL unless told otherwise.
    void setString(Key root, const QString &keyPath, const QString &valueName, const QString &text,
                   bool withTerminator = true);
    void setDword(Key root, const QString &keyPath, const QString &valueName, quint32 number);
    void addKey(Key root, const QString &keyPath);
    // Forgets every key, value, open handle and request.
    void clear();

    // Keys opened and not yet closed.
    int openKeyCount() const { return m_open.size(); }
    // Every open and query made, for tests that check what was asked.
    QStringList requests() const { return m_requests; }

    long openKey(Key root, const QByteArray &subKey, quint32 options, quint32 access,
                 Key *result) override;
    long queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                    quint32 *dataSize) override;
    long closeKey(Key key) override;

private:
    struct Value {
        quint32 type = REG_NONE;
        QByteArray data;
    };
    static QString keyId(Key root, const QString &keyPath);

    QHash<QString, QHash<QString, Value>> m_keys; // key id -> lower-case value name -> value
    QHash<Key, QString> m_open;                    // handle -> key id
    Key m_nextHandle = 0x100;
    QStringList m_requests;
};

// The system-information program's file name on this platform.
QString systemInfoProgramName();

} // namespace Registry
