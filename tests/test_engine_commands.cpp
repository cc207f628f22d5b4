// File menu commands of a real browser window, end to end: save and print reach the
// engine's own dialogs (a page's own print too), offline keeps that window (and only it) off the network, New
// opens a fresh window on the home page.

#include "common/modal.h"
#include "browser/browser_window.h"
#include "browser/status_bar.h"
#include "common/failure.h"
#include "engine/qtwebengine/page/page_commands.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/print_to_file.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QToolButton>

class TestEngineCommands : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;
    QTemporaryDir dir;
    Browser *window = nullptr;
    QStringList m_uncaught;

    bool go(Browser *w, const QString &address)
    {
        QSignalSpy done(w->WebBrowser1, &WebEngine::DownloadComplete);
        w->ComboURL->setEditText(address);
        w->Go_Click();
        return done.wait(10000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        server.route("/page", "text/html", "<title>Remote</title><p>seventeen marbles</p>");
        server.route("/endless", "text/html", "<title>endless</title><p>" + QByteArray(4096, 'x'), {},
                     LoopbackHttpServer::Delivery::Endless);
    }
    void init()
    {
        m_uncaught.clear();
        window = new Browser;
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->show();
        QVERIFY(done.wait(15000));
    }
    void cleanup()
    {
        deleteAllBrowsers();
        QVERIFY2(m_uncaught.isEmpty(), qPrintable(m_uncaught.join('\n')));
    }

    void saveAndPrintFromTheMenu()
    {
        QVERIFY(go(window, server.url("/page").toString()));
        const QString saved = dir.filePath(QStringLiteral("saved.html"));
        PageCommands::saveQuestion().set([saved](QWidget *, const QString &) {
            return std::optional<PageCommands::SaveTarget>(
                {saved, QWebEngineDownloadRequest::SingleHtmlSaveFormat});
        });
        QSignalSpy notices(window->WebBrowser1, &WebEngine::FileNotice);
        window->Save->trigger(); // the save goes on after the command, and says when it is done
        QVERIFY(notices.wait(15000));
        QCOMPARE(notices.constFirst().constFirst().toString(), QStringLiteral("Saved: ") + saved);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("seventeen marbles"));

        const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
        Modal::runner().set(printToFile(pdf));
        window->print->trigger();
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        QVERIFY(text.readAllStandardOutput().contains("seventeen marbles"));

        // The page's own print (window.print(), a PDF viewer's print button) is File > Print;
        // asked again at once, it gets no second dialog.
        const QString asked = dir.filePath(QStringLiteral("asked.pdf"));
        int dialogs = 0;
        Modal::runner().set([&](QDialog *dialog) {
            ++dialogs;
            return printToFile(asked)(dialog);
        });
        QWebEnginePage *page = static_cast<QtWebEngine *>(window->WebBrowser1)->page();
        page->runJavaScript(QStringLiteral("window.print()"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(asked).size() > 0, 15000);
        page->runJavaScript(QStringLiteral("window.print()"));
        QTest::qWait(1000);
        QCOMPARE(dialogs, 1);

        // A page still loading opens no print dialog: each command says why, once; after Stop it prints.
        dialogs = 0;
        Modal::runner().set([&](QDialog *) { return ++dialogs, int(QDialog::Rejected); });
        window->ComboURL->setEditText(server.url("/endless").toString());
        window->Go_Click();
        QTRY_VERIFY_WITH_TIMEOUT(window->windowTitle().startsWith(QStringLiteral("endless")), 15000);
        notices.clear();
        window->print->trigger();
        window->printpreview->trigger();
        window->findChild<QAction *>(QStringLiteral("keyPrint"))->trigger(); // Ctrl+P
        QTest::qWait(300);
        QCOMPARE(dialogs, 0);
        QCOMPARE(notices.size(), 3);
        QCOMPARE(window->StatusBar1->panelText(), QStringLiteral("Not printed: the page is still loading; wait, or press Stop"));
        QSignalSpy stopped(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->Stopbrw_Click();
        QVERIFY(stopped.wait(10000));
        window->print->trigger();
        QCOMPARE(dialogs, 1);
        Modal::runner().set({});
        PageCommands::saveQuestion().set({});
    }

    void offlineKeepsOnlyThisWindowOffTheNetwork()
    {
        window->offline->trigger();
        window->offline->trigger(); // twice changes nothing
        QVERIFY(window->WebBrowser1->Offline());
        const int seen = server.requests().size();
        go(window, server.url("/page").toString());
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Working offline   --  Quillon 's Browser"), 10000);
        QCOMPARE(server.requests().size(), seen);

        // Local pages still load offline.
        const QString local = dir.filePath(QStringLiteral("local.html"));
        QFile file(local);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<title>Local</title>here");
        file.close();
        QVERIFY(go(window, local));
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Local   --  Quillon 's Browser"));

        // A window from File > New has its own engine, online.
        window->New->trigger();
        Browser *other = otherBrowser(window);
        QVERIFY(other && other->isVisible());
        QVERIFY(!other->toolbarButton(1)->isEnabled() && !other->toolbarButton(4)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(other->WebBrowser1->LocationURL(), QtWebEngine::homeUrl().toString(), 10000);
        QVERIFY(!other->WebBrowser1->Offline());
        QTRY_VERIFY_WITH_TIMEOUT(!other->WebBrowser1->Busy(), 10000);
        QVERIFY(go(other, server.url("/page").toString()));
        QTRY_COMPARE(other->windowTitle(), QStringLiteral("Remote   --  Quillon 's Browser"));
        QCOMPARE(server.requests().size(), seen + 1);
    }
};

QUILLON_TEST_MAIN(TestEngineCommands)
#include "test_engine_commands.moc"
