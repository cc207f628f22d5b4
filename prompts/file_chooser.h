#pragma once
// The file dialogs a page opens: its file inputs and its save, open and folder pickers. They
// are the program's own dialogs, run as every dialog of the program is.

#include "engine/engine_host.h"

#include <QStringList>

namespace FileChooser {
// The files or folder chosen, as absolute paths; empty when cancelled.
QStringList choose(QWidget *pageArea, const FileChoiceRequest &request);
}
