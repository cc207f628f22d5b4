#pragma once
// The pages the program carries in its resources: what Home and Search show.

class QUrl;

namespace BuiltInPages {
const QUrl &home();
const QUrl &search();
} // namespace BuiltInPages
