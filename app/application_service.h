#pragma once
// The running program's side of the hand-over (app/handover.h): org.freedesktop.Application on
// the session bus under this display's name, from the moment the first window is up. Each
// address handed over opens in a new window, as File > New makes one, with the address typed
// and GO pressed; Activate opens one on the home page. The last window comes to the front with
// the caller's activation token. Once the program starts to end, the name goes and every call is
// refused, so that the caller starts a program of its own and no address is lost.

#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class ApplicationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    // Takes the name; false when there is no bus or another program of this display has it.
    static bool listen();
    // The program is ending.
    static void stop();

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData);
    Q_SCRIPTABLE void Open(const QStringList &uris, const QVariantMap &platformData);

private:
    ApplicationService(const QString &name, QObject *parent);
    // Refuses (with an error reply) a call that must not be taken.
    bool takes();
    void openWindows(const QStringList &addresses, const QVariantMap &platformData);

    QString m_name;
    bool m_ending = false;
};
