#include "engine/engine_host.h"

// Until the program installs its dialogs, every question gets the safe answer: no.
namespace EngineHost {
Override<SignIn> &signIn()
{
    static Override<SignIn> current(
        [](QWidget *, const SignInRequest &) { return std::optional<Credentials>(); });
    return current;
}

Override<PermissionAsk> &askPermission()
{
    static Override<PermissionAsk> current(
        [](QWidget *, const PermissionQuestion &, QObject *, std::function<void(bool)> answer) {
            answer(false);
        });
    return current;
}

Override<PageDialog> &pageDialog()
{
    static Override<PageDialog> current(
        [](QWidget *, const PageDialogRequest &, QObject *) { return PageDialogAnswer(); });
    return current;
}

Override<NotificationView> &showNotification()
{
    static Override<NotificationView> current(
        [](QWidget *, const PageNotification &, QObject *, NotificationEvents events) { events.closed(); });
    return current;
}
} // namespace EngineHost
