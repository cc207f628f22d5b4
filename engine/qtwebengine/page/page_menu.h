#pragma once
// The page's context menu: the engine's own, with "Save page" asking like File > Save As (same
// dialog, same formats) and links and images saved through the download path, so every save
// starts with the user's answer and none is left unanswered. On a misspelled word it offers the
// engine's suggestions and Add to dictionary; on every page, Inspect opens the developer tools
// there.

#include <functional>

class PageCommands;
class QWebEngineView;

namespace PageMenu {
// From now on the view's context menu is this one; its Inspect item calls inspect.
void attach(QWebEngineView *view, PageCommands *commands, std::function<void()> inspect);
}
