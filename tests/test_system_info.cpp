// Reading registry values and starting the system-information program, over a scripted
// registry, a recording launcher and a recording message box.

#include "common/paths.h"
#include "dialogs/system_info.h"
#include "common/message_box.h"
#include "common/failure.h"
#include "support/test_main.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace Registry;

namespace {
const QString msinfoKeyText = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

// Fails every open: a registry that cannot be read at all.
class BrokenRegistry : public MemoryRegistry {
public:
    long openKey(Key, const QByteArray &, quint32, quint32, Key *) override
    {
        throw PlatformError(QStringLiteral("registry unavailable"));
    }
};
} // namespace

class TestSystemInfo : public QObject {
    Q_OBJECT

    std::shared_ptr<MemoryRegistry> registry;
    QStringList started;
    QStringList messages;
    bool launchResult = true;

private Q_SLOTS:
    void init()
    {
        registry = std::make_shared<MemoryRegistry>();
        Registry::backend().set(registry);
        started.clear();
        messages.clear();
        launchResult = true;
        SystemInfo::launcher().set([this](const QString &path) {
            started << path;
            return launchResult;
        });
        MessageBox::sink().set([this](const QString &text) { messages << text; });
    }

    void cleanup()
    {
        Registry::backend().set(nullptr);
        SystemInfo::launcher().set({});
        MessageBox::sink().set({});
    }

    void stringsWithAndWithoutTerminatorReadAlike()
    {
        registry->setString(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"),
                            QStringLiteral("/opt/tools/sysinfo"), true);
        registry->setString(HKEY_LOCAL_MACHINE, locationKey, QStringLiteral("MSINFO"),
                            QStringLiteral("/opt/tools/sysinfo"), false);
        QString a = QStringLiteral("old"), b = QStringLiteral("old");
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), a));
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, locationKey, QStringLiteral("MSINFO"), b));
        QCOMPARE(a, QStringLiteral("/opt/tools/sysinfo"));
        QCOMPARE(b, a);
        // Names are matched without regard to case, as the registry does.
        QString c;
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKeyText.toLower(), QStringLiteral("path"), c));
        QCOMPARE(c, a);
        QCOMPARE(registry->openKeyCount(), 0);
    }

    void valueMustFitTheBuffer()
    {
        // 1023 characters and the terminator fill the 1024 bytes exactly.
        const QString fits(1023, QLatin1Char('x'));
        registry->setString(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), fits);
        QString value;
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), value));
        QCOMPARE(value, fits);

        registry->setString(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), fits + 'x');
        value = QStringLiteral("previous");
        QVERIFY(!GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), value));
        QCOMPARE(value, QString());
        QCOMPARE(registry->openKeyCount(), 0); // closed after the failed query
    }

    void numbersAndOtherTypes()
    {
        const QString key = QStringLiteral("SOFTWARE\\Test");
        registry->setDword(HKEY_LOCAL_MACHINE, key, QStringLiteral("small"), 5);
        registry->setDword(HKEY_LOCAL_MACHINE, key, QStringLiteral("mid"), 0x00010200); // zero high byte
        registry->setDword(HKEY_LOCAL_MACHINE, key, QStringLiteral("big"), 0x80000000u);
        registry->setDword(HKEY_LOCAL_MACHINE, key, QStringLiteral("zero"), 0);
        registry->setValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("blob"), REG_BINARY,
                           QByteArray("\x01\x02\x03", 3));

        const QList<QPair<QString, QString>> numbers = {{QStringLiteral("small"), QStringLiteral("5")},
                                                        {QStringLiteral("mid"), QStringLiteral("66048")},
                                                        {QStringLiteral("big"), QStringLiteral("2147483648")},
                                                        {QStringLiteral("zero"), QStringLiteral("0")}};
        for (const auto &[name, expected] : numbers) {
            QString value = QStringLiteral("old");
            QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, key, name, value));
            QCOMPARE(value, expected);
        }

        QString kept = QStringLiteral("caller's text");
        QVERIFY(GetKeyValue(HKEY_LOCAL_MACHINE, key, QStringLiteral("blob"), kept));
        QCOMPARE(kept, QStringLiteral("caller's text"));
        QCOMPARE(registry->openKeyCount(), 0);
    }

    void missingKeyOrValue()
    {
        registry->addKey(HKEY_LOCAL_MACHINE, msinfoKeyText);
        QString value = QStringLiteral("old");
        QVERIFY(!GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), value));
        QCOMPARE(value, QString());
        value = QStringLiteral("old");
        QVERIFY(!GetKeyValue(HKEY_CURRENT_USER, msinfoKeyText, QStringLiteral("PATH"), value));
        QCOMPARE(value, QString());
        QCOMPARE(registry->openKeyCount(), 0);
    }

    void startsThePathFromTheRegistry()
    {
        registry->setString(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"),
                            QStringLiteral("/usr/bin/some tool"));
        StartSysInfo();
        QCOMPARE(started, QStringList{QStringLiteral("/usr/bin/some tool")});
        QVERIFY(messages.isEmpty());
    }

    void failedStartShowsTheMessage()
    {
        registry->setString(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), QString());
        SystemInfo::launcher().set({}); // the real start, which refuses an empty path
        StartSysInfo();
        QCOMPARE(messages, QStringList{QStringLiteral("System Information Is Unavailable At This Time")});
    }

    void folderWithoutTheProgram()
    {
        QTemporaryDir folder;
        registry->setString(HKEY_LOCAL_MACHINE, locationKey, QStringLiteral("MSINFO"), folder.path());
        StartSysInfo();
        QVERIFY(started.isEmpty());
        QCOMPARE(messages.size(), 1);

        // A folder of that name is not the program.
        QVERIFY(QDir(folder.path()).mkdir(Registry::systemInfoProgramName()));
        StartSysInfo();
        QVERIFY(started.isEmpty());
        QCOMPARE(messages.size(), 2);
    }

    void folderWithTheProgram()
    {
        QTemporaryDir folder;
        const QString program = folder.filePath(Registry::systemInfoProgramName());
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        for (const QString &stored : {folder.path(), folder.path() + QLatin1Char('/')}) {
            started.clear();
            registry->setString(HKEY_LOCAL_MACHINE, locationKey, QStringLiteral("MSINFO"), stored);
            StartSysInfo();
            QCOMPARE(started, QStringList{program});
        }
        QVERIFY(messages.isEmpty());
    }

    void nothingRegisteredOrRegistryFailing()
    {
        StartSysInfo();
        QCOMPARE(messages.size(), 1);
        Registry::backend().set(std::make_shared<BrokenRegistry>());
        StartSysInfo();
        QCOMPARE(messages.size(), 2);
        QVERIFY(started.isEmpty());
    }

    void realLauncherStartsTheProgram()
    {
        QTemporaryDir folder;
        const QString marker = folder.filePath(QStringLiteral("ran"));
        const QString script = folder.filePath(QStringLiteral("fake sysinfo.sh"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // The folder's name holds a blank and an apostrophe: the path is used as it is.
        file.write("#!/bin/sh\necho started > \"$(dirname \"$0\")/ran\"\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        registry->setString(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), script);
        SystemInfo::launcher().set({});
        StartSysInfo();
        QVERIFY(messages.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 5000);
    }

    void systemRegistryFindsTheInstalledProgram()
    {
        Registry::backend().set(nullptr);
        const QString beside =
            QDir(QCoreApplication::applicationDirPath()).filePath(Registry::systemInfoProgramName());
        const bool installed = QFileInfo(beside).isExecutable();
        QString path, folder;
        QCOMPARE(GetKeyValue(HKEY_LOCAL_MACHINE, msinfoKeyText, QStringLiteral("PATH"), path), installed);
        QCOMPARE(GetKeyValue(HKEY_LOCAL_MACHINE, locationKey, QStringLiteral("MSINFO"), folder), installed);
        if (installed) {
            QCOMPARE(path, beside);
            QCOMPARE(Paths::join(folder, Registry::systemInfoProgramName()), beside);
        }
        QString other;
        QVERIFY(!GetKeyValue(HKEY_CURRENT_USER, msinfoKeyText, QStringLiteral("PATH"), other));
    }
};

QUILLON_TEST_MAIN(TestSystemInfo)
#include "test_system_info.moc"
