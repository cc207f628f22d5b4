#include "app/handover.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <memory>
#include <unistd.h>

namespace {
const QString connectionName = QStringLiteral("quillon-handover");
constexpr int nameLimit = 255; // the bus's own limit

// Letters and digits stay; every other byte becomes "_" and two hex digits, so any display's
// name makes one valid element of a bus name.
QString escaped(const QByteArray &text)
{
    QString out;
    for (const char c : text) {
        const auto byte = uchar(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'))
            out += QLatin1Char(c);
        else
            out += QStringLiteral("_%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return out;
}

// ":0.0" and ":0" are one display: the screen number is dropped.
QByteArray withoutScreen(QByteArray display)
{
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon);
    if (colon >= 0 && dot > colon)
        display.truncate(dot);
    return display;
}

// The display part of the name; empty when the toolkit would open no window on the desktop's
// display (no display at all, or a platform such as offscreen).
QString displayElement()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray x11 = qgetenv("DISPLAY");
    const bool anyPlatform = platform.isEmpty();
    if (!wayland.isEmpty() && (anyPlatform || platform.startsWith("wayland")))
        return QStringLiteral("wayland_") + escaped(wayland);
    if (!x11.isEmpty() && (anyPlatform || platform.startsWith("xcb")))
        return QStringLiteral("x11_") + escaped(withoutScreen(x11));
    return {};
}

// The unique name behind a bus name belongs to this user.
bool sameUser(const QDBusConnection &bus, const QString &name)
{
    const QDBusReply<uint> uid = bus.interface()->serviceUid(name);
    return uid.isValid() && uid.value() == uint(::getuid());
}
} // namespace

namespace Handover {

QString busName()
{
    const QString element = displayElement();
    if (element.isEmpty())
        return {};
    const QString prefix = QStringLiteral("com.example.quillon.");
    if (prefix.size() + element.size() <= nameLimit)
        return prefix + element;
    const QByteArray hash = QCryptographicHash::hash(element.toUtf8(), QCryptographicHash::Sha1).toHex();
    return prefix + QStringLiteral("d") + QString::fromLatin1(hash);
}

QString objectPath(const QString &busName)
{
    return QLatin1Char('/') + QString(busName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

QVariantMap platformData()
{
    QVariantMap data;
    const QByteArray wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    const QByteArray x11 = qgetenv("DESKTOP_STARTUP_ID");
    if (!wayland.isEmpty())
        data.insert(QStringLiteral("activation-token"), QString::fromUtf8(wayland));
    if (!x11.isEmpty())
        data.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(x11));
    return data;
}

QStringList wholeAddresses(const QStringList &addresses)
{
    QStringList whole;
    for (const QString &address : addresses) {
        const QString text = address.trimmed();
        const QFileInfo file(text);
        // A text with a colon may be an address of a scheme, which is read before any file.
        const bool relativeFile = !text.isEmpty() && file.isRelative() && !text.startsWith(QLatin1Char('~'))
                                  && !text.contains(QLatin1Char(':')) && file.exists();
        whole << (relativeFile ? QDir::cleanPath(file.absoluteFilePath()) : address);
    }
    return whole;
}

bool toRunningProgram(const QStringList &addresses, char *programName)
{
    const QString name = busName();
    if (name.isEmpty())
        return false;
    // The bus needs an application object; this one is given the program's name alone.
    static int argc = 1;
    static char *argv[] = {programName, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application = std::make_unique<QCoreApplication>(argc, argv);

    bool taken = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
        if (bus.isConnected() && sameUser(bus, name)) {
            QDBusMessage call = QDBusMessage::createMethodCall(name, objectPath(name),
                                                               QStringLiteral("org.freedesktop.Application"),
                                                               addresses.isEmpty() ? QStringLiteral("Activate")
                                                                                   : QStringLiteral("Open"));
            if (!addresses.isEmpty())
                call << wholeAddresses(addresses);
            call << platformData();
            call.setAutoStartService(false); // only a program already running answers
            taken = bus.call(call, QDBus::Block, answerMs).type() == QDBusMessage::ReplyMessage;
        }
    }
    QDBusConnection::disconnectFromBus(connectionName);
    return taken;
}

} // namespace Handover
