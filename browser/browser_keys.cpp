#include "browser/browser_keys.h"

#include "browser/browser_window.h"
#include "common/connect_guarded.h"
#include "engine/web_engine.h"
#include "prompts/downloads_window.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <algorithm>
#include <iterator>

namespace {
constexpr double zoomSteps[] = {0.25, 0.33, 0.5, 0.67, 0.75, 0.8, 0.9, 1.0,
                                1.1,  1.25, 1.5, 1.75, 2.0,  2.5, 3.0, 4.0, 5.0};
constexpr double closeEnough = 0.005;

template <typename Handler>
void addKeys(Browser *window, const char *name, const QList<QKeySequence> &keys, Handler handler)
{
    auto *action = new QAction(window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    connectGuarded(action, &QAction::triggered, window, handler);
}

// A click on the button: its own handler runs, and only while the button is enabled.
void press(Browser *window, int button) { window->toolbarButton(button)->click(); }

void focusAddressBox(Browser *window)
{
    window->ComboURL->setFocus(Qt::ShortcutFocusReason);
    window->ComboURL->lineEdit()->selectAll();
}

// The page's source in a new window, as File > New makes one; a source view of an offline
// window stays offline.
void viewSource(Browser *window)
{
    const QString sourceScheme = QStringLiteral("view-source:");
    const QString address = window->WebBrowser1->LocationURL();
    if (address.isEmpty() || address.startsWith(sourceScheme))
        return;
    const bool offline = window->WebBrowser1->Offline();
    auto *source = new Browser;
    source->show();
    if (offline)
        source->WebBrowser1->setOffline(true);
    source->ComboURL->setEditText(sourceScheme + address);
    source->Go_Click();
}

void toggleFullScreen(Browser *window) { window->setWindowState(window->windowState() ^ Qt::WindowFullScreen); }

void escape(Browser *window)
{
    if (window->isFullScreen())
        toggleFullScreen(window);
    else
        press(window, 4);
}

void zoom(Browser *window, double (*step)(double))
{
    WebEngine *engine = window->WebBrowser1;
    engine->setZoomFactor(step ? step(engine->zoomFactor()) : 1.0);
}

// The keypad's and the keyboard group's bits make no other key of a command.
QKeySequence sequence(QKeyCombination key, Qt::KeyboardModifiers drop = {})
{
    return QKeySequence(QKeyCombination(key.keyboardModifiers() & ~(drop | Qt::KeypadModifier | Qt::GroupSwitchModifier),
                                        key.key()));
}

// A symbol that needs Shift (Ctrl+plus is Ctrl+Shift+= on many keyboards) stands for itself.
bool shiftedSymbol(QKeyCombination key)
{
    const int k = key.key();
    return key.keyboardModifiers() & Qt::ShiftModifier && k > Qt::Key_Space && k <= Qt::Key_AsciiTilde &&
           !(k >= Qt::Key_A && k <= Qt::Key_Z);
}

QList<QAction *> commands(const Browser *window)
{
    QList<QAction *> all = window->actions();
    for (const QAction *title : window->menuBar()->actions()) {
        if (title->menu())
            all += title->menu()->actions();
    }
    return all;
}
} // namespace

namespace BrowserKeys {

double zoomedIn(double factor)
{
    const auto next = std::find_if(std::begin(zoomSteps), std::end(zoomSteps),
                                   [factor](double s) { return s > factor + closeEnough; });
    return next == std::end(zoomSteps) ? zoomSteps[std::size(zoomSteps) - 1] : *next;
}

double zoomedOut(double factor)
{
    const auto next = std::find_if(std::rbegin(zoomSteps), std::rend(zoomSteps),
                                   [factor](double s) { return s < factor - closeEnough; });
    return next == std::rend(zoomSteps) ? zoomSteps[0] : *next;
}

void install(Browser *w)
{
    addKeys(w, "keyBack", {Qt::ALT | Qt::Key_Left, Qt::Key_Back}, [w] { press(w, 1); });
    addKeys(w, "keyForward", {Qt::ALT | Qt::Key_Right, Qt::Key_Forward}, [w] { press(w, 2); });
    addKeys(w, "keyRefresh", {Qt::Key_F5, Qt::CTRL | Qt::Key_R, Qt::Key_Refresh}, [w] { press(w, 3); });
    addKeys(w, "keyStop", {Qt::Key_Escape, Qt::Key_Stop}, [w] { escape(w); });
    addKeys(w, "keyAddress", {Qt::CTRL | Qt::Key_L, Qt::ALT | Qt::Key_D, Qt::Key_F6},
            [w] { focusAddressBox(w); });
    addKeys(w, "keyZoomIn", {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal},
            [w] { zoom(w, &zoomedIn); });
    addKeys(w, "keyZoomOut", {Qt::CTRL | Qt::Key_Minus}, [w] { zoom(w, &zoomedOut); });
    addKeys(w, "keyZoomReset", {Qt::CTRL | Qt::Key_0}, [w] { zoom(w, nullptr); });
    addKeys(w, "keyClose", {Qt::CTRL | Qt::Key_W}, [w] { w->close(); }); // as the close box
    addKeys(w, "keyPrint", {Qt::CTRL | Qt::Key_P}, [w] { w->print->trigger(); });
    addKeys(w, "keyFullScreen", {Qt::Key_F11}, [w] { toggleFullScreen(w); });
    addKeys(w, "keySource", {Qt::CTRL | Qt::Key_U}, [w] { viewSource(w); });
    addKeys(w, "keyDownloads", {Qt::CTRL | Qt::Key_J}, [w] { DownloadsWindow::showFor(w); });
    addKeys(w, "keyReadingView", {Qt::CTRL | Qt::ALT | Qt::Key_R}, [w] { w->toggleReadingView(); });
    // Ctrl+Shift+F12 stays File > Exit.
    addKeys(w, "keyDeveloperTools", {Qt::Key_F12, Qt::CTRL | Qt::SHIFT | Qt::Key_I},
            [w] { w->WebBrowser1->showDeveloperTools(); });
}

bool reserved(const Browser *w, QKeyCombination key)
{
    const QKeySequence pressed = sequence(key);
    if (pressed == QKeySequence(Qt::Key_Escape))
        return w->isFullScreen(); // it always leaves full screen
    const QAction *close = w->findChild<QAction *>(QStringLiteral("keyClose"));
    const QAction *fullScreen = w->findChild<QAction *>(QStringLiteral("keyFullScreen"));
    for (const QAction *command : std::initializer_list<const QAction *>{w->New, w->Exit, close, fullScreen}) {
        if (command && command->shortcuts().contains(pressed))
            return true;
    }
    const QList<QAction *> titles = w->menuBar()->actions();
    return std::any_of(titles.begin(), titles.end(),
                       [&](const QAction *title) { return QKeySequence::mnemonic(title->text()) == pressed; });
}

QAction *commandFor(const Browser *w, QKeyCombination key)
{
    const QList<QAction *> all = commands(w);
    QList<QKeySequence> tried{sequence(key)};
    if (shiftedSymbol(key))
        tried.append(sequence(key, Qt::ShiftModifier));
    for (const QKeySequence &pressed : tried) {
        for (QAction *command : all) {
            if (command->isEnabled() && command->shortcuts().contains(pressed))
                return command;
        }
    }
    return nullptr;
}

Browser *waitingOnPage(const QWidget *focus, QKeyCombination key)
{
    auto *window = focus ? qobject_cast<Browser *>(focus->window()) : nullptr;
    if (!window)
        return nullptr;
    const QWidget *page = window->WebBrowser1->control();
    const bool inPage = focus == page || page->isAncestorOf(focus);
    return inPage && commandFor(window, key) ? window : nullptr;
}

} // namespace BrowserKeys
