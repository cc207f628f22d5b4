#pragma once
// What the Properties command shows about a page, read from the page and, for local files,
// from the file itself.

#include "engine/engine_host.h"

class QUrl;
class QWebEnginePage;

namespace PageFactsReader {
// Asks the page for what only it knows (type, size), waiting at most a few seconds.
PageFacts read(QWebEnginePage *page, const QUrl &url);
} // namespace PageFactsReader
