#include "engine/qtwebengine/page_menu.h"

#include "common/failure.h"
#include "engine/qtwebengine/page_commands.h"
#include "engine/qtwebengine/qt_web_engine.h"

#include <QMenu>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The engine offers Inspect only while its tools are open; ours opens them, on the element
// under the pointer, from every page's menu.
void addInspect(QWebEngineView *view, QMenu *menu)
{
    QtWebEngine *engine = QtWebEngine::forPage(view->page());
    if (!engine)
        return;
    menu->removeAction(view->pageAction(QWebEnginePage::InspectElement));
    const QList<QAction *> items = menu->actions();
    if (!items.isEmpty() && !items.constLast()->isSeparator())
        menu->addSeparator();
    QAction *inspect = menu->addAction(QObject::tr("I&nspect"));
    inspect->setObjectName(QStringLiteral("inspect"));
    QObject::connect(inspect, &QAction::triggered, engine, [engine] { unguarded([engine] { engine->inspectElement(); }); });
}

void popUp(QWebEngineView *view, PageCommands *commands, const QPoint &position)
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
    addInspect(view, menu);
    menu->popup(view->mapToGlobal(position));
}

} // namespace

namespace PageMenu {

void attach(QWebEngineView *view, PageCommands *commands)
{
    QWebEnginePage *page = view->page();
    page->action(QWebEnginePage::SavePage)->setText(QObject::tr("Save &Page As..."));
    page->action(QWebEnginePage::DownloadLinkToDisk)->setText(QObject::tr("Save Lin&k As..."));
    page->action(QWebEnginePage::DownloadImageToDisk)->setText(QObject::tr("Save &Image As..."));
    page->action(QWebEnginePage::CopyImageToClipboard)->setText(QObject::tr("Copy I&mage"));
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, commands,
                     [view, commands](const QPoint &position) { popUp(view, commands, position); });
}

} // namespace PageMenu
