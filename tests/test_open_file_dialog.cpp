// The open-file dialog: its three lists over a scratch folder, and a file click loading the
// file into the first browser window (scripted engine).

#include "common/paths.h"
#include "browser/browser_window.h"
#include "dialogs/file_lists.h"
#include "dialogs/open_file_dialog.h"
#include "common/failure.h"
#include "support/fake_engine.h"
#include "support/test_main.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/stat.h>

namespace {
void touch(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("<p>page</p>");
}

FakeEngine *engineOf(Browser *window) { return static_cast<FakeEngine *>(window->WebBrowser1); }

// A real double-click: press and release, then press again as a double-click.
void doubleClick(QListWidget *list, QListWidgetItem *item)
{
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text().trimmed();
    return texts;
}
} // namespace

class TestOpenFileDialog : public QObject {
    Q_OBJECT
    QStringList m_uncaught;
    QTemporaryDir m_scratch;
    QString m_folder;
    QString m_startDir;

    openfile *openDialog()
    {
        openfile *dialog = openfile::shared();
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            qWarning("open-file dialog not active");
        return dialog;
    }

    void clickFile(openfile *dialog, const QString &name)
    {
        const auto found = dialog->File1->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QRect place = dialog->File1->visualItemRect(found.first());
        QTest::mouseClick(dialog->File1->viewport(), Qt::LeftButton, {}, place.center());
    }

private Q_SLOTS:
    void initTestCase()
    {
        FakeEngine::install();
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        m_startDir = QDir::currentPath();
        m_folder = QDir(m_scratch.path()).canonicalPath() + QStringLiteral("/site");
        QDir().mkpath(m_folder + QStringLiteral("/sub/deeper"));
        touch(m_folder + QStringLiteral("/b.htm"));
        touch(m_folder + QStringLiteral("/A.html"));
        touch(m_folder + QStringLiteral("/.hidden.htm"));
        touch(m_folder + QStringLiteral("/read-only.txt"));
        QFile::setPermissions(m_folder + QStringLiteral("/read-only.txt"), QFile::ReadOwner);
        touch(m_folder + QStringLiteral("/sub/inner.htm"));
        QVERIFY(mkfifo(QFile::encodeName(m_folder + QStringLiteral("/pipe")).constData(), 0600) == 0);
        QVERIFY(QDir::setCurrent(m_folder));
        BrowserWindows::showFirst();
    }
    void cleanupTestCase() { QDir::setCurrent(m_startDir); }
    void init()
    {
        m_uncaught.clear();
        for (FakeEngine *engine : FakeEngine::all())
            engine->calls.clear();
    }
    void cleanup() { delete openfile::current(); }

    void startsAtTheCurrentFolder()
    {
        openfile *dialog = openDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("File Open"));
        QCOMPARE(dialog->size(), QSize(288, 153));
        QCOMPARE(dialog->Dir1->path(), m_folder);
        QCOMPARE(dialog->File1->path(), m_folder);
        // Normal and read-only files by name; no hidden file, folder or pipe.
        QCOMPARE(itemTexts(dialog->File1),
                 QStringList({"A.html", "b.htm", "read-only.txt"}));
        // The folder list: the path from the root, then the subfolders.
        const QStringList folders = itemTexts(dialog->Dir1);
        QCOMPARE(folders.first(), QStringLiteral("/"));
        QCOMPARE(folders.last(), QStringLiteral("sub"));
        QCOMPARE(folders.at(folders.size() - 2), QStringLiteral("site"));
        QCOMPARE(dialog->Drive1->drive(), QStorageInfo(m_folder).rootPath());
        QVERIFY(dialog->File1->selectedItems().isEmpty());

        // Focus starts on the drive list; Tab goes to the folders, then the files.
        QCOMPARE(QApplication::focusWidget(), dialog->Drive1);
        QTest::keyClick(dialog->Drive1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->Dir1);
        QTest::keyClick(dialog->Dir1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->File1);
        // Reaching the file list opens nothing.
        QVERIFY(engineOf(BrowserWindows::first())->calls.isEmpty());
        QVERIFY(dialog->isVisible());
    }

    void clickingAFileLoadsItInTheFirstWindow()
    {
        auto *second = new Browser;
        second->show();
        engineOf(second)->calls.clear();

        QPointer<openfile> dialog = openDialog();
        clickFile(dialog, QStringLiteral("b.htm"));
        const QString expected = m_folder + QStringLiteral("/b.htm");
        QCOMPARE(BrowserWindows::first()->ComboURL->currentText(), expected);
        QCOMPARE(engineOf(BrowserWindows::first())->calls, QStringList{"Navigate(" + expected + ")"});
        QVERIFY(engineOf(second)->calls.isEmpty());
        QVERIFY(second->ComboURL->currentText().isEmpty());
        QVERIFY(!dialog->isVisible());
        second->close();
    }

    void arrowKeysOpenTheFileMovedTo()
    {
        openfile *dialog = openDialog();
        dialog->File1->setFocus();
        QTest::keyClick(dialog->File1, Qt::Key_Down);
        QVERIFY(!dialog->isVisible());
        const QStringList calls = engineOf(BrowserWindows::first())->calls;
        QCOMPARE(calls.size(), 1);
        QVERIFY(calls.first().startsWith("Navigate(" + m_folder + "/"));
    }

    void openingAFolderMovesTheFileList()
    {
        openfile *dialog = openDialog();
        const auto sub = dialog->Dir1->findItems(QStringLiteral("sub"), Qt::MatchEndsWith);
        QCOMPARE(sub.size(), 1);
        doubleClick(dialog->Dir1, sub.first());
        QCOMPARE(dialog->Dir1->path(), m_folder + QStringLiteral("/sub"));
        QCOMPARE(itemTexts(dialog->File1), QStringList{"inner.htm"});
        QCOMPARE(itemTexts(dialog->Dir1).last(), QStringLiteral("deeper"));

        // Enter on an ancestor goes back up.
        const auto up = dialog->Dir1->findItems(QStringLiteral("site"), Qt::MatchEndsWith);
        dialog->Dir1->setCurrentItem(up.first());
        QTest::keyClick(dialog->Dir1, Qt::Key_Return);
        QCOMPARE(dialog->File1->path(), m_folder);
        QVERIFY(dialog->isVisible());

        // A file in the subfolder joins with one separator.
        dialog->Dir1->setPath(m_folder + QStringLiteral("/sub"));
        clickFile(dialog, QStringLiteral("inner.htm"));
        QCOMPARE(BrowserWindows::first()->ComboURL->currentText(), m_folder + QStringLiteral("/sub/inner.htm"));
    }

    void joiningNeverDoublesTheSeparator()
    {
        QCOMPARE(Paths::join(QStringLiteral("/"), QStringLiteral("x.htm")), QStringLiteral("/x.htm"));
        QCOMPARE(Paths::join(QStringLiteral("/srv/www"), QStringLiteral("x.htm")),
                 QStringLiteral("/srv/www/x.htm"));
    }

    void choosingADriveMovesBothLists()
    {
        openfile *dialog = openDialog();
        // A stand-in drive whose root is the scratch folder's subfolder.
        const QString root = m_folder + QStringLiteral("/sub");
        dialog->Drive1->addItem(QStringLiteral("scratch"), root);
        dialog->Drive1->setCurrentIndex(dialog->Drive1->count() - 1);
        QCOMPARE(dialog->Dir1->path(), root);
        QCOMPARE(dialog->File1->path(), root);
        QCOMPARE(itemTexts(dialog->File1), QStringList{"inner.htm"});
        QVERIFY(m_uncaught.isEmpty());
    }

    void unreadableDriveOrFolderReportsAndStaysUsable()
    {
        openfile *dialog = openDialog();
        dialog->Drive1->addItem(QStringLiteral("gone"), m_folder + QStringLiteral("/no-such-drive"));
        dialog->Drive1->setCurrentIndex(dialog->Drive1->count() - 1);
        QCOMPARE(m_uncaught.size(), 1);
        QCOMPARE(dialog->Dir1->path(), m_folder);

        // A folder removed after it was listed.
        const QString doomed = m_folder + QStringLiteral("/doomed");
        QVERIFY(QDir().mkdir(doomed));
        dialog->Dir1->setPath(m_folder + QStringLiteral("/sub"));
        dialog->Dir1->setPath(m_folder);
        QVERIFY(QDir().rmdir(doomed));
        const auto item = dialog->Dir1->findItems(QStringLiteral("doomed"), Qt::MatchEndsWith);
        QCOMPARE(item.size(), 1);
        doubleClick(dialog->Dir1, item.first());
        QCOMPARE(m_uncaught.size(), 2);
        QCOMPARE(dialog->Dir1->path(), m_folder);

        // The folder change handler stops at a folder that has gone, leaving the error to
        // the uncaught-error handler rather than swallowing it.
        QVERIFY(QDir().mkdir(doomed));
        dialog->Dir1->setPath(doomed);
        QVERIFY(QDir().rmdir(doomed));
        QVERIFY_THROWS_EXCEPTION(PlatformError, dialog->Dir1_Change());

        dialog->Dir1->setPath(m_folder);
        clickFile(dialog, QStringLiteral("A.html"));
        QCOMPARE(BrowserWindows::first()->ComboURL->currentText(), m_folder + QStringLiteral("/A.html"));
    }

    void failingStepsAreSkipped()
    {
        FakeEngine *engine = engineOf(BrowserWindows::first());
        engine->failing.insert(QStringLiteral("Navigate"));
        QPointer<openfile> dialog = openDialog();
        clickFile(dialog, QStringLiteral("b.htm"));
        engine->failing.clear();
        QCOMPARE(engine->calls.size(), 1);
        QVERIFY(!dialog->isVisible()); // closed all the same, without a message
        QVERIFY(m_uncaught.isEmpty());
    }

    void closeBoxChangesNothing()
    {
        BrowserWindows::first()->ComboURL->setEditText(QStringLiteral("http://kept.example/"));
        QTimer::singleShot(0, this, [] { openfile::current()->close(); });
        openfile::showShared();
        QVERIFY(!openfile::current());
        QCOMPARE(BrowserWindows::first()->ComboURL->currentText(), QStringLiteral("http://kept.example/"));
        QVERIFY(engineOf(BrowserWindows::first())->calls.isEmpty());
    }

    void bringsBackAClosedFirstWindow()
    {
        BrowserWindows::first()->close();
        QTRY_VERIFY(!BrowserWindows::first());
        QTimer::singleShot(0, this, [this] { clickFile(openfile::current(), QStringLiteral("b.htm")); });
        openfile::showShared();
        QVERIFY(BrowserWindows::first());
        QVERIFY(BrowserWindows::first()->isVisible());
        QVERIFY(engineOf(BrowserWindows::first())->calls.contains("Navigate(" + m_folder + "/b.htm)"));
    }
};

QUILLON_TEST_MAIN(TestOpenFileDialog)
#include "test_open_file_dialog.moc"
