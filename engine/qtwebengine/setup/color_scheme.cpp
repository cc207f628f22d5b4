#include "engine/qtwebengine/setup/color_scheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>
#include <QStyleHints>
#include <QtWebEngineCoreVersion>

namespace {
const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settings = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString key = QStringLiteral("color-scheme");
const int dark = 1;

// What the portal says, or -1 when no portal answers (none runs, or it has no such setting).
int askPortal()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return -1;
    for (const QString &method : {QStringLiteral("ReadOne"), QStringLiteral("Read")}) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, settings, method);
        call.setArguments({appearance, key});
        const QDBusMessage reply = bus.call(call, QDBus::Block, 500);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return ColorScheme::portalValue(reply.arguments().value(0));
        // Portals before version 2 know only Read; any other error means no answer at all.
        if (reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.UnknownMethod"))
            return -1;
    }
    return -1;
}

#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
// These engines base the pages' preference on the toolkit's colour scheme and follow it. When
// the toolkit does not read the portal itself (a bare X session), it is told; the frame's
// colours stay as they were.
void tellToolkit(bool prefersDark)
{
    QStyleHints *hints = QGuiApplication::styleHints();
    const Qt::ColorScheme wanted = prefersDark ? Qt::ColorScheme::Dark : Qt::ColorScheme::Light;
    if (hints->colorScheme() == wanted)
        return;
    const QPalette frame = QGuiApplication::palette();
    hints->setColorScheme(wanted);
    QGuiApplication::setPalette(frame);
}

#endif

bool prefersDark(int portal)
{
    if (portal >= 0)
        return portal == dark;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    return QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark;
#else
    return false;
#endif
}
} // namespace

// The portal's change of setting, to the toolkit (the engines that follow it).
class PortalListener : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
public Q_SLOTS:
    void settingChanged(const QString &group, const QString &name, const QDBusVariant &value)
    {
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (group == appearance && name == key)
            tellToolkit(ColorScheme::portalValue(QVariant::fromValue(value)) == dark);
#else
        Q_UNUSED(group) Q_UNUSED(name) Q_UNUSED(value)
#endif
    }
};

namespace ColorScheme {

int portalValue(const QVariant &reply)
{
    QVariant value = reply;
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = value.toUInt(&ok);
    return ok && value.userType() != QMetaType::QString ? int(number) : -1;
}

bool desktopPrefersDark()
{
    return prefersDark(askPortal());
}

void prepareApplication()
{
    const int portal = askPortal();
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (portal >= 0)
        tellToolkit(portal == dark);
    auto *listener = new PortalListener(QCoreApplication::instance());
    QDBusConnection::sessionBus().connect(service, path, settings, QStringLiteral("SettingChanged"), listener,
                                          SLOT(settingChanged(QString, QString, QDBusVariant)));
#else
    // These engines take the preference from Chromium's own theme, which only this switch
    // makes dark, and only as the engine starts: a change while the program runs reaches
    // the pages of its next start. The switch leaves pages with no dark style as they are.
    if (prefersDark(portal))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --force-dark-mode");
#endif
}

} // namespace ColorScheme

#include "color_scheme.moc"
