// The real program read from outside, as a screen reader reads it: tests/atspi_check.py walks
// its AT-SPI tree and drives it by keyboard, on a display and session bus of its own (so no
// other test's windows take the keyboard focus). Each group of its checks is one row here.

#include "support/test_main.h"

#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void group_data();
    void group();

private:
    QStringList m_lines;
};

void AccessibilityTest::initTestCase()
{
    const QString program = QStringLiteral(QUILLON_BINARY_DIR "/quillon");
    QVERIFY2(QFileInfo(program).isExecutable(), "build the quillon target first");
    for (const char *tool : {"Xvfb", "dbus-run-session", "xdotool"})
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(), tool);
    QVERIFY2(QFileInfo::exists(QStringLiteral("/usr/lib/python3/dist-packages/pyatspi")),
             "python3-pyatspi is not installed");

    // The display is picked by the X server itself, which takes the first free one as it opens
    // it: xvfb-run -a guesses a free number first, and another program started beside this one
    // (another test, another build's tests) can take that number in between.
    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                        QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QVERIFY(xvfb.waitForStarted());
    const auto stopXvfb = qScopeGuard([&xvfb] {
        xvfb.terminate();
        xvfb.waitForFinished(10000);
    });
    QVERIFY2(QTest::qWaitFor([&xvfb] { return xvfb.canReadLine() || xvfb.state() == QProcess::NotRunning; }, 30000)
                 && xvfb.canReadLine(),
             "Xvfb did not start");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(xvfb.readLine().trimmed()));
    environment.remove(QStringLiteral("XAUTHORITY")); // the server takes local clients without one

    QProcess check;
    check.setProcessChannelMode(QProcess::SeparateChannels);
    check.setProcessEnvironment(environment);
    // Debian's python3, which has pyatspi, whatever python3 comes first on the PATH.
    check.start(QStringLiteral("dbus-run-session"),
                {QStringLiteral("--"), QStringLiteral("/usr/bin/python3"),
                 QStringLiteral(QUILLON_SOURCE_DIR "/tests/atspi_check.py"), program});
    QVERIFY(check.waitForStarted());
    QVERIFY2(check.waitForFinished(240000), "the AT-SPI check did not finish in 4 minutes");
    const QString out = QString::fromUtf8(check.readAllStandardOutput());
    m_lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : std::as_const(m_lines))
        qInfo().noquote() << "atspi:" << line;
    QVERIFY2(!m_lines.filter(QStringLiteral(" passed, ")).isEmpty(),
             qPrintable(QStringLiteral("the check stopped early:\n")
                        + QString::fromUtf8(check.readAllStandardError()).right(2000)));
}

void AccessibilityTest::group_data()
{
    QTest::addColumn<QString>("name");
    // The browser window and its parts, each window the keyboard opens, a page and the question
    // it asks, and no window beyond these.
    for (const char *name : {"window", "controls", "menus", "status", "tab order", "message",
                             "about dialog", "find dialog", "open-file dialog", "page content",
                             "question bar", "page dialog", "top levels"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void AccessibilityTest::group()
{
    QFETCH(QString, name);
    const QString prefix = name + QLatin1Char(':');
    QStringList passed, failed;
    for (const QString &line : std::as_const(m_lines)) {
        if (line.startsWith(QStringLiteral("PASS ") + prefix))
            passed << line;
        else if (line.startsWith(QStringLiteral("FAIL ") + prefix))
            failed << line;
    }
    QVERIFY2(failed.isEmpty(), qPrintable(failed.join(QLatin1Char('\n'))));
    QVERIFY2(!passed.isEmpty(), "no check of this group ran");
}

QUILLON_TEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
