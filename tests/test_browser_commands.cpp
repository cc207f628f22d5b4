// The menu commands on a scripted engine: which engine member each reaches, the focus
// tests of the Edit menu, the shortcuts in the address box and the failure policies.

#include "browser/browser_window.h"
#include "common/failure.h"
#include "common/message_box.h"
#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

class TestBrowserCommands : public QObject {
    Q_OBJECT
    Browser *window = nullptr;
    FakeEngine *engine = nullptr;
    QStringList m_uncaught;
    QStringList m_messages;

    void focusAddressBoxWith(const QString &text)
    {
        window->activateWindow();
        window->ComboURL->setFocus();
        QTRY_VERIFY(window->ComboURL->hasFocus());
        window->ComboURL->setEditText(text);
    }
    void focusPage()
    {
        window->WebBrowser1->control()->setFocus();
        QTRY_VERIFY(window->WebBrowser1->control()->hasFocus());
    }

private Q_SLOTS:
    void initTestCase()
    {
        FakeEngine::install();
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        MessageBox::sink().set([this](const QString &m) { m_messages.append(m); });
    }
    void init()
    {
        m_uncaught.clear();
        m_messages.clear();
        window = new Browser;
        engine = FakeEngine::all().last();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        engine->calls.clear();
    }
    void cleanup() { deleteAllBrowsers(); }

    void pageCommandsReachTheEngineWithTheirIds()
    {
        for (QAction *item : {window->Save, window->SaveAs, window->pagesetup, window->print,
                              window->printpreview, window->properties, window->Refreshbrw, window->Stopbrw,
                              window->offline, window->offline})
            item->trigger();
        QCOMPARE(engine->calls, QStringList({"ExecWB(3,0)", "ExecWB(4,0)", "ExecWB(8,0)", "ExecWB(6,0)",
                                             "ExecWB(7,0)", "ExecWB(10,0)", "ExecWB(22,0)", "Stop",
                                             "Offline=true", "Offline=true"}));
        QVERIFY(m_uncaught.isEmpty() && m_messages.isEmpty());
    }

    void failurePoliciesOfTheFileMenu()
    {
        engine->failing = {"ExecWB"};
        for (QAction *item : {window->Save, window->pagesetup, window->print, window->printpreview,
                              window->properties})
            item->trigger();
        QVERIFY(m_uncaught.isEmpty()); // these ignore failures
        window->SaveAs->trigger();
        window->Refreshbrw->trigger();
        QCOMPARE(m_uncaught.size(), 2); // these do not, and the program goes on
        QVERIFY(window->isVisible());
    }

    void newOpensAnIndependentWindowAndExitClosesOnlyItsOwn()
    {
        Browser *first = BrowserWindows::showFirst();
        const int before = BrowserWindows::count();
        first->New->trigger();
        QCOMPARE(BrowserWindows::count(), before + 1);
        auto *created = qobject_cast<Browser *>(FakeEngine::all().last()->control()->window());
        QVERIFY(created && created != first && created->isVisible());
        QCOMPARE(FakeEngine::all().last()->calls, QStringList({"RegisterAsBrowser=true", "GoHome"}));
        QCOMPARE(BrowserWindows::first(), first);
        QPointer<Browser> guard(created);
        created->Exit->trigger();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(first->isVisible());
    }

    void clipboardCommandsFollowTheFocus()
    {
        QClipboard *clipboard = QApplication::clipboard();
        focusAddressBoxWith(QStringLiteral("http://example.test/"));
        window->ComboURL->lineEdit()->setSelection(7, 7);
        window->Copy->trigger();
        QCOMPARE(clipboard->text(), QStringLiteral("example"));
        window->Cut->trigger();
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("http://.test/"));
        clipboard->setText(QStringLiteral("sample"));
        window->Paste->trigger();
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("http://sample.test/"));
        QVERIFY(engine->calls.isEmpty());

        focusPage();
        window->Copy->trigger();
        window->Paste->trigger();
        window->Cut->trigger(); // no page branch
        QCOMPARE(engine->calls, QStringList({"ExecWB(12,0)", "ExecWB(13,0)"}));

        engine->calls.clear();
        window->Go->setFocus();
        QTRY_VERIFY(window->Go->hasFocus());
        clipboard->setText(QStringLiteral("unchanged"));
        for (QAction *item : {window->Cut, window->Copy, window->Paste, window->selectall})
            item->trigger();
        QVERIFY(engine->calls.isEmpty());
        QCOMPARE(clipboard->text(), QStringLiteral("unchanged"));
    }

    void pasteWithoutTextDeletesTheSelection()
    {
        focusAddressBoxWith(QStringLiteral("abcdef"));
        QApplication::clipboard()->clear();
        window->ComboURL->lineEdit()->setSelection(1, 3);
        window->Paste->trigger();
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("aef"));
    }

    void selectAllInThePageDisablesCutUntilTheAddressBoxIsFocused()
    {
        focusPage();
        window->selectall->trigger();
        QVERIFY(!window->Cut->isEnabled());
        QCOMPARE(engine->calls, QStringList({"ExecWB(17,0)"}));
        focusAddressBoxWith(QString());
        QVERIFY(window->Cut->isEnabled());
        QVERIFY(window->Paste->isEnabled());
    }

    void editShortcutsInTheAddressBoxRunTheCommands()
    {
        focusAddressBoxWith(QStringLiteral("one two"));
        QLineEdit *edit = window->ComboURL->lineEdit();
        edit->setSelection(0, 4);
        QTest::keyClick(window->ComboURL, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one "));
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("two"));
        // Ctrl+A only gives the address box the focus: the command selects nothing itself.
        edit->deselect();
        QTest::keyClick(window->ComboURL, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!edit->hasSelectedText());
        edit->setSelection(0, 3);
        QTest::keyClick(window->ComboURL, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("two"));
        edit->setCursorPosition(3);
        QTest::keyClick(window->ComboURL, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("twotwo"));
    }

    void favouritesAndOptionsShowTheirMessagesEveryTime()
    {
        window->atf->trigger();
        window->atf->trigger();
        window->ioptions->trigger();
        QCOMPARE(m_messages,
                 QStringList({"There Are No Favourites Available At Present",
                              "There Are No Favourites Available At Present",
                              "Please Open Internet Explorer , Click Tools Menu And Change The Internet "
                              "Options There"}));
    }
};

QUILLON_TEST_MAIN(TestBrowserCommands)
#include "test_browser_commands.moc"
