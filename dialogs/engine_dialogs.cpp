#include "dialogs/engine_dialogs.h"

#include "dialogs/properties_dialog.h"
#include "engine/engine_host.h"

namespace EngineDialogs {
void install() { EngineHost::showProperties().set(&PageProperties::show); }
} // namespace EngineDialogs
