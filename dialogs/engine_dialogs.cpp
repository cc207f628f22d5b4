#include "dialogs/engine_dialogs.h"

#include "dialogs/downloads_window.h"
#include "dialogs/properties_dialog.h"
#include "engine/engine_host.h"

namespace EngineDialogs {
void install()
{
    EngineHost::showProperties().set(&PageProperties::show);
    EngineHost::askDownloadTarget().set(&DownloadsWindow::askTarget);
    EngineHost::showDownload().set([](QWidget *parent, Download *) { DownloadsWindow::showFor(parent); });
}
} // namespace EngineDialogs
