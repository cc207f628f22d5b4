#pragma once
// A document the engine shows in its own viewer rather than as a web page: a PDF. Saving it
// saves the file itself; printing it needs an engine that prints the document and not the
// viewer's controls around it.

#include <QtGlobal>
#include <QtWebEngineCoreVersion>

class QWebEnginePage;

namespace ShownDocument {
// Whether the page shows a PDF; asks the page, waiting at most a second for its answer.
bool isPdf(QWebEnginePage *page);

// Qt WebEngine before 6.7 prints the PDF viewer's own controls instead of the document.
constexpr bool enginePrintsPdf = QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 7, 0);
} // namespace ShownDocument
