// The find dialog on the first browser window's real address box (scripted engine).

#include "browser/browser_window.h"
#include "dialogs/find_dialog.h"
#include "common/failure.h"
#include "support/fake_engine.h"
#include "support/test_main.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

class TestFindDialog : public QObject {
    Q_OBJECT
    QStringList m_uncaught;

    static QLineEdit *firstAddress() { return BrowserWindows::firstOrCreate()->ComboURL->lineEdit(); }
    // The first window's engine, its calls forgotten.
    static FakeEngine *firstEngine()
    {
        auto *engine = static_cast<FakeEngine *>(BrowserWindows::firstOrCreate()->WebBrowser1);
        engine->calls.clear();
        return engine;
    }

    static Find1 *openDialog()
    {
        Find1 *find = Find1::shared();
        find->show();
        find->activateWindow();
        if (!QTest::qWaitForWindowActive(find))
            qWarning("find dialog not active");
        return find;
    }

private Q_SLOTS:
    void initTestCase()
    {
        FakeEngine::install();
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        BrowserWindows::showFirst();
    }
    void init() { m_uncaught.clear(); }
    void cleanup()
    {
        delete Find1::current();
        QVERIFY(m_uncaught.isEmpty());
    }

    void design()
    {
        Find1 *find = openDialog();
        QCOMPARE(find->windowTitle(), QStringLiteral("Find"));
        QCOMPARE(find->size(), QSize(383, 96));
        QVERIFY(find->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(find->windowFlags() & Qt::WindowMaximizeButtonHint);
        QCOMPARE(find->Find->geometry(), QRect(72, 56, 57, 25));
        QCOMPARE(find->Label1->text(), QStringLiteral("Find"));
        QVERIFY(find->Label1->font().italic() && find->Label1->font().bold());
        QCOMPARE(find->Label1->font().pointSizeF(), 14.25);
        QVERIFY(!find->Findnext->isEnabled());
        QVERIFY(find->Find->isEnabled());
        QVERIFY(find->Text1->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), find->Text1);

        // Tab order: the text, Find, Cancel (Find Next is still disabled).
        QTest::keyClick(find->Text1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), find->Find);
        QTest::keyClick(find->Find, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), find->Cancel);
    }

    void enterAndEscapePressNothing()
    {
        Find1 *find = openDialog();
        firstAddress()->setText(QStringLiteral("abc"));
        find->Text1->setText(QStringLiteral("b"));
        QSignalSpy findClicks(find->Find, &QPushButton::clicked);
        QSignalSpy cancelClicks(find->Cancel, &QPushButton::clicked);
        for (QWidget *focus : {static_cast<QWidget *>(find->Text1), static_cast<QWidget *>(find->Find),
                               static_cast<QWidget *>(find->Cancel)}) {
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
            QTest::keyClick(focus, Qt::Key_Escape);
        }
        QCOMPARE(findClicks.count(), 0);
        QCOMPARE(cancelClicks.count(), 0);
        QVERIFY(find->isVisible());
        // Space still presses the focused button.
        find->Find->setFocus();
        QTest::keyClick(find->Find, Qt::Key_Space);
        QCOMPARE(findClicks.count(), 1);
    }

    void findAndFindNextSelectInTheAddressBoxAndFindOnThePage()
    {
        Find1 *find = openDialog();
        QLineEdit *address = firstAddress();
        FakeEngine *page = firstEngine();
        address->setText(QStringLiteral("abcabc"));
        find->Text1->setText(QStringLiteral("BC"));

        QTest::mouseClick(find->Find, Qt::LeftButton);
        QCOMPARE(address->selectionStart(), 1);
        QCOMPARE(address->selectedText(), QStringLiteral("bc"));
        QCOMPARE(find->ResumePos, 2);
        QVERIFY(!find->Find->isEnabled());
        QVERIFY(find->Findnext->isEnabled());
        QCOMPARE(page->calls, QStringList({"FindOnPage(BC)"}));

        QTest::mouseClick(find->Findnext, Qt::LeftButton);
        QCOMPARE(address->selectionStart(), 4);
        QCOMPARE(address->selectedText(), QStringLiteral("bc"));

        QTest::mouseClick(find->Findnext, Qt::LeftButton);
        QCOMPARE(find->ResumePos, 5);
        QVERIFY(!address->hasSelectedText());
        QCOMPARE(address->cursorPosition(), 6);
        QVERIFY(find->Findnext->isEnabled());
        QCOMPARE(page->calls, QStringList({"FindOnPage(BC)", "FindNextOnPage(BC)", "FindNextOnPage(BC)"}));

        // Closing the dialog takes the marks off the page.
        QTest::mouseClick(find->Cancel, Qt::LeftButton);
        QTRY_VERIFY(!Find1::current());
        QCOMPARE(page->calls.constLast(), QStringLiteral("ClearFindOnPage"));
    }

    void notFoundAndEmptySearchText()
    {
        Find1 *find = openDialog();
        QLineEdit *address = firstAddress();
        address->setText(QStringLiteral("http://example.com/"));
        find->Text1->setText(QStringLiteral("zzz"));
        find->Find_Click();
        QVERIFY(!address->hasSelectedText());
        QCOMPARE(address->cursorPosition(), 19);
        QVERIFY(find->Find->isEnabled());
        QVERIFY(!find->Findnext->isEnabled());

        find->Text1->clear();
        find->Find_Click();
        QCOMPARE(address->cursorPosition(), 0);
        QVERIFY(!find->Find->isEnabled());
        QVERIFY(find->Findnext->isEnabled());

        // A page that cannot be searched is reported once; unloading still goes quietly.
        FakeEngine *page = firstEngine();
        page->failing << QStringLiteral("Find");
        QTest::mouseClick(find->Findnext, Qt::LeftButton);
        QCOMPARE(m_uncaught.size(), 1);
        delete find;
        page->failing.clear();
        m_uncaught.clear();
    }

    void searchesTheFirstWindowFromAnyWindow()
    {
        auto *second = new Browser;
        second->show();
        second->ComboURL->lineEdit()->setText(QStringLiteral("second window"));
        firstAddress()->setText(QStringLiteral("first window"));
        QVERIFY(BrowserWindows::first() != second);

        Find1 *find = openDialog();
        find->Text1->setText(QStringLiteral("WINDOW"));
        find->Find_Click();
        QCOMPARE(firstAddress()->selectionStart(), 6);
        QVERIFY(!second->ComboURL->lineEdit()->hasSelectedText());
        second->close();
    }

    void bringsBackAClosedFirstWindow()
    {
        QPointer<Browser> old = BrowserWindows::first();
        QVERIFY(old);
        old->close();
        QTRY_VERIFY(!BrowserWindows::first());

        Find1 *find = openDialog();
        find->Text1->setText(QStringLiteral("x"));
        find->Find_Click();
        QVERIFY(BrowserWindows::first());
        QVERIFY(BrowserWindows::first()->isVisible());
    }

    void longestAddress()
    {
        // The address box holds up to 32,767 characters; the search steps one past the end.
        QLineEdit *address = firstAddress();
        QString text(address->maxLength(), QLatin1Char('a'));
        text.replace(text.size() - 3, 3, QStringLiteral("END"));
        address->setText(text);
        QCOMPARE(address->text().size(), text.size());

        Find1 *find = openDialog();
        find->Text1->setText(QStringLiteral("end"));
        QElapsedTimer timer;
        timer.start();
        find->Find_Click();
        QCOMPARE(address->selectionStart(), int(text.size()) - 3);
        find->Findnext_Click();
        qInfo("Find and Find Next over %lld characters in the address box: %lld ms",
              qint64(text.size()), timer.elapsed());
        QCOMPARE(find->ResumePos, int(text.size()) - 2);
        QCOMPARE(address->cursorPosition(), int(text.size()));
    }

    void cancelUnloadsAndTheNextOpeningStartsFresh()
    {
        firstAddress()->setText(QStringLiteral("abc"));
        QPointer<Find1> seen;
        QTimer::singleShot(0, this, [&seen] {
            seen = Find1::current();
            seen->Text1->setText(QStringLiteral("b"));
            QTest::mouseClick(seen->Find, Qt::LeftButton);
            QTest::mouseClick(seen->Cancel, Qt::LeftButton);
        });
        Find1::showShared();
        QVERIFY(seen.isNull());
        QVERIFY(!Find1::current());

        Find1 *again = Find1::shared();
        QVERIFY(again->Text1->text().isEmpty());
        QVERIFY(again->Find->isEnabled());
        QVERIFY(!again->Findnext->isEnabled());

        // The close box unloads it as well.
        QTimer::singleShot(0, this, [] { Find1::current()->close(); });
        Find1::showShared();
        QVERIFY(!Find1::current());
    }
};

QUILLON_TEST_MAIN(TestFindDialog)
#include "test_find_dialog.moc"
