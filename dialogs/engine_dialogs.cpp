#include "dialogs/engine_dialogs.h"

#include "dialogs/downloads_window.h"
#include "dialogs/page_dialog.h"
#include "dialogs/properties_dialog.h"
#include "dialogs/question_bar.h"
#include "dialogs/sign_in_dialog.h"
#include "engine/engine_host.h"

namespace EngineDialogs {
void install()
{
    EngineHost::showProperties().set(&PageProperties::show);
    EngineHost::askDownloadTarget().set(&DownloadsWindow::askTarget);
    EngineHost::showDownload().set([](QWidget *parent, Download *) { DownloadsWindow::showFor(parent); });
    EngineHost::signIn().set(&SignInDialog::ask);
    EngineHost::askPermission().set(&QuestionBar::ask);
    EngineHost::pageDialog().set(&PageDialog::ask);
}
} // namespace EngineDialogs
