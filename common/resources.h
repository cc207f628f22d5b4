#pragma once
// The program's built-in resources (icon, toolbar pictures, banners, pages) live in this
// library; a static library's resources are registered only when asked.

namespace Resources {
void init();
}
