#include "app/program.h"

#include "app/accessible_windows.h"
#include "common/resources.h"
#include "dialogs/properties_dialog.h"
#include "engine/engine_host.h"
#include "engine/qtwebengine/environment.h"
#include "prompts/engine_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

namespace {
QTemporaryDir *&settingsFolder()
{
    static QTemporaryDir *folder = nullptr;
    return folder;
}

// What the toolkit keeps for itself (the file dialog's recent folders and the like) lives in a
// folder of the run's own and goes with it: nothing of a run is written to the user's home.
// In the user's runtime folder, which the system empties at logout, should the run be killed.
// Returns that folder, empty when there is none.
QString keepToolkitSettingsForTheRun()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    settingsFolder() = new QTemporaryDir(base + QStringLiteral("/quillon-settings-XXXXXX"));
    // Removed once the application object has gone, and the engine with it: until then its GPU
    // thread may still be writing shaders into the folder, which could not be removed whole.
    std::atexit([] {
        delete settingsFolder();
        settingsFolder() = nullptr;
    });
    if (!settingsFolder()->isValid()) {
        qputenv("MESA_SHADER_CACHE_DISABLE", "true"); // nowhere of the run's own: no cache at all
        return {};
    }
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, settingsFolder()->path());
    // Mesa's shader cache, which it would keep in the home folder, is the run's too. Without
    // one, every new window's GL context compiles the same shaders again: with the software
    // renderer that is most of what opening a window costs.
    qputenv("MESA_SHADER_CACHE_DIR", QFile::encodeName(settingsFolder()->filePath(QStringLiteral("shaders"))));
    return settingsFolder()->path();
}
} // namespace

namespace Program {

void prepareProcess()
{
    // The run's own folder comes first: Mesa keeps its shader cache there, not in the home
    // folder (newer releases cache even for the software renderer), from the toolkit's first
    // GL context on; the engine keeps there the words the user adds to the dictionary.
    const QString runFolder = keepToolkitSettingsForTheRun();
    Environment::prepareProcess(runFolder);
    AccessibleWindows::install();
    // Compiled shaders would be cached in the user's home; compiling them again costs little.
    QCoreApplication::setAttribute(Qt::AA_DisableShaderDiskCache);
}

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
    EnginePrompts::install();
    EngineHost::showProperties().set(&PageProperties::show);
}

void shutdown()
{
    Environment::shutdown();
}

void end()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows.append(window);
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    shutdown();
}

} // namespace Program
