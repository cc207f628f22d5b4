#include "app/program.h"

#include "common/resources.h"
#include "dialogs/engine_dialogs.h"
#include "engine/qtwebengine/environment.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace Program {

void prepareProcess() { Environment::prepareProcess(); }

void prepareApplication(QApplication &app)
{
    Resources::init();
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

    Environment::prepareApplication();
    EngineDialogs::install();
}

void shutdown() { Environment::shutdown(); }

} // namespace Program
