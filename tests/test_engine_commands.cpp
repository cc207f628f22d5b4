// File menu commands of a real browser window, end to end: save and print reach the
// engine's own dialogs (a page's own print too), offline keeps that window (and only it) off the network, New
// opens a fresh window on the home page; the window's keys go to the page first.

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

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QToolButton>
#include <utility>

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

    // The keys of the window's commands, and the names a page hears them by.
    const QList<std::pair<QKeyCombination, QString>> commandKeys = {
        {Qt::Key_Escape, "Escape"}, {Qt::CTRL | Qt::Key_F, "f"}, {Qt::CTRL | Qt::Key_S, "s"}, {Qt::CTRL | Qt::Key_P, "p"},
        {Qt::CTRL | Qt::Key_O, "o"}, {Qt::CTRL | Qt::Key_U, "u"}, {Qt::CTRL | Qt::Key_J, "j"}, {Qt::Key_F12, "F12"},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_I, "I"}, {Qt::CTRL | Qt::Key_Equal, "="}, {Qt::CTRL | Qt::Key_Plus, "+"},
        {Qt::CTRL | Qt::Key_Minus, "-"}, {Qt::CTRL | Qt::Key_A, "a"}, {Qt::CTRL | Qt::Key_C, "c"},
        {Qt::CTRL | Qt::Key_X, "x"}, {Qt::CTRL | Qt::Key_V, "v"}, {Qt::CTRL | Qt::Key_0, "0"}, {Qt::CTRL | Qt::Key_L, "l"},
        {Qt::ALT | Qt::Key_D, "d"}, {Qt::Key_F6, "F6"}, {Qt::Key_F5, "F5"}, {Qt::CTRL | Qt::Key_R, "r"},
        {Qt::ALT | Qt::Key_Left, "ArrowLeft"}, {Qt::ALT | Qt::Key_Right, "ArrowRight"}};
    // As typed on the keyboard: to whatever has the focus in the window.
    static void type(Browser *w, QKeyCombination key)
    {
        // A window the last key opened may still be taking the keyboard: ask until it is back.
        QTRY_VERIFY_WITH_TIMEOUT((w->activateWindow(), w->isActiveWindow()), 15000);
        QTest::keyClick(w->windowHandle(), key.key(), key.keyboardModifiers());
        QTest::qWait(30); // as a person types: keys sent all at once now and then missed the page
    }
    static QString inPage(Browser *w, const QString &script)
    {
        QString result = QStringLiteral("?");
        static_cast<QtWebEngine *>(w->WebBrowser1)->page()->runJavaScript(script,
                                                                           [&](const QVariant &v) { result = v.toString(); });
        (void)QTest::qWaitFor([&] { return result != QLatin1String("?"); }, 5000);
        return result;
    }
    static QString heard(Browser *w) { return inPage(w, QStringLiteral("heard.join(' ')")); }
    // The keyboard in the page, as far as the page itself knows: its keys come after that.
    static void focusPage(Browser *w)
    {
        w->activateWindow();
        w->WebBrowser1->control()->setFocus();
        QTRY_VERIFY(w->WebBrowser1->control()->isAncestorOf(QApplication::focusWidget()));
        QTRY_COMPARE(inPage(w, QStringLiteral("String(document.hasFocus())")), QStringLiteral("true"));
    }
    // Every dialog of the window is counted and closed.
    int dialogs = 0;
    QTimer closer;
    void countDialogs()
    {
        dialogs = 0;
        Modal::runner().set([this](QDialog *) { return ++dialogs, int(QDialog::Rejected); });
        connect(&closer, &QTimer::timeout, this, [this] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                ++dialogs, dialog->reject();
        });
        closer.start(50);
    }
    static int shown()
    {
        int visible = 0;
        for (const QWidget *w : QApplication::topLevelWidgets())
            visible += w->isVisible();
        return visible;
    }

private Q_SLOTS:
    void initTestCase()
    {
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        server.route("/page", "text/html", "<title>Remote</title><p>seventeen marbles</p>");
        server.route("/keys", "text/html", R"(<title>keys</title><p>nine green bottles</p><script>
const heard = [];
addEventListener('keydown', e => { if (/^(Control|Shift|Alt|Meta)$/.test(e.key)) return;
  heard.push(e.key); if (location.hash == '#take') e.preventDefault(); }, true);
addEventListener('copy', () => heard.push('copy'));</script>)");
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
        closer.stop();
        closer.disconnect();
        Modal::runner().set({});
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

    void aPageThatTakesEveryKeyKeepsIt()
    {
        QVERIFY(go(window, server.url("/page").toString()));
        QVERIFY(go(window, server.url("/keys#take").toString()));
        focusPage(window);
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        countDialogs();
        QSignalSpy loads(window->WebBrowser1, &WebEngine::DownloadBegin);
        QStringList names;
        for (const auto &[key, name] : commandKeys)
            type(window, key), names << name;
        QTRY_COMPARE(heard(window), names.join(' '));
        QTest::qWait(500); // a key handed back would have acted by now
        QCOMPARE(QList<qsizetype>({dialogs, loads.size(), shown()}), QList<qsizetype>({0, 0, 1}));
        QVERIFY(window->WebBrowser1->control()->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(window->WebBrowser1->zoomFactor(), 1.0);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(window->Cut->isEnabled());

        // Typed into the address box, keys are the window's.
        window->ComboURL->setFocus();
        type(window, Qt::Key_Q);
        type(window, Qt::CTRL | Qt::Key_Equal);
        QTRY_COMPARE(window->WebBrowser1->zoomFactor(), 1.1);
        QVERIFY(window->ComboURL->currentText().endsWith('q'));

        // The reserved keys act whatever the page does, and it never hears them.
        window->WebBrowser1->control()->setFocus();
        type(window, Qt::Key_F11);
        QVERIFY(window->isFullScreen());
        type(window, Qt::Key_Escape);
        QVERIFY(!window->isFullScreen());
        type(window, Qt::ALT | Qt::Key_F);
        QTRY_COMPARE(QApplication::activePopupWidget(), window->findChild<QMenu *>(QStringLiteral("File")));
        QApplication::activePopupWidget()->close();
        type(window, Qt::CTRL | Qt::Key_N);
        QPointer<Browser> other = otherBrowser(window);
        QVERIFY(other && go(other, server.url("/keys#take").toString()));
        QCOMPARE(heard(window), names.join(' '));
        QPointer<Browser> closing = std::exchange(window, nullptr);
        type(closing, Qt::SHIFT | Qt::CTRL | Qt::Key_F12);
        QTRY_VERIFY(!closing);
        type(other, Qt::CTRL | Qt::Key_W);
        QTRY_VERIFY(!other);
    }

    void keysAPageLeavesAreTheWindows()
    {
        QVERIFY(go(window, server.url("/page").toString()));
        QVERIFY(go(window, server.url("/keys").toString()));
        focusPage(window);
        countDialogs();
        QSignalSpy loads(window->WebBrowser1, &WebEngine::DownloadBegin);
        QStringList names;
        const auto typeInPage = [&](int i) {
            window->WebBrowser1->control()->setFocus();
            type(window, commandKeys[i].first);
            names << commandKeys[i].second;
        };
        for (int i = 0; i < 9; ++i) // Esc (Stop) to Ctrl+Shift+I: 4 dialogs, 3 windows
            typeInPage(i);
        QTRY_COMPARE(dialogs, 4);
        QTRY_COMPARE(shown(), 4); // the source, the downloads, the developer tools
        for (int i = 9; i < 12; ++i) // Ctrl+=, Ctrl+plus, Ctrl+minus: a zoom step up
            typeInPage(i);
        QTRY_COMPARE(heard(window), names.join(' '));
        QTest::qWait(200); // the commands of the keys handed back have run by now
        QCOMPARE(window->WebBrowser1->zoomFactor(), 1.1);
        typeInPage(12), typeInPage(13); // select all, copy
        QTRY_COMPARE(QApplication::clipboard()->text().trimmed(), QStringLiteral("nine green bottles"));
        for (int i = 14; i < 17; ++i)
            typeInPage(i);
        QTRY_COMPARE(window->WebBrowser1->zoomFactor(), 1.0);
        names.insert(names.indexOf("c") + 1, "copy");
        QCOMPARE(heard(window), names.join(' ')); // each once, copied once
        for (int i = 17; i < 20; ++i) { // to the address box
            typeInPage(i);
            QTRY_VERIFY(window->ComboURL->lineEdit()->hasFocus());
        }
        for (int i = 20; i < 24; ++i) { // reload twice, back, forward
            typeInPage(i);
            QTRY_COMPARE(loads.size(), i - 19);
            QTRY_VERIFY(!window->WebBrowser1->Busy());
        }
        QCOMPARE(window->WebBrowser1->LocationURL(), server.url("/keys").toString());
        QCOMPARE(dialogs, 4);
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
