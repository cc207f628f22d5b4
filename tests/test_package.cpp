// What `cmake --install` and CPack deliver: the programs side by side, a desktop entry and
// AppStream data that Debian's validators accept, the icon at its theme sizes, and a .deb whose
// dependencies were found from the programs' libraries. (tools/check_package.sh goes further:
// it installs the .deb on a fresh Debian root and starts it there.)

#include "support/test_main.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Run {
    int code = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        result.code = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

// The keys of a desktop entry's main group.
QMap<QString, QString> desktopKeys(const QString &path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inMain = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('[')))
            inMain = line == QLatin1String("[Desktop Entry]");
        else if (inMain && line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char('#')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
}

} // namespace

class PackageTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void programsSideBySide();
    void desktopEntry();
    void metainfo();
    void iconSizes();
    void debianPackage();

private:
    QTemporaryDir m_dir;
    QString m_prefix;
};

void PackageTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_prefix = m_dir.filePath(QStringLiteral("usr"));
    const Run install = run(QStringLiteral("cmake"), {QStringLiteral("--install"), QStringLiteral(QUILLON_BINARY_DIR),
                                                     QStringLiteral("--prefix"), m_prefix});
    QVERIFY2(install.code == 0, qPrintable(install.output));
}

void PackageTest::programsSideBySide()
{
    // The About dialog finds the system-information program beside the browser.
    for (const char *name : {"bin/quillon", "bin/quillon-sysinfo"}) {
        const QFileInfo program(QDir(m_prefix).filePath(QString::fromLatin1(name)));
        QVERIFY2(program.isFile() && program.isExecutable(), name);
    }
    // The browser finds its spelling dictionaries at ../share/quillon from its folder.
    for (const QString &language : QStringLiteral(QUILLON_DICTIONARIES).split(QLatin1Char(',')))
        QVERIFY2(QFileInfo::exists(QDir(m_prefix).filePath(QStringLiteral("bin/../share/quillon/qtwebengine_dictionaries/")
                                                           + language + QStringLiteral(".bdic"))),
                 qPrintable(language));
}

void PackageTest::desktopEntry()
{
    const QString path = QDir(m_prefix).filePath(QStringLiteral("share/applications/quillon.desktop"));
    QVERIFY(QFileInfo::exists(path));
    const Run validate = run(QStringLiteral("desktop-file-validate"), {path});
    QVERIFY2(validate.code == 0 && validate.output.trimmed().isEmpty(), qPrintable(validate.output));

    const QMap<QString, QString> entry = desktopKeys(path);
    // The window sets its desktop file name to "quillon": the entry, its icon and its
    // program must carry that name for the desktop to match window and entry.
    QCOMPARE(entry.value(QStringLiteral("Icon")), QStringLiteral("quillon"));
    QCOMPARE(entry.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0), QStringLiteral("quillon"));
    const QString categories = entry.value(QStringLiteral("Categories"));
    QVERIFY2(categories.split(QLatin1Char(';')).contains(QStringLiteral("WebBrowser")), qPrintable(categories));
    const QStringList types = entry.value(QStringLiteral("MimeType")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const char *type : {"text/html", "x-scheme-handler/http", "x-scheme-handler/https"})
        QVERIFY2(types.contains(QString::fromLatin1(type)), type);
}

void PackageTest::metainfo()
{
    const QString path = QDir(m_prefix).filePath(QStringLiteral("share/metainfo/com.example.quillon.metainfo.xml"));
    QVERIFY(QFileInfo::exists(path));
    const Run validate = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--no-color"), path});
    QVERIFY2(validate.code == 0, qPrintable(validate.output));
}

void PackageTest::iconSizes()
{
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = QDir(m_prefix).filePath(
            QStringLiteral("share/icons/hicolor/%1x%1/apps/quillon.png").arg(size));
        const QImage icon(path);
        QVERIFY2(icon.size() == QSize(size, size), qPrintable(path));
    }
    // The small sizes are the window icon's own pictures, not a scaled-down large one.
    const QImage small(QDir(m_prefix).filePath(QStringLiteral("share/icons/hicolor/16x16/apps/quillon.png")));
    const QImage window = QImage(QStringLiteral(":/icon/quillon.ico")).convertToFormat(small.format());
    QCOMPARE(window.size(), QSize(16, 16));
    QCOMPARE(small, window);
}

void PackageTest::debianPackage()
{
    const QString out = m_dir.filePath(QStringLiteral("deb"));
    const Run cpack = run(QStringLiteral("cpack"), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out,
                                                    QStringLiteral("--config"),
                                                    QStringLiteral(QUILLON_BINARY_DIR "/CPackConfig.cmake")});
    QVERIFY2(cpack.code == 0, qPrintable(cpack.output));
    const QStringList debs = QDir(out).entryList({QStringLiteral("quillon_*.deb")});
    QCOMPARE(debs.size(), 1);
    const QString deb = QDir(out).filePath(debs.first());

    const Run depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    QCOMPARE(depends.code, 0);
    // Found from the programs' libraries (none of these is listed by hand), and the engine's
    // helper process comes with its library.
    for (const char *package : {"libc6", "libqt6widgets6", "libqt6webenginewidgets6", "libqt6webenginecore6-bin",
                                "fonts-dejavu-core"})
        QVERIFY2(depends.output.contains(QString::fromLatin1(package)), qPrintable(depends.output));

    const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    for (const char *file : {"./usr/bin/quillon\n", "./usr/bin/quillon-sysinfo\n",
                             "./usr/share/applications/quillon.desktop\n",
                             "./usr/share/icons/hicolor/32x32/apps/quillon.png\n",
                             "./usr/share/quillon/qtwebengine_dictionaries/en-US.bdic\n"})
        QVERIFY2(contents.output.contains(QString::fromLatin1(file)), file);
}

QUILLON_TEST_MAIN(PackageTest)
#include "test_package.moc"
