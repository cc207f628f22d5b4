// Downloads end to end in a real browser window against a loopback server: the file lands
// under the chosen name and nothing else is left; cancel, a dropped connection and an
// unwritable folder leave no file and say why once; the context menu saves by the same paths
// as the File menu; the last window asks before it ends a running download. A PDF shows in
// the window rather than asking where to save it.

#include "browser/browser_window.h"
#include "browser/status_bar.h"
#include "common/failure.h"
#include "common/message_box.h"
#include "common/modal.h"
#include "common/shared_dialog.h"
#include "prompts/download_row.h"
#include "prompts/downloads_window.h"
#include "engine/engine_host.h"
#include "engine/web_engine.h"
#include "engine/qtwebengine/questions/download_manager.h"
#include "engine/qtwebengine/page/page_commands.h"
#include "engine/qtwebengine/page/shown_document.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

using SaveTarget = PageCommands::SaveTarget;

class TestDownloads : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;
    QTemporaryDir dir;
    QString folder; // this test's own
    Browser *window = nullptr;
    QStringList m_reported; // uncaught errors and messages
    QString m_answer;       // the save dialog's answer; empty is Cancel
    QStringList m_suggested;
    QByteArray m_body;
    QByteArray m_png;
    QByteArray m_pdf;
    EngineHost::DownloadTargetQuestion m_previousQuestion;

    QWebEngineView *view() const { return static_cast<QWebEngineView *>(window->WebBrowser1->control()); }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
    QString file(const QString &name) const { return folder + QLatin1Char('/') + name; }

    QByteArray contents(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    bool go(const QString &path)
    {
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->WebBrowser1->Navigate(at(path));
        return done.wait(15000);
    }

    // A one-page PDF with a line of text and no title of its own.
    static QByteArray pdf(const QString &text)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 24));
        painter.drawText(QRect(0, 0, writer.width(), writer.height() / 4), Qt::AlignCenter, text);
        painter.end();
        return bytes;
    }

    QString at(const QString &path) const { return server.url(path).toString(); }

    // Starts fetching address in the window; returns the download it began, or null.
    Download *fetch(const QString &address)
    {
        const qsizetype before = DownloadList::instance()->downloads().size();
        window->WebBrowser1->Navigate(address);
        if (!QTest::qWaitFor([&] { return DownloadList::instance()->downloads().size() > before; }, 15000))
            return nullptr;
        return DownloadList::instance()->downloads().constLast();
    }

    DownloadRow *rowOf(const Download *download) const
    {
        DownloadsWindow *downloads = SharedDialog<DownloadsWindow>::current();
        for (DownloadRow *row : downloads ? downloads->rows() : QList<DownloadRow *>())
            if (row->download() == download)
                return row;
        return nullptr;
    }

    // Right-clicks the page at position: the context menu that opens, or null.
    QMenu *contextMenu(const QPoint &position)
    {
        QWidget *target = view()->focusProxy() ? view()->focusProxy() : view();
        QTest::mouseMove(target, position);
        QTest::mouseClick(target, Qt::RightButton, {}, position);
        QMenu *menu = nullptr;
        return QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }, 10000)
            ? menu
            : nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server.isListening());
        UncaughtErrors::sink().set([this](const QString &m) { m_reported << m; });
        MessageBox::sink().set([this](const QString &m) { m_reported << m; });
        m_previousQuestion = EngineHost::askDownloadTarget().set([this](QWidget *, const QString &name) {
            m_suggested << name;
            return m_answer;
        });
        for (int i = 0; i < 300000; ++i)
            m_body.append(char((unsigned(i) * 7919u) >> 3));
        QBuffer png(&m_png);
        png.open(QIODevice::WriteOnly);
        QImage dot(8, 8, QImage::Format_RGB32);
        dot.fill(Qt::darkCyan);
        dot.save(&png, "PNG");
        const QByteArray attachment = "Content-Disposition: attachment; filename=\"report.zip\"\r\n";
        server.route("/report", "application/zip", m_body, attachment);
        server.route("/slow", "application/octet-stream", m_body.repeated(7), attachment,
                     LoopbackHttpServer::Delivery::Slowly);
        server.route("/cut", "application/octet-stream", m_body, attachment, LoopbackHttpServer::Delivery::CutHalfway);
        server.route("/dot.png", "image/png", m_png);
        m_pdf = pdf(QStringLiteral("Quillon's paper"));
        server.route("/paper.pdf", "application/pdf", m_pdf);
        server.route("/papers", "text/html",
                     "<title>Papers</title><body style='margin:0'>"
                     "<a href='/paper.pdf' style='display:block;height:60px'>the paper</a></body>");
        server.route("/page", "text/html",
                     "<title>Quillwork</title><body style='margin:0'>"
                     "<a href='/report' style='display:block;height:60px'>the report</a>"
                     "<img src='/dot.png' width='60' height='60'><p>seventeen marbles</p></body>");
    }

    void cleanupTestCase() { EngineHost::askDownloadTarget().set(m_previousQuestion); }

    void init()
    {
        m_reported.clear();
        m_suggested.clear();
        m_answer.clear(); // Cancel, until a test says otherwise
        folder = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()));
        QVERIFY(QDir().mkpath(folder));
        window = new Browser;
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->show();
        QVERIFY(done.wait(15000));
    }

    void cleanup()
    {
        DownloadList::instance()->cancelAll(QStringLiteral("The test is over"));
        deleteAllBrowsers();
        window = nullptr;
        Modal::runner().set({});
        QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.join('\n')));
    }

    void attachmentLandsUnderTheChosenName()
    {
        // Cancel in the save dialog: nothing is written and no download is listed.
        const qsizetype listed = DownloadList::instance()->downloads().size();
        window->WebBrowser1->Navigate(at("/report"));
        QTRY_COMPARE_WITH_TIMEOUT(m_suggested, QStringList{"report.zip"}, 15000);
        QTest::qWait(300);
        QCOMPARE(DownloadList::instance()->downloads().size(), listed);

        m_answer = file("saved.zip");
        Download *download = fetch(at("/report"));
        QVERIFY(download);
        QTRY_VERIFY_WITH_TIMEOUT(!download->isRunning(), 15000);
        QCOMPARE(download->state(), Download::State::Finished);
        QCOMPARE(files(), QStringList{"saved.zip"}); // and no temporary file
        QCOMPARE(contents(m_answer), m_body);
        QCOMPARE(window->StatusBar1->panelText(), QStringLiteral("Download complete: saved.zip"));
        DownloadsWindow *downloads = SharedDialog<DownloadsWindow>::current();
        QVERIFY(downloads->isVisible());
        QVERIFY(rowOf(download)->statusText().startsWith(QStringLiteral("Done")));
        downloads->close(); // it stays reachable from the window
        window->findChild<QAction *>(QStringLiteral("keyDownloads"))->trigger();
        QVERIFY(downloads->isVisible());
    }

    void cancellingMidwayRemovesThePartialFile()
    {
        m_answer = file("slow.bin");
        Download *download = fetch(at("/slow"));
        QVERIFY(download);
        // The data goes to a temporary name beside the target until it is complete.
        QTRY_VERIFY_WITH_TIMEOUT(download->received() > 0 && QFile::exists(DownloadManager::partialPath(m_answer)), 15000);
        QVERIFY(!QFile::exists(m_answer));
        rowOf(download)->findChild<QPushButton *>(QStringLiteral("cancel"))->click();
        QCOMPARE(download->state(), Download::State::Cancelled);
        QTest::qWait(500); // whatever the engine still does about it
        QCOMPARE(files(), QStringList());
        QCOMPARE(rowOf(download)->statusText(), QStringLiteral("Cancelled"));
    }

    void droppedConnectionFailsTheRow()
    {
        m_answer = file("cut.bin");
        Download *download = fetch(at("/cut"));
        QVERIFY(download);
        QTRY_VERIFY_WITH_TIMEOUT(!download->isRunning(), 60000);
        QCOMPARE(m_suggested.size(), 1); // the engine's own retries ask nobody
        QCOMPARE(download->state(), Download::State::Failed);
        QCOMPARE(download->reason(), QStringLiteral("The connection was lost before the whole file came"));
        QCOMPARE(rowOf(download)->statusText(), QStringLiteral("Failed: The connection was lost before the whole file came"));
        QCOMPARE(files(), QStringList());
        QCOMPARE(window->StatusBar1->panelText(), QStringLiteral("Download failed: cut.bin (The connection was lost before the whole file came)"));
    }

    void unwritableTargetReportsFailureOnce()
    {
        QFile blocker(file("blocker")); // a file where the folder would have to be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_answer = file("blocker/report.zip");
        QSignalSpy notices(window->WebBrowser1, &WebEngine::FileNotice);
        Download *download = fetch(at("/report"));
        QVERIFY(download);
        QCOMPARE(download->state(), Download::State::Failed);
        QTest::qWait(1000);
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.constFirst().constFirst().toString().startsWith(QStringLiteral("Download failed: report.zip")));
        QCOMPARE(files(), QStringList{"blocker"});
    }

    void offlineWindowDownloadsOnlyLocalFiles()
    {
        window->offline->trigger();
        const int seen = server.requests().size();
        m_answer = file("report.zip");
        window->WebBrowser1->Navigate(at("/report"));
        QTest::qWait(1500);
        QCOMPARE(server.requests().size(), seen);
        QCOMPARE(m_suggested, QStringList());

        const QString local = dir.filePath(QStringLiteral("local.zip"));
        QFile source(local);
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write(m_body);
        source.close();
        Download *download = fetch(local);
        QVERIFY(download);
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), Download::State::Finished, 15000);
        QCOMPARE(contents(m_answer), m_body);
    }

    void contextMenuSavePageThenSaveAsSucceedOnce()
    {
        // Long enough for any save here; the old fault reported failure when it ran out.
        const auto shortWait = PageCommands::timeout().scoped([] { return 3000; });
        QVERIFY(go("/page"));
        QSignalSpy notices(window->WebBrowser1, &WebEngine::FileNotice);
        int asked = 0;
        std::optional<SaveTarget> answer = SaveTarget{file("first.html"), QWebEngineDownloadRequest::SingleHtmlSaveFormat};
        const auto question = PageCommands::saveQuestion().scoped([&](QWidget *, const QString &) {
            ++asked;
            return answer;
        });
        // A save before, so that a save request left unanswered would put the next out of step.
        window->SaveAs->trigger();
        QVERIFY(notices.wait(15000));
        for (const QString &name : {QString(), QStringLiteral("menu.mhtml")}) { // cancelled, then saved
            answer.reset();
            if (!name.isEmpty())
                answer = SaveTarget{file(name), QWebEngineDownloadRequest::MimeHtmlSaveFormat};
            QMenu *menu = contextMenu({200, 200});
            QVERIFY(menu);
            QAction *savePage = menu->findChild<QAction *>(QStringLiteral("savePage"));
            QVERIFY(savePage);
            savePage->trigger();
            menu->close();
        }
        QVERIFY(notices.size() == 2 || notices.wait(15000));
        answer = SaveTarget{file("file-menu.html"), QWebEngineDownloadRequest::SingleHtmlSaveFormat};
        window->SaveAs->trigger();
        QVERIFY(notices.wait(15000));
        QCOMPARE(asked, 4);
        QVERIFY(contents(file("file-menu.html")).contains("seventeen marbles"));
        QVERIFY(contents(file("menu.mhtml")).contains("seventeen marbles"));
        QCOMPARE(notices.size(), 3);
        QCOMPARE(notices.constLast().constFirst().toString(), QStringLiteral("Saved: ") + file("file-menu.html"));
        QTest::qWait(3900); // 1.3 times the wait: nothing comes later
        QCOMPARE(notices.size(), 3);
        QVERIFY2(m_reported.isEmpty(), qPrintable(m_reported.join('\n')));
    }

    void contextMenuSavesLinksAndImages()
    {
        QVERIFY(go("/page"));
        m_answer = file("link.zip");
        QMenu *menu = contextMenu({20, 20});
        QVERIFY(menu);
        QVERIFY(menu->actions().contains(view()->pageAction(QWebEnginePage::DownloadLinkToDisk)));
        view()->pageAction(QWebEnginePage::DownloadLinkToDisk)->trigger();
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(contents(m_answer), m_body, 15000);

        QApplication::clipboard()->clear();
        m_answer = file("picture.png");
        menu = contextMenu({20, 90});
        QVERIFY(menu);
        for (auto action : {QWebEnginePage::CopyImageToClipboard, QWebEnginePage::DownloadImageToDisk}) {
            QVERIFY(menu->actions().contains(view()->pageAction(action)));
            view()->pageAction(action)->trigger();
        }
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(contents(m_answer), m_png, 15000);
        QCOMPARE(m_suggested, (QStringList{"report.zip", "dot.png"}));
        QTRY_COMPARE(QApplication::clipboard()->image().size(), QSize(8, 8));
        QTRY_COMPARE(files(), (QStringList{"link.zip", "picture.png"}));
    }

    void pdfShowsInTheWindowAndSavesAsItsFile()
    {
        const qsizetype listed = DownloadList::instance()->downloads().size();
        QVERIFY(go("/paper.pdf"));
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("paper.pdf   --  Quillon 's Browser"), 15000);
        QTest::qWait(500);
        QCOMPARE(m_suggested, QStringList()); // no save question
        QCOMPARE(DownloadList::instance()->downloads().size(), listed);

        // Save As saves the file itself, asking as a download does.
        m_answer = file("saved.pdf");
        window->SaveAs->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(contents(m_answer), m_pdf, 15000);
        // Print: the print dialog where the engine prints the document, not the viewer's
        // controls; elsewhere none, and the status bar says why.
        int dialogs = 0;
        Modal::runner().set([&dialogs](QDialog *) { return ++dialogs, int(QDialog::Rejected); });
        window->print->trigger();
        QCOMPARE(dialogs, ShownDocument::enginePrintsPdf ? 1 : 0);
        QCOMPARE(window->StatusBar1->panelText().contains(QStringLiteral("Cannot print a PDF")),
                 !ShownDocument::enginePrintsPdf);
        Modal::runner().set({});

        QVERIFY(go("/papers"));
        m_answer = file("kept.pdf");
        QMenu *menu = contextMenu({20, 20});
        QVERIFY(menu);
        view()->pageAction(QWebEnginePage::DownloadLinkToDisk)->trigger();
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(contents(m_answer), m_pdf, 15000);
        QCOMPARE(m_suggested, (QStringList{"paper.pdf", "paper.pdf"}));

        // Offline, a PDF from the network is not fetched; a local one still shows.
        window->offline->trigger();
        const int seen = server.requests().size();
        window->WebBrowser1->Navigate(at("/paper.pdf"));
        QTest::qWait(1500);
        QCOMPARE(server.requests().size(), seen);
        QFile local(dir.filePath(QStringLiteral("local.pdf")));
        QVERIFY(local.open(QIODevice::WriteOnly));
        local.write(m_pdf);
        local.close();
        window->WebBrowser1->Navigate(local.fileName());
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("local.pdf   --  Quillon 's Browser"), 15000);
        QCOMPARE(m_suggested.size(), 2);
    }

    void closingTheLastWindowAsksFirst()
    {
        m_answer = file("slow.bin");
        Download *download = fetch(at("/slow"));
        QVERIFY(download);
        QTRY_VERIFY_WITH_TIMEOUT(download->received() > 0, 15000);
        QStringList questions;
        int reply = QMessageBox::Cancel;
        Modal::runner().set([&](QDialog *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            questions << (box ? box->text() : QStringLiteral("another dialog"));
            return reply;
        });
        // Another window closes without a word: the download goes on in this one.
        window->New->trigger();
        QPointer<Browser> other = otherBrowser(window);
        QVERIFY(other);
        other->close(); // the page agrees first (it has no leave question), then it goes
        QTRY_VERIFY(!other);
        QCOMPARE(questions, QStringList());
        QTRY_COMPARE(BrowserWindows::count(), 1); // once it is gone, this window is the last

        window->close();
        QTRY_COMPARE(questions.size(), 1); // asked once the page has agreed; Cancel keeps it open
        QVERIFY(questions.constFirst().contains(QStringLiteral("slow.bin")));
        QVERIFY(window->isVisible() && download->isRunning());

        reply = QMessageBox::Yes;
        QVERIFY(window->close());
        QCOMPARE(download->state(), Download::State::Cancelled);
        QCOMPARE(download->reason(), QStringLiteral("Cancelled: the browser was closed"));
        QTRY_COMPARE(files(), QStringList());
    }
};

QUILLON_TEST_MAIN(TestDownloads)
#include "test_downloads.moc"
