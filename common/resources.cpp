#include "common/resources.h"

#include <QtGlobal>

static void initResources() { Q_INIT_RESOURCE(resources); }

namespace Resources {
void init() { initResources(); }
} // namespace Resources
