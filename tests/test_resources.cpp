// The committed pictures are what the generator draws, and they read back as the
// window expects them: a two-image 16-colour icon and twelve 20 x 20 toolbar JPEGs.

#include "support/test_main.h"

#include "engine/qtwebengine/setup/engine_profile.h"
#include "engine/qtwebengine/setup/engine_version.h"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>

namespace {
// Records where the page wants to go and goes nowhere: the test never reaches the internet.
class RecordingPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    QList<QUrl> requested;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (url.scheme() == QLatin1String("qrc"))
            return true;
        Q_UNUSED(type); // a form sent or the page replaced: both leave for the web search
        if (isMainFrame)
            requested << url;
        return false;
    }
};
} // namespace

class TestResources : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;

    static QStringList generatedFiles()
    {
        QStringList files{QStringLiteral("icon/quillon.ico")};
        for (int size : {48, 64, 128, 256})
            files << QStringLiteral("icon/quillon-%1.png").arg(size);
        for (int n = 1; n <= 6; ++n)
            files << QStringLiteral("toolbar/grey%1.jpg").arg(n) << QStringLiteral("toolbar/colour%1.jpg").arg(n);
        return files;
    }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The largest difference, out of 255, in the brightness or opacity of a pixel, or in the
    // mean colour of a 2 x 2 block.
    static int pictureDifference(const QImage &a, const QImage &b)
    {
        const auto luma = [](QRgb c) { return (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000; };
        const auto blue = [](QRgb c) { return -169 * qRed(c) - 331 * qGreen(c) + 500 * qBlue(c); };
        const auto red = [](QRgb c) { return 500 * qRed(c) - 419 * qGreen(c) - 81 * qBlue(c); };
        int worst = 0;
        for (int y = 0; y < a.height(); y += 2)
            for (int x = 0; x < a.width(); x += 2) {
                int blueOff = 0, redOff = 0, pixels = 0;
                for (int dy = 0; dy < 2 && y + dy < a.height(); ++dy)
                    for (int dx = 0; dx < 2 && x + dx < a.width(); ++dx, ++pixels) {
                        const QRgb p = a.pixel(x + dx, y + dy), q = b.pixel(x + dx, y + dy);
                        worst = std::max({worst, qAbs(luma(p) - luma(q)), qAbs(qAlpha(p) - qAlpha(q))});
                        blueOff += blue(p) - blue(q);
                        redOff += red(p) - red(q);
                    }
                worst = std::max({worst, qAbs(blueOff) / (1000 * pixels), qAbs(redOff) / (1000 * pixels)});
            }
        return worst;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_out.isValid());
        QProcess generator;
        generator.start(QStringLiteral(QUILLON_BINARY_DIR "/gen_resources"), {m_out.path()});
        QVERIFY2(generator.waitForFinished(60000), "the generator did not finish");
        QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
        QCOMPARE(generator.exitCode(), 0);
    }

    void generatedFilesMatchCommitted_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &file : generatedFiles())
            QTest::newRow(qPrintable(file)) << file;
    }

    // Compared as pictures, not as bytes: another release's encoders write other bytes for the
    // same drawing, and a JPEG may keep its colour at half resolution (Qt 6.4 does, 6.11 at full
    // quality does not). So brightness is compared pixel by pixel, colour 2 x 2 block by block;
    // half-resolution colour still clips saturated pixels by up to a tenth. A drawing that
    // changed is off by far more.
    void generatedFilesMatchCommitted()
    {
        QFETCH(QString, file);
        const QString committed = QStringLiteral(QUILLON_SOURCE_DIR "/resources/") + file;
        QVERIFY2(!readAll(m_out.filePath(file)).isEmpty(), "not generated");
        QVERIFY2(!readAll(committed).isEmpty(), "not committed");
        QImageReader generatedReader(m_out.filePath(file)), committedReader(committed);
        QCOMPARE(generatedReader.imageCount(), committedReader.imageCount());
        do {
            const QImage generated = generatedReader.read().convertToFormat(QImage::Format_ARGB32);
            const QImage expected = committedReader.read().convertToFormat(QImage::Format_ARGB32);
            QVERIFY(!generated.isNull() && !expected.isNull());
            QCOMPARE(generated.size(), expected.size());
            const int off = pictureDifference(generated, expected);
            QVERIFY2(off <= 24, qPrintable(QStringLiteral("%1 off: rerun gen_resources").arg(off)));
        } while (generatedReader.jumpToNextImage() && committedReader.jumpToNextImage());
    }

    void iconHoldsSixteenColourImagesOfBothSizes()
    {
        const QString path = QStringLiteral(QUILLON_SOURCE_DIR "/resources/icon/quillon.ico");
        const QByteArray bytes = readAll(path);
        // Header: reserved 0, type 1 (icon), two images; each entry says 16 colours at 4 bits.
        QVERIFY(bytes.size() > 6 + 2 * 16);
        QCOMPARE(QByteArray(bytes.constData(), 6), QByteArray("\0\0\1\0\2\0", 6));
        for (int i = 0; i < 2; ++i) {
            const char *entry = bytes.constData() + 6 + 16 * i;
            QCOMPARE(int(uchar(entry[2])), 16);
            QCOMPARE(int(uchar(entry[6])), 4);
        }

        QImageReader reader(path);
        QCOMPARE(reader.imageCount(), 2);
        QList<QSize> sizes;
        int transparentCorners = 0;
        do {
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
            sizes << image.size();
            transparentCorners += qAlpha(image.pixel(0, image.height() - 1)) == 0;
            // Opaque pixels are all palette colours: no channel outside 0, 128, 192, 255.
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) == 255)
                        colours.insert(image.pixel(x, y) & 0xffffff);
            QVERIFY(colours.size() >= 4);
            QVERIFY(colours.size() <= 16);
            for (QRgb c : colours)
                for (int channel : {qRed(c), qGreen(c), qBlue(c)})
                    QVERIFY2(channel == 0 || channel == 128 || channel == 192 || channel == 255,
                             qPrintable(QString::number(c, 16)));
        } while (reader.jumpToNextImage());
        std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
        QCOMPARE(sizes, (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
        QCOMPARE(transparentCorners, 2); // the AND mask is honoured
    }

    void desktopIconsAreTransparentSquares()
    {
        for (int size : {48, 64, 128, 256}) {
            const QImage image(QStringLiteral(QUILLON_SOURCE_DIR "/resources/icon/quillon-%1.png").arg(size));
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(image.hasAlphaChannel());
            QCOMPARE(qAlpha(image.pixel(0, size - 1)), 0);
            QCOMPARE(qAlpha(image.pixel(size * 4 / 10, size * 4 / 10)), 255);
        }
    }

    void toolbarPicturesAreGreyAndColourPairs()
    {
        for (int n = 1; n <= 6; ++n) {
            const QString dir = QStringLiteral(QUILLON_SOURCE_DIR "/resources/toolbar/");
            QImageReader greyReader(dir + QStringLiteral("grey%1.jpg").arg(n));
            QImageReader colourReader(dir + QStringLiteral("colour%1.jpg").arg(n));
            QCOMPARE(greyReader.format(), QByteArray("jpeg"));
            QCOMPARE(colourReader.format(), QByteArray("jpeg"));
            const QImage grey = greyReader.read();
            const QImage colour = colourReader.read();
            QCOMPARE(grey.size(), QSize(20, 20));
            QCOMPARE(colour.size(), QSize(20, 20));

            // Grey: no pixel far from neutral. Colour: some clearly saturated pixels.
            int maxGreyChroma = 0;
            int saturated = 0;
            for (int y = 0; y < 20; ++y) {
                for (int x = 0; x < 20; ++x) {
                    const QColor g = grey.pixelColor(x, y);
                    maxGreyChroma = qMax(maxGreyChroma, qMax(qMax(g.red(), g.green()), g.blue()) -
                                                            qMin(qMin(g.red(), g.green()), g.blue()));
                    saturated += colour.pixelColor(x, y).hsvSaturation() > 100;
                }
            }
            QVERIFY2(maxGreyChroma <= 12, qPrintable(QStringLiteral("grey%1: %2").arg(n).arg(maxGreyChroma)));
            QVERIFY2(saturated >= 20, qPrintable(QStringLiteral("colour%1: %2").arg(n).arg(saturated)));
            // Drawn on the toolbar's own background, so the corner blends in.
            const QColor corner = colour.pixelColor(0, 0);
            QVERIFY(qAbs(corner.red() - 224) <= 6 && qAbs(corner.green() - 224) <= 6 && qAbs(corner.blue() - 224) <= 6);
        }
    }

    void builtInPagesAreInTheResources()
    {
        for (const auto &[path, title] : {std::pair{":/pages/home.html", "<title>Quillon's Home</title>"},
                                          std::pair{":/pages/search.html", "<title>Quillon's Search</title>"}}) {
            const QByteArray page = readAll(QString::fromLatin1(path));
            QVERIFY2(page.contains(title), path);
            // Self-contained: nothing fetched when shown.
            QVERIFY(!page.contains("<script src"));
            QVERIFY(!page.contains("<link"));
            QVERIFY(!page.contains("url("));
        }
        QVERIFY(readAll(QStringLiteral(":/pages/search.html")).contains("name=\"q\""));
        for (const QString &file : generatedFiles())
            QVERIFY2(QFile::exists(QStringLiteral(":/") + file), qPrintable(file));
    }

    void homePageNamesTheEngineAndSearchPageSendsTheWords()
    {
        QWebEngineView view;
        auto *page = new RecordingPage(EngineProfile::profile(), &view);
        view.setPage(page);
        view.show();
        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);

        // The home page names the engine, and says so when its security fixes have stopped.
        page->load(QUrl(QStringLiteral("qrc:/pages/home.html")));
        QVERIFY(loaded.wait(15000));
        QVariant shown;
        page->runJavaScript(QStringLiteral("[document.getElementById('engine').hidden, "
                                           "document.getElementById('engine-line').textContent, "
                                           "document.getElementById('engine-notice').hidden ? '' : "
                                           "document.getElementById('engine-notice').textContent]"),
                            [&shown](const QVariant &result) { shown = result; });
        QTRY_VERIFY_WITH_TIMEOUT(shown.isValid(), 5000);
        const QVariantList home = shown.toList();
        const EngineVersion::Versions versions = EngineVersion::running();
        QCOMPARE(home.value(0).toBool(), false);
        QCOMPARE(home.value(1).toString(), EngineVersion::line(versions));
        const bool old = EngineVersion::noLongerFixed(versions.securityFixes, QDate::currentDate());
        QCOMPARE(home.value(2).toString(), old ? EngineVersion::notice(versions) : QString());
        qInfo("%s%s", qPrintable(home.value(1).toString()), old ? ": no longer fixed" : "");

        loaded.clear();
        page->load(QUrl(QStringLiteral("qrc:/pages/search.html")));
        QVERIFY(loaded.wait(15000));
        QVERIFY(loaded.constFirst().constFirst().toBool());
        QCOMPARE(page->title(), QStringLiteral("Quillon's Search"));
        page->runJavaScript(QStringLiteral("document.querySelector('input[name=q]').value = 'quill & ink';"
                                           "document.querySelector('form').requestSubmit();"));
        QTRY_COMPARE_WITH_TIMEOUT(page->requested.size(), 1, 10000);
        const QUrl url = page->requested.constFirst();
        QCOMPARE(url.scheme(), QStringLiteral("https"));
        QCOMPARE(url.host(), QStringLiteral("duckduckgo.com"));
        QCOMPARE(url.query(QUrl::FullyEncoded), QStringLiteral("q=quill+%26+ink")); // form encoding

        // Words handed to the page by the engine are filled in and, when asked to, sent on.
        page->load(QUrl(QStringLiteral("qrc:/pages/search.html?q=quill%20%26%20ink%2B&go=1")));
        QTRY_COMPARE_WITH_TIMEOUT(page->requested.size(), 2, 10000);
        QCOMPARE(page->requested.constLast().query(QUrl::FullyEncoded), QStringLiteral("q=quill+%26+ink%2B"));
    }
};

QUILLON_TEST_MAIN(TestResources)
#include "test_resources.moc"
