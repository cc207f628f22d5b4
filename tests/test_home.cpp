// A run keeps nothing in the user's home: browsing over http and https, saving a page through
// the toolkit's file dialog and opening it with the open-file dialog leave the home folder
// holding only what the user guide lists (the engine's certificate store). The run is this test
// program started again with an empty home.

#include "browser/browser_window.h"
#include "dialogs/open_file_dialog.h"
#include "dialogs/file_lists.h"
#include "engine/web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

namespace {
const char *runFolder = "QUILLON_TEST_RUN_FOLDER"; // set for the run: a folder outside its home

bool go(Browser *window, const QString &address)
{
    QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
    window->ComboURL->setEditText(address);
    window->Go_Click();
    return done.wait(15000);
}

// Answers the next modal dialog of that kind as soon as it shows.
template <typename Dialog, typename Answer>
void answer(Answer answerWith)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answerWith] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answerWith(dialog);
        }
    });
    poll->start(100);
}
} // namespace

class TestHome : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRunLeavesOnlyWhatTheReadmeLists()
    {
        if (qEnvironmentVariableIsSet(runFolder))
            QSKIP("this is the run");
        QTemporaryDir home, outside;
        QVERIFY(LoopbackHttpServer::selfSignedTls(outside.path()));

        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QString::fromLatin1(runFolder), outside.path());
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::ForwardedChannels);
        run.start(QCoreApplication::applicationFilePath(), {QStringLiteral("browseSaveAndOpen")});
        QVERIFY(run.waitForFinished(180000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QDir(outside.path()).entryList({"*.html"}).size(), 1);

        QStringList left;
        QDirIterator it(home.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            left << QDir(home.path()).relativeFilePath(it.next());
        left.sort();
        const QStringList listed{".pki", ".pki/nssdb", ".pki/nssdb/cert9.db", ".pki/nssdb/key4.db",
                                 ".pki/nssdb/pkcs11.txt"};
        QVERIFY2(left == listed, qPrintable(left.join(QStringLiteral(", "))));
    }

    void browseSaveAndOpen()
    {
        const QString outside = qEnvironmentVariable(runFolder);
        if (outside.isEmpty())
            QSKIP("only in the run that aRunLeavesOnlyWhatTheReadmeLists starts");
        LoopbackHttpServer web;
        web.route("/a", "text/html", "<title>Page A</title>Kept nowhere");
        const std::optional<QSslConfiguration> tls = LoopbackHttpServer::selfSignedTls(outside);
        QVERIFY(tls);
        LoopbackHttpServer secure(nullptr, &*tls);
        secure.route("/s", "text/html", "<title>Secure</title>");

        const auto closeAll = qScopeGuard([] { deleteAllBrowsers(); });
        Browser *window = BrowserWindows::showFirst();
        QSignalSpy home(window->WebBrowser1, &WebEngine::DownloadComplete);
        QVERIFY(home.wait(15000));
        QVERIFY(go(window, secure.url("/s").toString()));
        QVERIFY(secure.connections() > 0);
        QVERIFY(go(window, web.url("/a").toString()));

        answer<QFileDialog>([outside](QFileDialog *dialog) {
            dialog->setDirectory(outside); // under the name the dialog suggests
            QMetaObject::invokeMethod(dialog, "accept");
        });
        window->SaveAs_Click();
        QStringList pages;
        QTRY_VERIFY_WITH_TIMEOUT(!(pages = QDir(outside).entryList({"*.html"})).isEmpty(), 15000);
        const QString saved = QDir(outside).filePath(pages.constFirst());

        answer<openfile>([outside, name = pages.constFirst()](openfile *dialog) {
            dialog->Dir1->setPath(outside);
            const QList<QListWidgetItem *> found = dialog->File1->findItems(name, Qt::MatchExactly);
            if (!found.isEmpty())
                QTest::mouseClick(dialog->File1->viewport(), Qt::LeftButton, {},
                                  dialog->File1->visualItemRect(found.constFirst()).center());
        });
        QSignalSpy opened(window->WebBrowser1, &WebEngine::DownloadComplete);
        openfile::showShared();
        QVERIFY(opened.wait(15000));
        QCOMPARE(window->WebBrowser1->LocationURL(), QUrl::fromLocalFile(saved).toString());
    }
};

QUILLON_TEST_MAIN(TestHome)
#include "test_home.moc"
