// The engine's sandbox: on for an ordinary user (its renderers run under seccomp), off
// only for root, and then said once on the error output.

#include "support/test_main.h"

#include <QProcess>
#include <QRegularExpression>
#include <unistd.h>

class TestSandbox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ordinaryUserKeepsTheSandbox()
    {
        if (geteuid() != 0)
            QSKIP("needs root to start the browser as another user");
        QProcess check;
        check.start(QStringLiteral("bash"), {QStringLiteral(QUILLON_SOURCE_DIR "/tests/sandbox_check.sh"),
                                             QStringLiteral(QUILLON_BINARY_DIR "/quillon"),
                                             QStringLiteral("nobody")});
        QVERIFY(check.waitForFinished(60000));
        const QString report = QString::fromUtf8(check.readAllStandardOutput());
        qInfo("%s", qPrintable(report));
        // A renderer (a fork of the zygote) runs in seccomp filter mode.
        const QStringList helpers = report.split('\n').filter(QStringLiteral("--type="));
        QVERIFY2(!helpers.filter(QRegularExpression(QStringLiteral("^\\d+ 2 "))).isEmpty(), qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("stderr: 0"))); // no word about a sandbox being off
    }

    void rootTurnsItOffAndSaysSo()
    {
        if (geteuid() != 0)
            QSKIP("only root runs without the sandbox");
        QVERIFY(qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"));
        QProcess program;
        program.start(QStringLiteral(QUILLON_BINARY_DIR "/quillon"), {});
        QVERIFY(program.waitForStarted());
        QTest::qWait(500);
        program.kill();
        program.waitForFinished();
        const QStringList lines = QString::fromUtf8(program.readAllStandardError()).split('\n');
        QCOMPARE(lines.filter(QStringLiteral("quillon: running as root, so the web engine's sandbox is off")).size(), 1);
    }
};

QUILLON_TEST_MAIN(TestSandbox)
#include "test_sandbox.moc"
