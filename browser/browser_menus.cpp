// The browser window's menu tree and toolbar, and the wiring of every handler.

#include "browser/browser_window.h"

#include "platform/failure.h"
#include "platform/web_engine.h"

#include <QComboBox>
#include <QIcon>
#include <array>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace {
QAction *addItem(QMenu *menu, const char *itemName, const QString &caption,
                 const QKeySequence &shortcut = {})
{
    auto *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(itemName));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QMenu *addMenu(QMenuBar *bar, const char *menuName, const QString &caption)
{
    QMenu *menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(menuName));
    return menu;
}

struct ButtonDefinition {
    const char *caption;
    const char *key;
    const char *tooltip;
};

// Caption, Key (the description equals the caption) and tooltip, in toolbar order.
const ButtonDefinition toolbarDefinition[] = {
    {"Back", "back", "Previous Page"},   {"Forward", "forward", "Next Page"},
    {"Refresh", "refresh", "Refresh Page"}, {"Stop", "stop", "Stop Downloading"},
    {"Home", "home", "Home Page"},        {"Search", "search", "Serach Page"},
};

// On HiDPI screens each picture pixel becomes a crisp block rather than a smooth blur.
QPixmap doubled(const QPixmap &picture)
{
    QPixmap big = picture.scaled(picture.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    big.setDevicePixelRatio(2);
    return big;
}

// Shared by every window: the icon's cached pixmaps are then made once, not once a window.
// Built on first use and kept for the life of the process (never destroyed after the
// application object).
const QIcon &toolbarIcon(int picture)
{
    static const auto *icons = [] {
        auto *all = new std::array<QIcon, 6>;
        for (int n = 1; n <= 6; ++n) {
            // Grey pictures normally and when disabled; the colour picture under the pointer.
            const QPixmap grey(QStringLiteral(":/toolbar/grey%1.jpg").arg(n));
            const QPixmap colour(QStringLiteral(":/toolbar/colour%1.jpg").arg(n));
            QIcon &icon = (*all)[n - 1];
            for (const QPixmap &picture : {grey, doubled(grey)}) {
                icon.addPixmap(picture, QIcon::Normal);
                icon.addPixmap(picture, QIcon::Disabled);
            }
            icon.addPixmap(colour, QIcon::Active);
            icon.addPixmap(doubled(colour), QIcon::Active);
        }
        return all;
    }();
    return icons->at(picture - 1);
}
} // namespace

void Browser::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = addMenu(bar, "File", QStringLiteral("&File"));
    New = addItem(file, "New", QStringLiteral("&New "), QKeySequence(Qt::CTRL | Qt::Key_N));
    Open = addItem(file, "Open", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    Save = addItem(file, "Save", QStringLiteral("&Save"));
    SaveAs = addItem(file, "SaveAs", QStringLiteral("Save &As"), QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator()->setObjectName(QStringLiteral("sep1"));
    pagesetup = addItem(file, "pagesetup", QStringLiteral("Page Set&up"));
    print = addItem(file, "print", QStringLiteral("&Print"));
    printpreview = addItem(file, "printpreview", QStringLiteral("Print Pre&view"));
    file->addSeparator()->setObjectName(QStringLiteral("sep4"));
    properties = addItem(file, "properties", QStringLiteral("Prope&rties"));
    offline = addItem(file, "offline", QStringLiteral("O&ffline"));
    Exit = addItem(file, "Exit", QStringLiteral("&Exit"),
                   QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F12));

    QMenu *edit = addMenu(bar, "Edit", QStringLiteral("&Edit"));
    Cut = addItem(edit, "Cut", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    Copy = addItem(edit, "Copy", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste = addItem(edit, "Paste", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    edit->addSeparator()->setObjectName(QStringLiteral("sep2"));
    selectall = addItem(edit, "selectall", QStringLiteral("Select A&ll"),
                        QKeySequence(Qt::CTRL | Qt::Key_A));
    edit->addSeparator()->setObjectName(QStringLiteral("sep3"));
    Find = addItem(edit, "Find", QStringLiteral("&Find(on this page)"),
                   QKeySequence(Qt::CTRL | Qt::Key_F));

    QMenu *view = addMenu(bar, "View", QStringLiteral("&View"));
    Stopbrw = addItem(view, "Stopbrw", QStringLiteral("&Stop"));
    Refreshbrw = addItem(view, "Refreshbrw", QStringLiteral("&Refresh"));

    atf = addItem(addMenu(bar, "Favourites", QStringLiteral("F&avourites")), "atf",
                  QStringLiteral("&Add To Favourites"));
    ioptions = addItem(addMenu(bar, "Tools", QStringLiteral("&Tools")), "ioptions",
                       QStringLiteral("Internet &Options"));
    Aboutus = addItem(addMenu(bar, "Help", QStringLiteral("&Help")), "Aboutus",
                      QStringLiteral("&About Us"));
}

void Browser::buildToolbar()
{
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    Toolbar1->setIconSize(QSize(20, 20));
    Toolbar1->setContentsMargins(0, 0, 0, 0);
    int picture = 1;
    for (const ButtonDefinition &def : toolbarDefinition) {
        auto *button = new QToolButton(Toolbar1);
        const QString caption = QString::fromLatin1(def.caption);
        button->setObjectName(QString::fromLatin1(def.key));
        button->setProperty("Key", QString::fromLatin1(def.key));
        button->setText(caption);
        button->setAccessibleName(caption);
        button->setAccessibleDescription(QString::fromLatin1(def.tooltip));
        button->setToolTip(QString::fromLatin1(def.tooltip));
        button->setIcon(toolbarIcon(picture++));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFixedSize(76, 26);
        Toolbar1->addWidget(button);
        m_buttons.append(button);
    }
    // Focus order of the design: the page, the toolbar, the address box, then Go.
    QWidget *previous = WebBrowser1->control();
    for (QToolButton *button : std::as_const(m_buttons)) {
        setTabOrder(previous, button);
        previous = button;
    }
    setTabOrder(previous, ComboURL);
    setTabOrder(ComboURL, Go);
}

void Browser::connectHandlers()
{
    // Every handler enters through unguarded(): a failure it does not handle itself is
    // shown by the program's uncaught-error handler, and the window goes on.
    const auto onTriggered = [this](QAction *action, void (Browser::*handler)()) {
        connect(action, &QAction::triggered, this, [this, handler] { unguarded([&] { (this->*handler)(); }); });
    };
    onTriggered(New, &Browser::New_Click);
    onTriggered(Open, &Browser::Open_Click);
    onTriggered(Save, &Browser::Save_Click);
    onTriggered(SaveAs, &Browser::SaveAs_Click);
    onTriggered(pagesetup, &Browser::pagesetup_Click);
    onTriggered(print, &Browser::print_Click);
    onTriggered(printpreview, &Browser::printpreview_Click);
    onTriggered(properties, &Browser::properties_Click);
    onTriggered(offline, &Browser::offline_Click);
    onTriggered(Exit, &Browser::Exit_Click);
    onTriggered(Stopbrw, &Browser::Stopbrw_Click);
    onTriggered(Refreshbrw, &Browser::Refreshbrw_Click);
    onTriggered(Cut, &Browser::Cut_Click);
    onTriggered(Copy, &Browser::Copy_Click);
    onTriggered(Paste, &Browser::Paste_Click);
    onTriggered(selectall, &Browser::selectall_Click);
    onTriggered(Find, &Browser::Find_Click);
    onTriggered(atf, &Browser::atf_Click);
    onTriggered(ioptions, &Browser::ioptions_Click);
    onTriggered(Aboutus, &Browser::Aboutus_Click);

    connect(Go, &QPushButton::clicked, this, [this] { unguarded([this] { Go_Click(); }); });
    for (QToolButton *button : std::as_const(m_buttons)) {
        connect(button, &QToolButton::clicked, this,
                [this, button] { unguarded([&] { Toolbar1_ButtonClick(button); }); });
    }

    WebEngine *engine = WebBrowser1;
    connect(engine, &WebEngine::DownloadBegin, this,
            [this] { unguarded([this] { WebBrowser1_DownloadBegin(); }); });
    connect(engine, &WebEngine::DownloadComplete, this,
            [this] { unguarded([this] { WebBrowser1_DownloadComplete(); }); });
    connect(engine, &WebEngine::ProgressChange, this, [this](int progress, int max) {
        unguarded([&] { WebBrowser1_ProgressChange(progress, max); });
    });
    connect(engine, &WebEngine::TitleChange, this,
            [this](const QString &text) { unguarded([&] { WebBrowser1_TitleChange(text); }); });
    connect(engine, &WebEngine::NavigateComplete2, this, [this](QObject *pDisp, const QString &url) {
        unguarded([&] { WebBrowser1_NavigateComplete2(pDisp, url); });
    });
    // Direct: the engine needs the new window's engine before the signal returns.
    connect(engine, &WebEngine::NewWindow2, this,
            [this](WebEngine **ppDisp, bool *cancel) {
                unguarded([&] { WebBrowser1_NewWindow2(ppDisp, cancel); });
            },
            Qt::DirectConnection);
}

bool Browser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client && event->type() == QEvent::Resize) {
        dockBars();
        unguarded([this] { Form_Resize(); });
    } else if (watched == ComboURL && event->type() == QEvent::FocusIn) {
        unguarded([this] { ComboURL_GotFocus(); });
    } else if (watched == ComboURL && event->type() == QEvent::ShortcutOverride) {
        // The Edit menu's shortcuts run its commands here too, in place of the line edit's own.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const QAction *item : {Cut, Copy, Paste, selectall}) {
            if (item->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    } else if (watched == ComboURL && event->type() == QEvent::KeyPress) {
        // Keys reach the combo box first (its line edit forwards the focus to it).
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const int keyAscii = enter ? 13 : (key->text().isEmpty() ? 0 : key->text().at(0).unicode());
        if (keyAscii != 0)
            unguarded([&] { ComboURL_KeyPress(keyAscii); });
        // The key goes on to the address box as well.
    }
    return QMainWindow::eventFilter(watched, event);
}
