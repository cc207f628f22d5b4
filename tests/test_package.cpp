// What `cmake --install` and CPack deliver: the programs side by side, a desktop entry and
// AppStream data that Debian's validators accept, the icon at its theme sizes, manual pages
// that say what --help and the user guide say, and a .deb that lintian accepts, whose
// dependencies were found from the programs' libraries and whose scripts offer the browser
// for x-www-browser. (tools/check_package.sh goes further: it installs the .deb on a fresh
// Debian root, opens a page there through sensible-browser, then removes and purges it.)

#include "support/test_main.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct Run {
    int code = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
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

// The options that --help lists ("-h", "--help", ...), without "--", which ends them.
QStringList helpOptions(const QString &help)
{
    QStringList options;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("  -")))
            continue;
        const QString terms = line.trimmed().section(QLatin1String("  "), 0, 0);
        for (const QString &term : terms.split(QLatin1String(", ")))
            if (term != QLatin1String("--"))
                options << term;
    }
    return options;
}

// The text of a section of the user guide's page on using the browser: from its heading to the
// next heading of any level.
QString guideSection(const QString &heading)
{
    QFile file(QStringLiteral(QUILLON_SOURCE_DIR "/docs/using.md"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype start = text.indexOf(QLatin1Char('\n') + heading + QLatin1Char('\n'));
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf(QLatin1String("\n#"), start + heading.size() + 1);
    return text.mid(start, end < 0 ? -1 : end - start);
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
    void manualPages();
    void debianPackage();
    void lintianAccepts();
    void browserAlternative();

private:
    QTemporaryDir m_dir;
    QString m_prefix;
    QString m_deb;
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
    m_deb = deb;

    const Run depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    QCOMPARE(depends.code, 0);
    // Found from the programs' libraries (none of these is listed by hand), and the engine's
    // helper process comes with its library.
    for (const char *package : {"libc6", "libqt6widgets6", "libqt6webenginewidgets6", "libqt6webenginecore6-bin",
                                "fonts-dejavu-core"})
        QVERIFY2(depends.output.contains(QString::fromLatin1(package)), qPrintable(depends.output));

    // Something that can browse HTML files, as Debian's virtual package says.
    QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Provides")}).output.trimmed(),
             QStringLiteral("www-browser"));

    // Exactly these files: packaging/debian/copyright says all of them are ours. A new one
    // must be named there (with its license, if it is not ours) and here.
    QStringList files;
    for (const QString &line : run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb}).output.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1Char('-')))
            files << line.section(QLatin1String(" ./"), 1);
    QStringList expected = {"usr/bin/quillon", "usr/bin/quillon-sysinfo", "usr/share/applications/quillon.desktop",
                            "usr/share/doc/quillon/README.md", "usr/share/doc/quillon/changelog.gz",
                            "usr/share/doc/quillon/docs/accessibility.md", "usr/share/doc/quillon/docs/benchmark.md",
                            "usr/share/doc/quillon/docs/code.md", "usr/share/doc/quillon/docs/install.md",
                            "usr/share/doc/quillon/docs/pages.md", "usr/share/doc/quillon/docs/using.md",
                            "usr/share/doc/quillon/copyright", "usr/share/man/man1/quillon-sysinfo.1.gz",
                            "usr/share/man/man1/quillon.1.gz", "usr/share/metainfo/com.example.quillon.metainfo.xml"};
    for (int size : {16, 32, 48, 64, 128, 256})
        expected << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/quillon.png").arg(size);
    for (const char *language : {"en-AU", "en-CA", "en-GB", "en-US"})
        expected << QStringLiteral("usr/share/quillon/qtwebengine_dictionaries/%1.bdic").arg(QLatin1String(language));
    files.sort();
    expected.sort();
    QCOMPARE(files, expected);

    // The changelog's newest entry is this release.
    const QString version = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Version")}).output.trimmed();
    const QString changelog = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), QDir(m_prefix).filePath(QStringLiteral("share/doc/quillon/changelog.gz"))}).output;
    QVERIFY2(changelog.startsWith(QStringLiteral("quillon (%1) ").arg(version)), qPrintable(changelog.left(80)));
}

void PackageTest::manualPages()
{
    // The page, --help and the guide's command line name the same options. (That the pages
    // render without a word from groff, lintian checks.)
    const Run help = run(QStringLiteral(QUILLON_BINARY_DIR "/quillon"), {QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    const QStringList options = helpOptions(help.output);
    QVERIFY2(options.contains(QStringLiteral("--version")), qPrintable(help.output));
    const QString page = run(QStringLiteral("man"), {QStringLiteral("-l"), QDir(m_prefix).filePath(QStringLiteral("share/man/man1/quillon.1.gz"))}).output;
    QVERIFY2(page.contains(QStringLiteral("quillon - small web browser")), qPrintable(page.left(300)));
    const QString guide = guideSection(QStringLiteral("## Command line"));
    QVERIFY(!guide.isEmpty());
    QStringList guideOptions;
    const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
    for (auto it = option.globalMatch(guide.section(QLatin1String("```"), 1, 1)); it.hasNext();)
        guideOptions << it.next().captured(0);
    for (const QString &name : options) {
        QVERIFY2(page.contains(name), qPrintable(name));
        QVERIFY2(guideOptions.contains(name), qPrintable(name + QLatin1String(" is not in the guide's command line")));
    }
    for (const QString &name : guideOptions)
        QVERIFY2(options.contains(name), qPrintable(name + QLatin1String(" is in the guide but not in --help")));

    // The page's keys are the guide's.
    QFile source(QStringLiteral(QUILLON_SOURCE_DIR "/packaging/manual/quillon.1.txt"));
    QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString keysSection = QString::fromUtf8(source.readAll()).section(QLatin1String("\n# KEYS\n"), 1).section(QLatin1String("\n# "), 0, 0);
    QStringList pageKeys;
    for (auto it = QRegularExpression(QStringLiteral("^- \\*\\*(.+)\\*\\*$"), QRegularExpression::MultilineOption).globalMatch(keysSection); it.hasNext();)
        pageKeys << it.next().captured(1);
    QStringList guideKeys;
    for (auto it = QRegularExpression(QStringLiteral("^\\| ([^|]+?) \\|"), QRegularExpression::MultilineOption).globalMatch(guideSection(QStringLiteral("## Keys"))); it.hasNext();)
        guideKeys << it.next().captured(1);
    guideKeys.removeAll(QStringLiteral("Keys"));
    QVERIFY(pageKeys.size() >= 10);
    QCOMPARE(pageKeys, guideKeys);
}

void PackageTest::lintianAccepts()
{
    QVERIFY(!m_deb.isEmpty());
    const Run lintian = run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), m_deb});
    QVERIFY2(lintian.code != -1, "lintian did not run (./quillon installs it)");
    const QRegularExpression fault(QStringLiteral("^[EW]: "), QRegularExpression::MultilineOption);
    QVERIFY2(lintian.code == 0 && !lintian.output.contains(fault), qPrintable(lintian.output));
}

void PackageTest::browserAlternative()
{
    // The package's own scripts, run against the real update-alternatives in a root of their own.
    QVERIFY(!m_deb.isEmpty());
    const QString root = m_dir.filePath(QStringLiteral("root"));
    const QString control = m_dir.filePath(QStringLiteral("control"));
    QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, root}).code, 0);
    QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-e"), m_deb, control}).code, 0);
    for (const char *dir : {"etc/alternatives", "var/lib/dpkg/alternatives", "var/log", "wrap"})
        QVERIFY(QDir(root).mkpath(QString::fromLatin1(dir)));
    QFile wrapper(QDir(root).filePath(QStringLiteral("wrap/update-alternatives")));
    QVERIFY(wrapper.open(QIODevice::WriteOnly));
    wrapper.write("#!/bin/sh\nexec /usr/bin/update-alternatives --root \"$ALTERNATIVES_ROOT\" \"$@\"\n");
    wrapper.close();
    wrapper.setPermissions(wrapper.permissions() | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ALTERNATIVES_ROOT"), root);
    environment.insert(QStringLiteral("PATH"), QDir(root).filePath(QStringLiteral("wrap:")) + environment.value(QStringLiteral("PATH")));
    const auto script = [&](const char *name, const char *argument) {
        return run(QDir(control).filePath(QString::fromLatin1(name)), {QString::fromLatin1(argument)}, environment);
    };
    // Where a link of the root points (empty when there is none), as the root sees it.
    const auto target = [&root](const char *path) { return QFile::symLinkTarget(QDir(root).filePath(QString::fromLatin1(path))); };

    const Run postinst = script("postinst", "configure");
    QVERIFY2(postinst.code == 0, qPrintable(postinst.output));
    QCOMPARE(target("usr/bin/x-www-browser"), QStringLiteral("/etc/alternatives/x-www-browser"));
    QCOMPARE(target("etc/alternatives/x-www-browser"), QStringLiteral("/usr/bin/quillon"));
    QCOMPARE(target("etc/alternatives/x-www-browser.1.gz"), QStringLiteral("/usr/share/man/man1/quillon.1.gz"));
    const Run query = run(QStringLiteral("update-alternatives"), {QStringLiteral("--root"), root, QStringLiteral("--query"), QStringLiteral("x-www-browser")});
    QVERIFY2(query.output.contains(QStringLiteral("Alternative: /usr/bin/quillon\nPriority: 30\n")), qPrintable(query.output));
    // Not a choice for www-browser, which is started with no display.
    QVERIFY(!QFileInfo::exists(QDir(root).filePath(QStringLiteral("var/lib/dpkg/alternatives/www-browser"))));

    // An upgrade keeps the choice; removing the package takes it away, links and all.
    QCOMPARE(script("prerm", "upgrade").code, 0);
    QCOMPARE(target("etc/alternatives/x-www-browser"), QStringLiteral("/usr/bin/quillon"));
    const Run prerm = script("prerm", "remove");
    QVERIFY2(prerm.code == 0, qPrintable(prerm.output));
    for (const char *path : {"usr/bin/x-www-browser", "etc/alternatives/x-www-browser",
                             "etc/alternatives/x-www-browser.1.gz", "usr/share/man/man1/x-www-browser.1.gz",
                             "var/lib/dpkg/alternatives/x-www-browser"})
        QVERIFY2(target(path).isEmpty() && !QFileInfo::exists(QDir(root).filePath(QString::fromLatin1(path))), path);
}

QUILLON_TEST_MAIN(PackageTest)
#include "test_package.moc"
