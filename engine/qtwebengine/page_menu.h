#pragma once
// The page's context menu: the engine's own, with "Save page" asking like File > Save As (same
// dialog, same formats) and links and images saved through the download path, so every save
// starts with the user's answer and none is left unanswered. On a misspelled word it offers the
// engine's suggestions and Add to dictionary; on every page, Inspect opens the developer tools
// there.

class PageCommands;
class QWebEngineView;

namespace PageMenu {
// From now on the view's context menu is this one.
void attach(QWebEngineView *view, PageCommands *commands);
}
