// The windows at a scale factor of 2: the same design, twice the pixels, sharp text and toolbar
// pictures no blurrier than their 20 x 20 sources. This process renders every window at 1x;
// a copy of it started with QT_SCALE_FACTOR=2 renders them at 2x. The screenshots are kept in
// the build folder's hidpi/ for a person to compare.

#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include "app/splash_window.h"
#include "browser/browser_window.h"
#include "dialogs/about_dialog.h"
#include "dialogs/find_dialog.h"
#include "dialogs/open_file_dialog.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QToolButton>
#include <QWindow>

namespace {

const QString outputDir = QStringLiteral(QUILLON_BINARY_DIR "/hidpi");

// Windows, and the parts of them that are looked at closely.
const char *const windowNames[] = {"Browser", "frmAbout", "Find1", "openfile", "frmSplash"};
const QList<QPair<QString, QString>> details = {
    {QStringLiteral("Browser"), QStringLiteral("Label1")},
    {QStringLiteral("Browser"), QStringLiteral("forward")},
    {QStringLiteral("frmAbout"), QStringLiteral("lblTitle")},
    {QStringLiteral("frmSplash"), QStringLiteral("lblProductName")},
};

QString shotPath(const QString &name, const QString &tag)
{
    return QDir(outputDir).filePath(QStringLiteral("%1-%2.png").arg(name, tag));
}

QWidget *makeWindow(const QString &name)
{
    if (name == QLatin1String("Browser"))
        return new Browser;
    if (name == QLatin1String("frmAbout"))
        return new frmAbout;
    if (name == QLatin1String("Find1"))
        return new Find1;
    if (name == QLatin1String("openfile"))
        return new openfile;
    return new frmSplash;
}

// Renders every window at this process's scale into outputDir, with the logical geometry of
// each named control, one line each: window/control x y w h.
bool renderAll(const QString &tag)
{
    FakeEngine::install();
    QDir().mkpath(outputDir);
    QFile geometry(QDir(outputDir).filePath(QStringLiteral("geometry-%1.txt").arg(tag)));
    if (!geometry.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream lines(&geometry);
    for (const char *windowName : windowNames) {
        const QString name = QString::fromLatin1(windowName);
        QWidget *window = makeWindow(name);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            return false;
        QTest::qWait(100);
        if (!window->grab().save(shotPath(name, tag)))
            return false;
        for (QWidget *child : window->findChildren<QWidget *>()) {
            if (child->objectName().isEmpty() || !child->isVisibleTo(window))
                continue;
            const QRect r(child->mapTo(window, QPoint()), child->size());
            lines << name << '/' << child->objectName() << ' ' << r.x() << ' ' << r.y() << ' '
                  << r.width() << ' ' << r.height() << '\n';
        }
        for (const auto &[owner, part] : details) {
            if (owner != name)
                continue;
            auto *widget = window->findChild<QWidget *>(part);
            if (!widget || !widget->grab().save(shotPath(owner + QLatin1Char('-') + part, tag)))
                return false;
        }
        delete window;
    }
    deleteAllBrowsers();
    return true;
}

QMap<QString, QRect> readGeometry(const QString &tag)
{
    QMap<QString, QRect> places;
    QFile file(QDir(outputDir).filePath(QStringLiteral("geometry-%1.txt").arg(tag)));
    if (!file.open(QIODevice::ReadOnly))
        return places;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 5)
            places.insert(QString::fromUtf8(f[0]), QRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt()));
    }
    return places;
}

QImage load(const QString &name, const QString &tag)
{
    return QImage(shotPath(name, tag)).convertToFormat(QImage::Format_RGB32);
}

// How much fine detail an image holds: the mean squared step between neighbouring pixels.
// Blurring spreads each edge over more pixels and lowers it.
double detail(const QImage &image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y + 1 < image.height(); ++y) {
        for (int x = 0; x + 1 < image.width(); ++x) {
            const int here = qGray(image.pixel(x, y));
            const int right = qGray(image.pixel(x + 1, y)) - here;
            const int below = qGray(image.pixel(x, y + 1)) - here;
            sum += right * right + below * below;
            ++count;
        }
    }
    return count ? sum / count : 0;
}

// Mean difference per channel (0..255) of two images of the same size.
double difference(const QImage &a, const QImage &b, QPoint at = {})
{
    double sum = 0;
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            const QRgb p = a.pixel(at.x() + x, at.y() + y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                   + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * b.width() * b.height());
}

} // namespace

class HiDpiTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void renderWindows();
    void windowsKeepTheirDesign_data();
    void windowsKeepTheirDesign();
    void controlsKeepTheirPlaces();
    void textIsSharp_data();
    void textIsSharp();
    void toolbarPicturesAreNotBlurred();
};

void HiDpiTest::initTestCase()
{
    if (!qEnvironmentVariableIsEmpty("QUILLON_HIDPI_TAG"))
        return; // the 2x copy: renderWindows is all it runs
    QVERIFY(renderAll(QStringLiteral("1x")));

    QProcess scaled;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    env.insert(QStringLiteral("QUILLON_HIDPI_TAG"), QStringLiteral("2x"));
    scaled.setProcessEnvironment(env);
    scaled.setProcessChannelMode(QProcess::MergedChannels);
    scaled.start(QCoreApplication::applicationFilePath(), {QStringLiteral("renderWindows")});
    QVERIFY(scaled.waitForFinished(120000));
    QVERIFY2(scaled.exitCode() == 0, scaled.readAll().constData());

    for (const char *name : windowNames)
        for (const char *tag : {"1x", "2x"})
            qInfo().noquote() << "screenshot:" << shotPath(QString::fromLatin1(name), QString::fromLatin1(tag));
}

void HiDpiTest::renderWindows()
{
    const QString tag = qEnvironmentVariable("QUILLON_HIDPI_TAG");
    if (tag.isEmpty())
        QSKIP("renders in the scaled copy of this test");
    QVERIFY(qApp->devicePixelRatio() > 1.5);
    QVERIFY(renderAll(tag));
}

void HiDpiTest::windowsKeepTheirDesign_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : windowNames)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void HiDpiTest::windowsKeepTheirDesign()
{
    QFETCH(QString, name);
    const QImage one = load(name, QStringLiteral("1x")), two = load(name, QStringLiteral("2x"));
    QVERIFY(!one.isNull() && !two.isNull());
    // Twice the pixels each way: the window keeps its design size in logical pixels.
    QVERIFY2(std::abs(two.width() - 2 * one.width()) <= 2 && std::abs(two.height() - 2 * one.height()) <= 2,
             qPrintable(QStringLiteral("%1x%2 at 1x, %3x%4 at 2x")
                            .arg(one.width()).arg(one.height()).arg(two.width()).arg(two.height())));
    // Brought back to 1x it looks like the 1x window (the banners move on between the two).
    const QImage back = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double diff = difference(back, one);
    QVERIFY2(diff < 12, qPrintable(QStringLiteral("mean difference %1").arg(diff)));
}

void HiDpiTest::controlsKeepTheirPlaces()
{
    if (!qEnvironmentVariableIsEmpty("QUILLON_HIDPI_TAG"))
        QSKIP("compared by the 1x process");
    const auto one = readGeometry(QStringLiteral("1x")), two = readGeometry(QStringLiteral("2x"));
    QVERIFY(one.size() > 20);
    QStringList moved;
    for (auto it = one.cbegin(); it != one.cend(); ++it) {
        const QRect a = it.value(), b = two.value(it.key());
        if (!two.contains(it.key()) || std::abs(a.x() - b.x()) > 1 || std::abs(a.y() - b.y()) > 1
            || std::abs(a.width() - b.width()) > 1 || std::abs(a.height() - b.height()) > 1)
            moved << it.key();
    }
    QVERIFY2(moved.isEmpty(), qPrintable(moved.join(QLatin1Char(' '))));
}

void HiDpiTest::textIsSharp_data()
{
    QTest::addColumn<QString>("part");
    for (const auto &[owner, part] : details)
        if (part != QLatin1String("forward"))
            QTest::newRow(qPrintable(part)) << owner + QLatin1Char('-') + part;
}

void HiDpiTest::textIsSharp()
{
    QFETCH(QString, part);
    const QImage one = load(part, QStringLiteral("1x")), two = load(part, QStringLiteral("2x"));
    QVERIFY(!one.isNull() && !two.isNull());
    // Text drawn at 2x has edges a device pixel wide; the 1x text merely enlarged has them
    // two pixels wide, which is what a blurred window shows.
    const QImage enlarged = one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double sharp = detail(two), blurred = detail(enlarged);
    QVERIFY2(sharp > 1.3 * blurred,
             qPrintable(QStringLiteral("detail %1 at 2x, %2 for 1x enlarged").arg(sharp).arg(blurred)));
}

void HiDpiTest::toolbarPicturesAreNotBlurred()
{
    if (!qEnvironmentVariableIsEmpty("QUILLON_HIDPI_TAG"))
        QSKIP("compared by the 1x process");
    const QString part = QStringLiteral("Browser-forward");
    const QImage one = load(part, QStringLiteral("1x")), two = load(part, QStringLiteral("2x"));
    const QImage source = QImage(QStringLiteral(":/toolbar/grey2.jpg")).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!one.isNull() && !two.isNull());
    QCOMPARE(source.size(), QSize(20, 20));

    // Where the button shows its picture: the best match at 1x, where it is drawn 1:1.
    QPoint at;
    double best = 1e9;
    for (int y = 0; y + 20 <= one.height(); ++y)
        for (int x = 0; x + 20 <= one.width(); ++x)
            if (const double d = difference(one, source, {x, y}); d < best)
                best = d, at = {x, y};
    QVERIFY2(best < 8, qPrintable(QStringLiteral("picture not found at 1x (%1)").arg(best)));

    const QRect place(at * 2, QSize(40, 40));
    QVERIFY(two.rect().contains(place));
    const QImage drawn = two.copy(place);
    const QImage blocks = source.scaled(40, 40, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QVERIFY2(difference(drawn.scaled(20, 20, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), source) < 12,
             "the 2x picture is not the source picture");
    // Each source pixel a crisp 2 x 2 block keeps all the source's detail; smooth enlarging
    // keeps about half of it.
    const double kept = detail(drawn) / detail(blocks);
    QVERIFY2(kept > 0.8, qPrintable(QStringLiteral("the 2x picture keeps %1 of the source's detail").arg(kept)));
}

QUILLON_TEST_MAIN(HiDpiTest)
#include "test_hidpi.moc"
