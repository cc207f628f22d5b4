#include "platform/environment.h"

#include "platform/engine_profile.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLoggingCategory>
#include <cstdio>
#include <unistd.h>

static void initResources() { Q_INIT_RESOURCE(resources); }

namespace Environment {

void prepareProcess()
{
    // Chromium refuses to run its sandbox as root; an ordinary user keeps it.
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("quillon: running as root, so the web engine's sandbox is off\n", stderr);
    }
    // Chromium's own diagnostics (GPU set-up on virtual displays and the like) are not for
    // the user's terminal; fatal errors still show.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--log-level=3");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine reports its GL set-up at every start; that is not for the user.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

void prepareApplication(QApplication &app)
{
    initResources();
    QApplication::setApplicationName(QStringLiteral("Quillon's Browser"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(QUILLON_VERSION_MAJOR)
                                            .arg(QUILLON_VERSION_MINOR)
                                            .arg(QUILLON_VERSION_PATCH));
    QApplication::setDesktopFileName(QStringLiteral("quillon"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icon/quillon.ico")));

    // The designs name Windows fonts; these are their nearest free equivalents.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"), {QStringLiteral("Liberation Mono")});
    QFont::insertSubstitutions(QStringLiteral("MS Serif"), {QStringLiteral("Liberation Serif")});
    QFont::insertSubstitutions(QStringLiteral("Verdana"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Monotype Corsiva"), {QStringLiteral("Z003")});
    QFont defaultFont(QStringLiteral("MS Sans Serif"));
    defaultFont.setPointSizeF(8.25);
    QApplication::setFont(defaultFont);
}

void shutdown() { EngineProfile::release(); }

} // namespace Environment
