// The browser window's menus, one row per command: the row builds the item and connects it
// to its handler, so an item cannot exist without the handler it runs.

#include "browser/browser_window.h"

#include "common/connect_guarded.h"

#include <QMenu>
#include <QMenuBar>

namespace {

struct MenuDefinition {
    const char *name;
    const char *caption;
};

const MenuDefinition menuDefinitions[] = {
    {"File", "&File"},           {"Edit", "&Edit"},   {"View", "&View"},
    {"Favourites", "F&avourites"}, {"Tools", "&Tools"}, {"Help", "&Help"},
};

struct MenuItem {
    const char *menu;    // the menu's name
    const char *name;    // the item's name
    const char *caption; // null for a separator
    QKeyCombination shortcut;
    QAction *Browser::*member;
    void (Browser::*handler)();
};

constexpr QKeyCombination none{};

constexpr MenuItem menuItems[] = {
    {"File", "New", "&New ", Qt::CTRL | Qt::Key_N, &Browser::New, &Browser::New_Click},
    {"File", "Open", "&Open", Qt::CTRL | Qt::Key_O, &Browser::Open, &Browser::Open_Click},
    {"File", "Save", "&Save", none, &Browser::Save, &Browser::Save_Click},
    {"File", "SaveAs", "Save &As", Qt::CTRL | Qt::Key_S, &Browser::SaveAs, &Browser::SaveAs_Click},
    {"File", "sep1", nullptr, none, nullptr, nullptr},
    {"File", "pagesetup", "Page Set&up", none, &Browser::pagesetup, &Browser::pagesetup_Click},
    {"File", "print", "&Print", none, &Browser::print, &Browser::print_Click},
    {"File", "printpreview", "Print Pre&view", none, &Browser::printpreview, &Browser::printpreview_Click},
    {"File", "sep4", nullptr, none, nullptr, nullptr},
    {"File", "properties", "Prope&rties", none, &Browser::properties, &Browser::properties_Click},
    {"File", "offline", "O&ffline", none, &Browser::offline, &Browser::offline_Click},
    {"File", "Exit", "&Exit", Qt::SHIFT | Qt::CTRL | Qt::Key_F12, &Browser::Exit, &Browser::Exit_Click},
    {"Edit", "Cut", "Cu&t", Qt::CTRL | Qt::Key_X, &Browser::Cut, &Browser::Cut_Click},
    {"Edit", "Copy", "&Copy", Qt::CTRL | Qt::Key_C, &Browser::Copy, &Browser::Copy_Click},
    {"Edit", "Paste", "&Paste", Qt::CTRL | Qt::Key_V, &Browser::Paste, &Browser::Paste_Click},
    {"Edit", "sep2", nullptr, none, nullptr, nullptr},
    {"Edit", "selectall", "Select A&ll", Qt::CTRL | Qt::Key_A, &Browser::selectall, &Browser::selectall_Click},
    {"Edit", "sep3", nullptr, none, nullptr, nullptr},
    {"Edit", "Find", "&Find(on this page)", Qt::CTRL | Qt::Key_F, &Browser::Find, &Browser::Find_Click},
    {"View", "Stopbrw", "&Stop", none, &Browser::Stopbrw, &Browser::Stopbrw_Click},
    {"View", "Refreshbrw", "&Refresh", none, &Browser::Refreshbrw, &Browser::Refreshbrw_Click},
    {"Favourites", "atf", "&Add To Favourites", none, &Browser::atf, &Browser::atf_Click},
    {"Tools", "ioptions", "Internet &Options", none, &Browser::ioptions, &Browser::ioptions_Click},
    {"Help", "Aboutus", "&About Us", none, &Browser::Aboutus, &Browser::Aboutus_Click},
};

// Every item names both the member it fills and the handler it runs; a separator neither.
constexpr bool everyItemComplete()
{
    for (const MenuItem &item : menuItems) {
        const bool separator = item.caption == nullptr;
        if (separator != (item.member == nullptr) || separator != (item.handler == nullptr))
            return false;
    }
    return true;
}
static_assert(everyItemComplete(), "a menu item without its member or handler");

} // namespace

void Browser::buildMenus()
{
    QMenuBar *bar = menuBar();
    QHash<QByteArray, QMenu *> menus;
    for (const MenuDefinition &def : menuDefinitions) {
        QMenu *menu = bar->addMenu(QString::fromLatin1(def.caption));
        menu->setObjectName(QString::fromLatin1(def.name));
        menus.insert(def.name, menu);
    }
    for (const MenuItem &item : menuItems) {
        QMenu *menu = menus.value(item.menu);
        if (!item.caption) {
            menu->addSeparator()->setObjectName(QString::fromLatin1(item.name));
            continue;
        }
        QAction *action = menu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        if (item.shortcut != none)
            action->setShortcut(QKeySequence(item.shortcut));
        this->*item.member = action;
        connectGuarded(action, &QAction::triggered, this, item.handler);
    }
}
