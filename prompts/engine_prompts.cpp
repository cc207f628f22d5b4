#include "prompts/engine_prompts.h"

#include "engine/engine_host.h"
#include "prompts/client_certificate_dialog.h"
#include "prompts/downloads_window.h"
#include "prompts/file_chooser.h"
#include "prompts/notification_service.h"
#include "prompts/page_dialog.h"
#include "prompts/question_bar.h"
#include "prompts/screen_chooser.h"
#include "prompts/sign_in_dialog.h"

namespace EnginePrompts {
void install()
{
    EngineHost::askDownloadTarget().set(&DownloadsWindow::askTarget);
    EngineHost::showDownload().set([](QWidget *parent, Download *) { DownloadsWindow::showFor(parent); });
    EngineHost::signIn().set(&SignInDialog::ask);
    EngineHost::askPermission().set(&QuestionBar::ask);
    EngineHost::pageDialog().set(&PageDialog::ask);
    EngineHost::chooseScreen().set(&ScreenChooser::ask);
    EngineHost::chooseFiles().set(&FileChooser::choose);
    EngineHost::chooseClientCertificate().set(&ClientCertificateDialog::ask);
    EngineHost::showNotification().set(&NotificationService::present);
}
} // namespace EnginePrompts
