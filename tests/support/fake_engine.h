#pragma once
// A scripted engine: records every call, raises events on demand and fails any member
// it is told to.

#include "engine/web_engine.h"

#include <QSet>
#include <QStringList>
#include <QWidget>

class FakeEngine : public WebEngine {
    Q_OBJECT
public:
    explicit FakeEngine(QWidget *parent);

    QWidget *control() override { return m_control; }

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Stop() override;
    void ExecWB(ExecCommand commandId, int option) override;
    void setOffline(bool offline) override;
    bool Offline() const override { return m_offline; }
    void setRegisterAsBrowser(bool registered) override;
    bool RegisterAsBrowser() const override { return m_registered; }
    QString LocationURL() const override;
    bool Busy() const override;
    void setZoomFactor(double factor) override;
    double zoomFactor() const override { return m_zoom; }
    void findOnPage(const QString &text) override;
    void findNextOnPage(const QString &text) override;
    void clearFindOnPage() override;
    void showDeveloperTools() override;
    // Answers with pageText, later, as the engine does.
    void readPageText(QObject *context, PageTextHandler handler) override;
    void setWidth(int twips) override;
    void setHeight(int twips) override;

    // Raises NewWindow2 as a page would; returns the engine the window handed back.
    WebEngine *requestNewWindow() { return NewWindow2(); }

    // Every call in order, e.g. "Navigate(x)", "ExecWB(22,0)", "RegisterAsBrowser=true".
    QStringList calls;
    // Members named here throw PlatformError ("Navigate", "LocationURL", "ExecWB", ...).
    QSet<QString> failing;
    QString location;
    QString pageText;
    bool busy = false;

    // The engine of every fake made while a test runs, newest last.
    static QList<FakeEngine *> &all();
    // Installs the fake as the engine of every new browser window.
    static void install();

private:
    void record(const QString &member, const QString &call);

    QWidget *m_control;
    bool m_offline = false;
    bool m_registered = false;
    double m_zoom = 1.0;
};
