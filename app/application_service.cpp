#include "app/application_service.h"

#include "app/handover.h"
#include "app/window_activation.h"
#include "browser/browser_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QPointer>
#include <QTimer>
#include <unistd.h>

namespace {
QPointer<ApplicationService> &service()
{
    static QPointer<ApplicationService> instance;
    return instance;
}
} // namespace

ApplicationService::ApplicationService(const QString &name, QObject *parent) : QObject(parent), m_name(name) {}

bool ApplicationService::listen()
{
    const QString name = Handover::busName();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (service() || name.isEmpty() || !bus.isConnected())
        return false;
    auto *self = new ApplicationService(name, QCoreApplication::instance());
    if (!bus.registerObject(Handover::objectPath(name), self, QDBusConnection::ExportScriptableSlots)
        || !bus.registerService(name)) {
        bus.unregisterObject(Handover::objectPath(name));
        delete self;
        return false;
    }
    service() = self;
    return true;
}

void ApplicationService::stop()
{
    ApplicationService *self = service();
    if (!self || self->m_ending)
        return;
    self->m_ending = true;
    // Calls already on their way to this program are refused (takes); new ones find nobody.
    QDBusConnection::sessionBus().unregisterService(self->m_name);
}

bool ApplicationService::takes()
{
    if (m_ending) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("The program is ending"));
        return false;
    }
    const QDBusReply<uint> uid = connection().interface()->serviceUid(message().service());
    if (!uid.isValid() || uid.value() != uint(::getuid())) {
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Only the same user's programs may open windows"));
        return false;
    }
    return true;
}

void ApplicationService::Activate(const QVariantMap &platformData)
{
    Open({}, platformData);
}

void ApplicationService::Open(const QStringList &uris, const QVariantMap &platformData)
{
    if (!takes())
        return;
    // The answer goes before the windows are built: a caller that waited longer than it may
    // would start a program of its own, and the page would open twice.
    QTimer::singleShot(0, this, [this, uris, platformData] { openWindows(uris, platformData); });
}

void ApplicationService::openWindows(const QStringList &addresses, const QVariantMap &platformData)
{
    // No address: one window on the home page, as File > New opens it.
    const qsizetype count = addresses.isEmpty() ? 1 : addresses.size();
    for (qsizetype i = 0; i < count; ++i) {
        auto *window = new Browser; // independent, as File > New makes it: never the first window
        if (i == count - 1)
            WindowActivation::show(window, platformData); // the one left on top
        else
            window->show();
        if (addresses.isEmpty())
            continue;
        // Data only: the text goes into the address box as if typed, never read as an option.
        window->ComboURL->setEditText(addresses.at(i));
        window->Go_Click();
    }
}
