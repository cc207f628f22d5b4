// The About dialog: its version line, its design, and how Enter, Esc and its buttons close it
// or start the system-information program.

#include "dialogs/about_dialog.h"
#include "dialogs/system_info.h"
#include "common/message_box.h"
#include "banner/banner_player.h"
#include "support/test_main.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

class TestAboutDialog : public QObject {
    Q_OBJECT

    QStringList messages;

private Q_SLOTS:
    void init()
    {
        Registry::backend().set(std::make_shared<Registry::MemoryRegistry>()); // nothing registered
        messages.clear();
        MessageBox::sink().set([this](const QString &text) { messages << text; });
        SystemInfo::launcher().set([](const QString &) { return false; });
    }

    void cleanup()
    {
        delete frmAbout::current();
        Registry::backend().set(nullptr);
        MessageBox::sink().set({});
        SystemInfo::launcher().set({});
    }

    void versionLineFromTheBuildsNumbers()
    {
        QCOMPARE(frmAbout::versionLine(), QStringLiteral("Version 1.0.0"));
        QCOMPARE(frmAbout::shared()->lblVersion->text(), QStringLiteral("Version 1.0.0"));
    }

    void design()
    {
        frmAbout *about = frmAbout::shared();
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowTitle(), QStringLiteral("About Quillon's Browser"));
        QCOMPARE(about->size(), QSize(382, 237));
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QVERIFY(!(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(about->geometry().topLeft(),
                 about->screen()->geometry().topLeft() + QPoint(156, 129));

        QCOMPARE(about->lblTitle->text(), QStringLiteral("Quillon 's Browser"));
        QCOMPARE(about->lblTitle->x(), 141);
        QVERIFY(about->lblTitle->width() >= about->lblTitle->fontMetrics().horizontalAdvance(about->lblTitle->text()));
        const QString description = about->lblDescription->text();
        QVERIFY(description.startsWith(QStringLiteral("This Is Your Own Browser .             You  Can Make")));
        QVERIFY(description.contains(QStringLiteral("Me At     quillon@example.com            Please")));
        QVERIFY(description.endsWith(QStringLiteral("Comments.") + QString(32, QLatin1Char(' '))
                                     + QStringLiteral("ThankYou ------Quillon")));
        QVERIFY(about->lblDisclaimer->text().startsWith(QStringLiteral("Warning: ...You Need")));
        QCOMPARE(about->lblDescription->font().pointSizeF(), 9.0);
        QCOMPARE(about->lblTitle->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(about->ShockwaveFlash1->geometry(), QRect(8, 8, 57, 41));
        QCOMPARE(about->cmdSysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(about->cmdOK->isDefault());
        QCOMPARE(about->cmdOK->nextInFocusChain(), about->cmdSysInfo);
        QCOMPARE(about->focusWidget(), about->cmdOK);
    }

    void enterAndEscape()
    {
        // Esc closes wherever the focus is.
        frmAbout *about = frmAbout::shared();
        about->show();
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        about->cmdSysInfo->setFocus();
        QTest::keyClick(about->cmdSysInfo, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        delete about;

        // Enter on the system-information button starts it (here: the message) and stays open.
        about = frmAbout::shared();
        about->show();
        about->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        about->cmdSysInfo->setFocus();
        QTest::keyClick(about->cmdSysInfo, Qt::Key_Return);
        QCOMPARE(messages, QStringList{SystemInfo::unavailableMessage()});
        QVERIFY(about->isVisible());

        // Enter anywhere else closes it.
        about->cmdOK->setFocus();
        QTest::keyClick(about->cmdOK, Qt::Key_Return);
        QVERIFY(!about->isVisible());
    }

    void sysInfoStartsTheRegisteredProgram()
    {
        auto registry = std::make_shared<Registry::MemoryRegistry>();
        registry->setString(Registry::HKEY_LOCAL_MACHINE,
                            QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                            QStringLiteral("PATH"), QStringLiteral("/opt/sysinfo"));
        Registry::backend().set(registry);
        QStringList started;
        SystemInfo::launcher().set([&started](const QString &path) {
            started << path;
            return true;
        });
        frmAbout *about = frmAbout::shared();
        about->show();
        QTest::mouseClick(about->cmdSysInfo, Qt::LeftButton);
        QCOMPARE(started, QStringList{QStringLiteral("/opt/sysinfo")});
        QVERIFY(messages.isEmpty());
        QVERIFY(about->isVisible());
    }

    void eachOpeningLoadsAfresh()
    {
        for (int round = 0; round < 2; ++round) {
            QPointer<frmAbout> seen;
            QTimer::singleShot(0, this, [&seen] {
                seen = frmAbout::current();
                seen->lblVersion->setText(QStringLiteral("changed"));
                QTest::mouseClick(seen->cmdOK, Qt::LeftButton);
            });
            frmAbout::showShared();
            QVERIFY(seen.isNull()); // unloaded when it closed
            QVERIFY(!frmAbout::current());
        }
        QCOMPARE(frmAbout::shared()->lblVersion->text(), QStringLiteral("Version 1.0.0"));
    }
};

QUILLON_TEST_MAIN(TestAboutDialog)
#include "test_about_dialog.moc"
