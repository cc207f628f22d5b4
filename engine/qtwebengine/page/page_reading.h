#pragma once
// The page's text and structure for the reading view, read by a script in a world of its own:
// the page's scripts neither see nor change it, and it only reads what the page already holds.

#include <QString>
#include <functional>

class QObject;
class QWebEnginePage;

namespace PageReading {
// The JSON the reading view builds its text from (see WebEngine::readPageText); empty when the
// page could not be read. The handler runs only while context lives.
void read(QWebEnginePage *page, QObject *context, std::function<void(const QString &json)> handler);
// The script itself, for tests that read a page without a window.
const QString &script();
} // namespace PageReading
