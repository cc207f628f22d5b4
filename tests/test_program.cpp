// The whole program as a user starts it: splash, first window, home page, and the end of
// the process when its last window closes. Driven from outside through X, like a person.

#include "support/test_main.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

namespace {
// Runs xdotool and returns its output, trimmed.
QString xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished(10000);
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// A visible window of that process (other tests share the display) whose title matches.
QString windowWithTitle(qint64 pid, const QString &pattern)
{
    return xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(pid), "--name", pattern})
        .section(QLatin1Char('\n'), 0, 0);
}
} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsShowsTheHomePageAndEndsWithItsLastWindow()
    {
        QProcess program;
        QElapsedTimer clock;
        clock.start();
        program.start(QStringLiteral(QUILLON_BINARY_DIR "/quillon"), {});
        QVERIFY(program.waitForStarted());

        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(!(window = windowWithTitle(program.processId(), "Quillon 's Browser")).isEmpty(), 10000);
        const qint64 firstWindow = clock.elapsed();
        QVERIFY2(firstWindow >= 1450, qPrintable(QString::number(firstWindow)));
        // The caption turns into the home page's title followed by the program's name.
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(program.processId(), ".+   --  Quillon 's Browser").isEmpty(), 15000);
        qInfo("start to first window %lld ms, to home page %lld ms", firstWindow, clock.elapsed());

        // Exit's shortcut on the only window closes it, and with it the program.
        xdotool({"windowfocus", "--sync", window});
        xdotool({"key", "--clearmodifiers", "ctrl+shift+F12"});
        QElapsedTimer closing;
        closing.start();
        QVERIFY(program.waitForFinished(5000));
        qInfo("window closed to process end %lld ms", closing.elapsed());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        // Nothing on the terminal in normal use beyond the engine's root-only sandbox notes.
        const QStringList noise = QString::fromUtf8(program.readAllStandardError()).split('\n', Qt::SkipEmptyParts)
                                      .filter(QRegularExpression("^(?!quillon: running as root"
                                                                 "|QStandardPaths: XDG_RUNTIME_DIR)"));
        QVERIFY2(noise.isEmpty(), qPrintable(noise.join('\n')));
    }
};

QUILLON_TEST_MAIN(TestProgram)
#include "test_program.moc"
