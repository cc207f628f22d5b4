// The usual browser keys, on a scripted engine: each runs what its toolbar button runs, only
// while the button is enabled; the address keys select the address; zoom is per window.

#include "browser/browser_keys.h"
#include "browser/browser_window.h"
#include "common/failure.h"
#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

class TestBrowserKeys : public QObject {
    Q_OBJECT
    Browser *window = nullptr;
    FakeEngine *engine = nullptr;
    QStringList m_uncaught;

    // Presses keys in the page area, where the focus is when a window opens.
    QStringList callsOf(QKeyCombination key)
    {
        engine->calls.clear();
        QTest::keyClick(window->WebBrowser1->control(), key.key(), key.keyboardModifiers());
        return engine->calls;
    }

private Q_SLOTS:
    void initTestCase()
    {
        FakeEngine::install();
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
    }
    void init()
    {
        m_uncaught.clear();
        window = new Browser;
        engine = FakeEngine::all().last();
        window->show();
        window->activateWindow(); // no window manager on the test display
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->WebBrowser1->control()->setFocus();
    }
    void cleanup()
    {
        deleteAllBrowsers();
        QVERIFY(m_uncaught.isEmpty());
    }

    void keysPressTheirToolbarButtons()
    {
        // Back and Stop are disabled until the first Go: their keys do nothing either.
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Left), QStringList());
        QCOMPARE(callsOf(Qt::Key_Escape), QStringList());
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Right), QStringList({"GoForward"}));
        QCOMPARE(callsOf(Qt::Key_F5), QStringList({"ExecWB(22,0)"}));
        QCOMPARE(callsOf(Qt::CTRL | Qt::Key_R), QStringList({"ExecWB(22,0)"}));
        window->Go_Click();
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Left), QStringList({"GoBack"}));
        QCOMPARE(callsOf(Qt::Key_Escape), QStringList({"Stop"}));
        // The buttons' policy holds: nothing to go back to is no message.
        engine->failing << QStringLiteral("GoBack");
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Left), QStringList({"GoBack"}));
        QVERIFY(m_uncaught.isEmpty());
        // Existing shortcuts keep their meaning.
        QCOMPARE(callsOf(Qt::CTRL | Qt::Key_A), QStringList({"ExecWB(17,0)"}));
    }

    void addressKeysSelectTheAddress()
    {
        window->ComboURL->setEditText(QStringLiteral("http://example.com/"));
        for (QKeyCombination key : {Qt::CTRL | Qt::Key_L, Qt::ALT | Qt::Key_D, QKeyCombination(Qt::Key_F6)}) {
            window->WebBrowser1->control()->setFocus();
            QTest::keyClick(window->WebBrowser1->control(), key.key(), key.keyboardModifiers());
            QTRY_VERIFY(window->ComboURL->lineEdit()->hasFocus());
            QCOMPARE(window->ComboURL->lineEdit()->selectedText(), QStringLiteral("http://example.com/"));
            QVERIFY(window->Paste->isEnabled()); // the address box's focus handler ran
        }
    }

    void zoomKeysZoomOnlyTheirWindow()
    {
        auto *other = new Browser;
        other->show();
        other->activateWindow();
        FakeEngine *otherEngine = FakeEngine::all().last();
        QVERIFY(QTest::qWaitForWindowActive(other));
        QTest::keyClick(other->WebBrowser1->control(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(otherEngine->zoomFactor(), 0.9);

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QList<std::pair<QKeyCombination, double>> steps = {
            {Qt::CTRL | Qt::Key_Equal, 1.1}, {Qt::CTRL | Qt::Key_Plus, 1.25},
            {Qt::CTRL | Qt::Key_Minus, 1.1}, {Qt::CTRL | Qt::Key_0, 1.0}, {Qt::CTRL | Qt::Key_Minus, 0.9}};
        for (const auto &[key, factor] : steps) {
            QTest::keyClick(window->WebBrowser1->control(), key.key(), key.keyboardModifiers());
            QCOMPARE(engine->zoomFactor(), factor);
        }
        QCOMPARE(otherEngine->calls.filter(QStringLiteral("Zoom")), QStringList({"Zoom=0.9"}));
        // The ends hold.
        QCOMPARE(BrowserKeys::zoomedIn(5.0), 5.0);
        QCOMPARE(BrowserKeys::zoomedOut(0.25), 0.25);
        QCOMPARE(BrowserKeys::zoomedIn(1.03), 1.1);
    }
};

QUILLON_TEST_MAIN(TestBrowserKeys)
#include "test_browser_keys.moc"
