#include "support/fake_engine.h"

#include "common/failure.h"

#include <QTimer>

FakeEngine::FakeEngine(QWidget *parent) : m_control(new QWidget(parent))
{
    setParent(m_control);
    m_control->setFocusPolicy(Qt::StrongFocus);
    all().append(this);
    connect(this, &QObject::destroyed, [this] { all().removeAll(this); });
}

QList<FakeEngine *> &FakeEngine::all()
{
    static QList<FakeEngine *> engines;
    return engines;
}

void FakeEngine::install()
{
    WebEngines::factory().set([](QWidget *parent) { return new FakeEngine(parent); });
}

void FakeEngine::record(const QString &member, const QString &call)
{
    calls.append(call);
    if (failing.contains(member))
        throw PlatformError(member + QStringLiteral(" failed"));
}

void FakeEngine::Navigate(const QString &address) { record(QStringLiteral("Navigate"), QStringLiteral("Navigate(%1)").arg(address)); }
void FakeEngine::GoBack() { record(QStringLiteral("GoBack"), QStringLiteral("GoBack")); }
void FakeEngine::GoForward() { record(QStringLiteral("GoForward"), QStringLiteral("GoForward")); }
void FakeEngine::GoHome() { record(QStringLiteral("GoHome"), QStringLiteral("GoHome")); }
void FakeEngine::GoSearch() { record(QStringLiteral("GoSearch"), QStringLiteral("GoSearch")); }
void FakeEngine::Stop() { record(QStringLiteral("Stop"), QStringLiteral("Stop")); }

void FakeEngine::ExecWB(ExecCommand commandId, int option)
{
    record(QStringLiteral("ExecWB"), QStringLiteral("ExecWB(%1,%2)").arg(int(commandId)).arg(option));
}

void FakeEngine::setOffline(bool offline)
{
    record(QStringLiteral("Offline"), QStringLiteral("Offline=%1").arg(offline ? "true" : "false"));
    m_offline = offline;
}

void FakeEngine::setRegisterAsBrowser(bool registered)
{
    record(QStringLiteral("RegisterAsBrowser"),
           QStringLiteral("RegisterAsBrowser=%1").arg(registered ? "true" : "false"));
    m_registered = registered;
}

QString FakeEngine::LocationURL() const
{
    if (failing.contains(QStringLiteral("LocationURL")))
        throw PlatformError(QStringLiteral("LocationURL failed"));
    return location;
}

bool FakeEngine::Busy() const
{
    if (failing.contains(QStringLiteral("Busy")))
        throw PlatformError(QStringLiteral("Busy failed"));
    return busy;
}

void FakeEngine::setZoomFactor(double factor)
{
    record(QStringLiteral("Zoom"), QStringLiteral("Zoom=%1").arg(factor));
    m_zoom = factor;
}

void FakeEngine::findOnPage(const QString &text)
{
    record(QStringLiteral("Find"), QStringLiteral("FindOnPage(%1)").arg(text));
}

void FakeEngine::findNextOnPage(const QString &text)
{
    record(QStringLiteral("Find"), QStringLiteral("FindNextOnPage(%1)").arg(text));
}

void FakeEngine::clearFindOnPage() { record(QStringLiteral("Find"), QStringLiteral("ClearFindOnPage")); }

void FakeEngine::setWidth(int twips)
{
    if (failing.contains(QStringLiteral("Width")))
        throw PlatformError(QStringLiteral("Width failed"));
    WebEngine::setWidth(twips);
}

void FakeEngine::setHeight(int twips)
{
    if (failing.contains(QStringLiteral("Height")))
        throw PlatformError(QStringLiteral("Height failed"));
    WebEngine::setHeight(twips);
}

void FakeEngine::showDeveloperTools() { record(QStringLiteral("DeveloperTools"), QStringLiteral("DeveloperTools")); }

void FakeEngine::readPageText(QObject *context, PageTextHandler handler)
{
    record(QStringLiteral("ReadPageText"), QStringLiteral("ReadPageText"));
    QTimer::singleShot(0, context, [handler = std::move(handler), text = pageText] { handler(text); });
}
