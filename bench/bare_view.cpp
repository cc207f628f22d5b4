// The floor of the benchmark: the least any Qt WebEngine browser can cost. One
// QWebEngineView in a window, loading the page named on the command line; the window
// caption follows the page title so the harness can see the load through X.
//
// Lines on standard input drive it the way a user drives a browser:
//   new          opens one more window on the same page (a browser's second view)
//   load <url>   loads an address in the newest window (a typed address + Enter)
// Optional: --size WxH gives the windows that size (the harness passes the browser's).

#include <QApplication>
#include <QSocketNotifier>
#include <QUrl>
#include <QWebEngineView>
#include <cstdio>
#include <unistd.h>

namespace {

QSize windowSize(800, 600);
QUrl startPage;
QWebEngineView *newest = nullptr;

void openView()
{
    auto *view = new QWebEngineView;
    view->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(view, &QWebEngineView::titleChanged, view, &QWidget::setWindowTitle);
    view->resize(windowSize);
    view->load(startPage);
    view->show();
    newest = view;
    QObject::connect(view, &QObject::destroyed, [view] {
        if (newest == view)
            newest = nullptr;
    });
}

void runCommand(const QByteArray &line)
{
    if (line == "new")
        openView();
    else if (line.startsWith("load ") && newest)
        newest->load(QUrl::fromUserInput(QString::fromLocal8Bit(line.mid(5))));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList wh = args[++i].split(QLatin1Char('x'));
            if (wh.size() == 2)
                windowSize = QSize(wh[0].toInt(), wh[1].toInt());
        } else {
            startPage = QUrl::fromUserInput(args[i]);
        }
    }
    if (startPage.isEmpty()) {
        std::fputs("usage: bare_view [--size WxH] <page>\n", stderr);
        return 2;
    }
    openView();

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false); // the harness let go of us; keep showing the page
            return;
        }
        pending.append(buffer, n);
        for (int end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
            runCommand(pending.left(end).trimmed());
    });
    return QApplication::exec();
}
