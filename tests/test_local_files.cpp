// A page opened from a local file shows its own pictures and styles, but its scripts
// cannot read other local files.

#include "browser/browser_window.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>

namespace {
void write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}
} // namespace

class TestLocalFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void localPageSeesItsOwnFilesOnly()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        write(elsewhere.filePath("secret.txt"), "top secret");
        write(dir.filePath("style.css"), "body { background: rgb(1, 2, 3); }");
        // A 1 x 1 GIF.
        write(dir.filePath("dot.gif"), QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///ywAAAAAAQABAAACAUwAOw=="));
        write(dir.filePath("page.html"),
              "<html><head><link rel=stylesheet href='style.css'><title>start</title></head><body>"
              "<img id=i src='dot.gif'><script>"
              "const secret = \"" + QUrl::fromLocalFile(elsewhere.filePath("secret.txt")).toEncoded() + "\";"
              "window.onload = () => {"
              "  const style = getComputedStyle(document.body).backgroundColor;"
              "  const image = document.getElementById('i').naturalWidth;"
              "  let xhr = 'blocked';"
              "  try { const r = new XMLHttpRequest(); r.open('GET', secret, false); r.send();"
              "        if (r.responseText.length) xhr = 'read'; } catch (e) {}"
              "  fetch(secret).then(r => r.text()).then(() => 'read', () => 'blocked')"
              "    .then(f => { document.title = [style, image, xhr, f].join('|'); });"
              "};</script></body></html>");

        auto *window = new Browser;
        window->show();
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        QVERIFY(done.wait(15000));
        window->ComboURL->setEditText(dir.filePath("page.html"));
        window->Go_Click();
        QTRY_VERIFY2_WITH_TIMEOUT(window->windowTitle().contains('|'),
                                  qPrintable(window->windowTitle() + ' ' + window->WebBrowser1->LocationURL()), 10000);
        QCOMPARE(window->windowTitle().section(QStringLiteral("   --"), 0, 0),
                 QStringLiteral("rgb(1, 2, 3)|1|blocked|blocked"));
        deleteAllBrowsers();
    }
};

QUILLON_TEST_MAIN(TestLocalFiles)
#include "test_local_files.moc"
