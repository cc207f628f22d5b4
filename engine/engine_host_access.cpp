#include "engine/engine_host.h"

// Until the program installs its dialogs: nothing shared, no file chosen, no certificate sent.
namespace EngineHost {
Override<ScreenChooser> &chooseScreen()
{
    static Override<ScreenChooser> current(
        [](QWidget *, const ScreenShareRequest &, QObject *) { return std::optional<ScreenShareChoice>(); });
    return current;
}

Override<FileChooser> &chooseFiles()
{
    static Override<FileChooser> current([](QWidget *, const FileChoiceRequest &) { return QStringList(); });
    return current;
}

Override<ClientCertificateChooser> &chooseClientCertificate()
{
    static Override<ClientCertificateChooser> current(
        [](QWidget *, const ClientCertificateRequest &, QObject *) { return std::optional<int>(); });
    return current;
}
} // namespace EngineHost
