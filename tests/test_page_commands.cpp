// The engine's page commands on a real page: save writes the page in each format, print
// writes a PDF with the page's text and the page set-up's orientation, the preview shows
// real pages, properties describe the page, and what cannot be done reports a failure.

#include "common/modal.h"
#include "support/loopback_http_server.h"
#include "support/print_to_file.h"
#include "support/test_main.h"

#include "engine/qtwebengine/setup/engine_profile.h"
#include "common/failure.h"
#include "engine/qtwebengine/page/page_commands.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QByteArray kPage = "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Quillwork Notes</title></head>"
                         "<body><h1>Quillwork</h1><p>The inkwell holds seventeen marbles.</p>"
                         "<img src='dot.svg' width='20' height='20'></body></html>";

// pdftotext and pdfinfo of poppler-utils.
QString pdfTool(const QString &tool, const QString &pdf)
{
    QProcess process;
    process.start(tool, tool == QLatin1String("pdftotext") ? QStringList{pdf, QStringLiteral("-")} : QStringList{pdf});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestPageCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QWebEngineView *m_view = nullptr;
    PageCommands *m_commands = nullptr;
    Modal::Runner m_previousRunner;
    PageCommands::SaveQuestion m_previousQuestion;

    QString pagePath() const { return m_dir.filePath(QStringLiteral("notes.html")); }

    // Saves with the answer given, and returns what the save then says, once it has said it.
    QString saveAs(const QString &target, QWebEngineDownloadRequest::SavePageFormat format, int waitMs = 15000)
    {
        PageCommands::saveQuestion().set([target, format](QWidget *, const QString &) {
            return std::optional<PageCommands::SaveTarget>({target, format});
        });
        QSignalSpy notices(m_commands, &PageCommands::notice);
        m_commands->saveAs();
        return notices.size() || notices.wait(waitMs) ? notices.constLast().constFirst().toString() : QString();
    }

    bool load(const QUrl &url)
    {
        QSignalSpy finished(m_view->page(), &QWebEnginePage::loadFinished);
        m_view->load(url);
        return finished.wait(15000) && finished.constFirst().constFirst().toBool();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile page(pagePath());
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(kPage);
        page.close();
        QFile dot(m_dir.filePath(QStringLiteral("dot.svg")));
        QVERIFY(dot.open(QIODevice::WriteOnly));
        dot.write("<svg xmlns='http://www.w3.org/2000/svg' width='20' height='20'>"
                  "<circle cx='10' cy='10' r='8' fill='teal'/></svg>");
        dot.close();
        m_previousRunner = Modal::runner().set([](QDialog *) { return int(QDialog::Rejected); });
        m_previousQuestion = PageCommands::saveQuestion().set([](QWidget *, const QString &) {
            return std::optional<PageCommands::SaveTarget>();
        });
    }

    void init()
    {
        m_view = new QWebEngineView;
        m_view->setPage(new QWebEnginePage(EngineProfile::profile(), m_view));
        m_view->resize(640, 480);
        m_view->show();
        m_commands = new PageCommands(m_view, m_view);
    }

    void cleanup()
    {
        delete m_view; // its page and commands with it, before the profile goes
        m_view = nullptr;
        m_commands = nullptr;
        Modal::runner().set([](QDialog *) { return int(QDialog::Rejected); });
    }

    void cleanupTestCase()
    {
        Modal::runner().set(m_previousRunner);
        PageCommands::saveQuestion().set(m_previousQuestion);
    }

    void nothingLoadedReportsFailure()
    {
        bool asked = false;
        Modal::runner().set([&](QDialog *) {
            asked = true;
            return int(QDialog::Accepted);
        });
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_commands->save());
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_commands->saveAs());
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_commands->print());
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_commands->printPreview());
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_commands->properties());
        QVERIFY(!asked); // no dialog for a page that is not there
    }

    void saveWritesThePageInEachFormat_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("file");
        QTest::newRow("html only") << int(QWebEngineDownloadRequest::SingleHtmlSaveFormat) << "single.html";
        QTest::newRow("complete") << int(QWebEngineDownloadRequest::CompleteHtmlSaveFormat) << "complete.html";
        QTest::newRow("mhtml") << int(QWebEngineDownloadRequest::MimeHtmlSaveFormat) << "archive.mhtml";
    }

    void saveWritesThePageInEachFormat()
    {
        QFETCH(int, format);
        QFETCH(QString, file);
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        const QString target = m_dir.filePath(QStringLiteral("saved/") + file);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("saved")));
        QString suggested;
        PageCommands::saveQuestion().set([&](QWidget *, const QString &suggestion) {
            suggested = suggestion;
            return std::optional<PageCommands::SaveTarget>(
                {target, QWebEngineDownloadRequest::SavePageFormat(format)});
        });
        QSignalSpy notices(m_commands, &PageCommands::notice);
        m_commands->saveAs();
        QVERIFY(notices.wait(15000));
        QCOMPARE(notices.constLast().constFirst().toString(), QStringLiteral("Saved: ") + target);
        QVERIFY(QFileInfo(suggested).fileName().startsWith(QStringLiteral("Quillwork Notes")));
        const QString saved = readText(target);
        QVERIFY2(saved.contains(QStringLiteral("seventeen marbles")), qPrintable(saved.left(300)));
        if (format == QWebEngineDownloadRequest::CompleteHtmlSaveFormat) {
            const QDir files(m_dir.filePath(QStringLiteral("saved/complete_files")));
            QVERIFY2(files.exists() && !files.isEmpty(), "the page's picture is saved beside it");
        }

        // Save (no shortcut of its own) saves as well, and replaces an earlier copy.
        QFile::resize(target, 0);
        m_commands->save();
        QVERIFY(notices.wait(15000));
        QVERIFY(readText(target).contains(QStringLiteral("seventeen marbles")));
        QCOMPARE(notices.size(), 2);
    }

    void cancelledSaveWritesNothing()
    {
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        int asked = 0;
        PageCommands::saveQuestion().set([&](QWidget *, const QString &) {
            ++asked;
            return std::optional<PageCommands::SaveTarget>();
        });
        const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
        m_commands->saveAs();
        m_commands->save();
        QCOMPARE(asked, 2);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
    }

    void saveWhereNoFileCanBeSaysSoOnce()
    {
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        // A "folder" that is a file: not even root can write there.
        const QString inFile = pagePath() + QStringLiteral("/page.html");
        QCOMPARE(saveAs(inFile, QWebEngineDownloadRequest::SingleHtmlSaveFormat),
                 QStringLiteral("Save failed: %1 (the folder %2 does not exist)").arg(inFile, pagePath()));
        QVERIFY(readText(pagePath()).contains(QStringLiteral("seventeen marbles")));
        // A folder that does not exist is not made (the engine would make it, or, for a web
        // archive, crash).
        const QString missing = m_dir.filePath(QStringLiteral("sub/none/x.html"));
        QVERIFY(saveAs(missing, QWebEngineDownloadRequest::MimeHtmlSaveFormat).startsWith(QStringLiteral("Save failed: ")));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("sub"))));
    }

    void saveOfAPageThatNeverEndsEndsCleanly()
    {
        LoopbackHttpServer server;
        server.route(QStringLiteral("/endless"), "text/html", "<title>endless</title><p>" + QByteArray(4096, 'x'), {},
                     LoopbackHttpServer::Delivery::Endless);
        m_view->load(server.url(QStringLiteral("/endless")));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->page()->title(), QStringLiteral("endless"), 15000);
        const QString target = m_dir.filePath(QStringLiteral("endless.html"));
        QSignalSpy notices(m_commands, &PageCommands::notice);
        QCOMPARE(saveAs(target, QWebEngineDownloadRequest::SingleHtmlSaveFormat, 1000), QString()); // still saving
        // Another save waits for this one, asking nothing.
        PageCommands::saveQuestion().set([](QWidget *, const QString &) -> std::optional<PageCommands::SaveTarget> {
            throw std::logic_error("asked while saving");
        });
        m_commands->saveAs();
        QCOMPARE(notices.size(), 1);
        QCOMPARE(notices.constLast().constFirst().toString(), QStringLiteral("Still saving ") + target);
        // Leaving the page ends its save, once, with no file left.
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        QTRY_COMPARE(notices.size(), 2);
        QCOMPARE(notices.constLast().constFirst().toString(),
                 QStringLiteral("Save failed: %1 (the page was left before it was saved)").arg(target));
        QTest::qWait(500);
        QCOMPARE(notices.size(), 2);
        QVERIFY(!QFileInfo::exists(target));

        // The view closing in the middle of a save leaves no file either, and says nothing.
        m_view->load(server.url(QStringLiteral("/endless")));
        QTRY_COMPARE_WITH_TIMEOUT(m_view->page()->title(), QStringLiteral("endless"), 15000);
        QCOMPARE(saveAs(target, QWebEngineDownloadRequest::SingleHtmlSaveFormat, 1000), QString());
        delete m_view;
        m_view = nullptr;
        QCOMPARE(notices.size(), 2);
        QVERIFY(!QFileInfo::exists(target));
    }

    void printWritesPdfWithThePagesTextAndLayout()
    {
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        const QString portrait = m_dir.filePath(QStringLiteral("portrait.pdf"));
        Modal::runner().set(printToFile(portrait));
        m_commands->print();
        QVERIFY(pdfTool(QStringLiteral("pdftotext"), portrait).contains(QStringLiteral("seventeen marbles")));
        const QString portraitInfo = pdfTool(QStringLiteral("pdfinfo"), portrait);
        QVERIFY2(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")).match(portraitInfo).hasMatch(),
                 qPrintable(portraitInfo));

        // Page set-up turns the paper (as a person would, in the dialog); the next print follows it.
        Modal::runner().set([](QDialog *dialog) {
            auto *landscape = dialog->findChild<QRadioButton *>(QStringLiteral("landscape"));
            if (!qobject_cast<QPageSetupDialog *>(dialog) || !landscape)
                return int(QDialog::Rejected);
            QTimer::singleShot(0, dialog, [dialog, landscape] {
                landscape->click();
                dialog->accept();
            });
            return dialog->exec(); // the dialog writes the printer when exec() returns accepted
        });
        m_commands->pageSetup();
        QCOMPARE(m_commands->printer()->pageLayout().orientation(), QPageLayout::Landscape);
        const QString landscape = m_dir.filePath(QStringLiteral("landscape.pdf"));
        Modal::runner().set(printToFile(landscape));
        m_commands->print();

        auto pageSize = [](const QString &info) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
            return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
        };
        const QSizeF tall = pageSize(portraitInfo);
        const QSizeF wide = pageSize(pdfTool(QStringLiteral("pdfinfo"), landscape));
        QVERIFY2(tall.height() > tall.width(), qPrintable(portraitInfo));
        QVERIFY(wide.width() > wide.height());
        QVERIFY(qAbs(wide.width() - tall.height()) < 1.0); // the same paper, turned
        QVERIFY(pdfTool(QStringLiteral("pdftotext"), landscape).contains(QStringLiteral("seventeen marbles")));
    }

    void cancelledPrintWritesNothing()
    {
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        const QString pdf = m_dir.filePath(QStringLiteral("cancelled.pdf"));
        Modal::runner().set([pdf](QDialog *dialog) {
            if (auto *print = qobject_cast<QPrintDialog *>(dialog))
                print->printer()->setOutputFileName(pdf);
            return int(QDialog::Rejected);
        });
        m_commands->print();
        QVERIFY(!QFile::exists(pdf));
    }

    void previewShowsThePrintedPage()
    {
        QVERIFY(load(QUrl::fromLocalFile(pagePath())));
        int pages = 0;
        QImage shot;
        Modal::runner().set([&](QDialog *dialog) {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(dialog);
            if (!preview)
                return int(QDialog::Rejected);
            preview->show();
            auto *widget = preview->findChild<QPrintPreviewWidget *>();
            if (!widget)
                return int(QDialog::Rejected);
            QDeadlineTimer deadline(20000);
            while (widget->pageCount() == 0 && !deadline.hasExpired())
                QTest::qWait(50);
            QTest::qWait(200);
            pages = widget->pageCount();
            shot = preview->grab().toImage();
            preview->reject();
            return int(QDialog::Rejected);
        });
        m_commands->printPreview();
        QCOMPARE(pages, 1);
        QVERIFY(!shot.isNull());
        shot.save(QStringLiteral(QUILLON_BINARY_DIR "/print_preview.png"));
        // The page is white paper with dark text on it, not an empty sheet.
        int dark = 0;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                dark += qGray(shot.pixel(x, y)) < 60;
        QVERIFY2(dark > 20, qPrintable(QString::number(dark)));
    }

    void propertiesDescribeThePage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("security");
        QTest::newRow("file") << "file" << "File Protocol" << "Local file";
        QTest::newRow("http") << "http" << "HyperText Transfer Protocol (HTTP)" << "Not encrypted";
        QTest::newRow("built-in") << "qrc" << "Built-in resource" << "Built-in page";
    }

    void propertiesDescribeThePage()
    {
        QFETCH(QString, kind);
        QFETCH(QString, protocol);
        QFETCH(QString, security);
        LoopbackHttpServer server;
        server.route(QStringLiteral("/notes.html"), "text/html; charset=utf-8", kPage);
        QUrl url = QUrl::fromLocalFile(pagePath());
        qint64 expectedSize = kPage.size();
        if (kind == QLatin1String("http")) {
            url = server.url(QStringLiteral("/notes.html"));
        } else if (kind == QLatin1String("qrc")) {
            url = QUrl(QStringLiteral("qrc:/pages/home.html"));
            expectedSize = QFile(QStringLiteral(":/pages/home.html")).size();
        }
        QVERIFY(load(url));

        QHash<QString, QString> shown;
        QString caption;
        Modal::runner().set([&](QDialog *dialog) {
            caption = dialog->windowTitle();
            for (QLabel *label : dialog->findChildren<QLabel *>())
                if (!label->objectName().isEmpty())
                    shown.insert(label->objectName(), label->text());
            if (kind == QLatin1String("file")) {
                dialog->show();
                QTest::qWait(100);
                dialog->grab().save(QStringLiteral(QUILLON_BINARY_DIR "/page_properties.png"));
            }
            return int(QDialog::Accepted);
        });
        m_commands->properties();
        QCOMPARE(caption, QStringLiteral("Properties"));
        QCOMPARE(shown.value(QStringLiteral("title")), m_view->page()->title());
        QCOMPARE(shown.value(QStringLiteral("address")), url.toDisplayString());
        QCOMPARE(shown.value(QStringLiteral("protocol")), protocol);
        QCOMPARE(shown.value(QStringLiteral("type")), QStringLiteral("HTML document"));
        QCOMPARE(shown.value(QStringLiteral("size")), QStringLiteral("%1 bytes").arg(QLocale().toString(expectedSize)));
        QCOMPARE(shown.value(QStringLiteral("security")), security);
    }
};

QUILLON_TEST_MAIN(TestPageCommands)
#include "test_page_commands.moc"
