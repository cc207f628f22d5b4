#include "engine/qtwebengine/page/page_menu.h"

#include "common/failure.h"
#include "engine/qtwebengine/page/page_commands.h"
#include "engine/qtwebengine/setup/spelling.h"

#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>

namespace {

// The engine offers Inspect only while its tools are open; ours opens them, on the element
// under the pointer, from every page's menu.
void addInspect(QWebEngineView *view, QMenu *menu, const std::function<void()> &inspect)
{
    menu->removeAction(view->pageAction(QWebEnginePage::InspectElement));
    const QList<QAction *> items = menu->actions();
    if (!items.isEmpty() && !items.constLast()->isSeparator())
        menu->addSeparator();
    QAction *inspectItem = menu->addAction(QObject::tr("I&nspect"));
    inspectItem->setObjectName(QStringLiteral("inspect"));
    QObject::connect(inspectItem, &QAction::triggered, view, [inspect] { unguarded(inspect); });
}

// On a misspelled word, below the engine's suggestions (which end in a separator): the word is
// taken as spelled right from now on, in every page of the run.
void addAddToDictionary(QWebEngineView *view, QMenu *menu)
{
    const QWebEngineContextMenuRequest *request = view->lastContextMenuRequest();
    if (!request || request->misspelledWord().isEmpty() || !Spelling::canAddWords())
        return;
    auto *add = new QAction(QObject::tr("&Add to dictionary"), menu);
    add->setObjectName(QStringLiteral("addToDictionary"));
    QObject::connect(add, &QAction::triggered, view, [view, word = request->misspelledWord()] {
        unguarded([view, word] { Spelling::addWord(view->page()->profile(), word); });
    });
    const QList<QAction *> items = menu->actions();
    const QStringList suggestions = request->spellCheckerSuggestions();
    const auto first = std::find_if(items.cbegin(), items.cend(),
                                    [&](QAction *item) { return suggestions.contains(item->text()); });
    const auto separator = std::find_if(first, items.cend(), [](QAction *item) { return item->isSeparator(); });
    if (separator != items.cend()) {
        menu->insertAction(*separator, add);
        return;
    }
    menu->insertAction(items.value(0), add);
    menu->insertSeparator(items.value(0));
}

void popUp(QWebEngineView *view, PageCommands *commands, const std::function<void()> &inspect, const QPoint &position)
{
    QMenu *menu = view->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The engine's own Save page hands the question to whoever answers its downloads, with no
    // dialog of ours first; a save it asks about and nobody takes puts its next save out of
    // step (that save's progress is never reported). Ours asks first, then saves.
    if (QAction *engineSave = view->pageAction(QWebEnginePage::SavePage); menu->actions().contains(engineSave)) {
        auto *save = new QAction(engineSave->text(), menu);
        save->setObjectName(QStringLiteral("savePage"));
        QObject::connect(save, &QAction::triggered, commands, [commands] { unguarded([commands] { commands->saveAs(); }); });
        menu->insertAction(engineSave, save);
        menu->removeAction(engineSave);
    }
    addAddToDictionary(view, menu);
    addInspect(view, menu, inspect);
    menu->popup(view->mapToGlobal(position));
}

} // namespace

namespace PageMenu {

void attach(QWebEngineView *view, PageCommands *commands, std::function<void()> inspect)
{
    QWebEnginePage *page = view->page();
    page->action(QWebEnginePage::SavePage)->setText(QObject::tr("Save &Page As..."));
    page->action(QWebEnginePage::DownloadLinkToDisk)->setText(QObject::tr("Save Lin&k As..."));
    page->action(QWebEnginePage::DownloadImageToDisk)->setText(QObject::tr("Save &Image As..."));
    page->action(QWebEnginePage::CopyImageToClipboard)->setText(QObject::tr("Copy I&mage"));
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, commands,
                     [view, commands, inspect = std::move(inspect)](const QPoint &position) {
                         popUp(view, commands, inspect, position);
                     });
}

} // namespace PageMenu
