#include "browser/browser_window.h"

#include "browser/browser_keys.h"
#include "browser/browser_windows.h"
#include "browser/page_focus.h"
#include "browser/reading_view.h"
#include "browser/status_bar.h"
#include "common/connect_guarded.h"
#include "banner/banner_player.h"
#include "common/design.h"
#include "common/failure.h"
#include "common/modal.h"
#include "common/twips.h"
#include "prompts/downloads_window.h"
#include "engine/web_engine.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <utility>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// Room for long addresses past the line edit's default 32,767; a megabyte pasted in would
// make every redraw of the box and the status text crawl.
constexpr int maxAddressLength = 65536;

// The object's name is the design's, for code and tests; what a screen reader says is in words.
void name(QWidget *widget, const QString &objectName, const QString &spoken)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(spoken);
}

bool isModifierKey(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}
} // namespace

Browser::Browser(QWidget *parent) : QMainWindow(parent)
{
    // Not deleted on close by the toolkit: see closeEvent.
    setObjectName(QStringLiteral("Browser"));
    setWindowTitle(QStringLiteral("Quillon 's Browser"));
    buildMenus();
    buildControls();
    buildToolbar();
    BrowserKeys::install(this);
    connectEngineEvents();
    BrowserWindows::instance()->add(this);
    // The design's client area is 8445 x 6045 twips below the menu bar.
    resize(Twips::toPixels(8445), Twips::toPixels(6045) + menuBar()->sizeHint().height());
}

Browser::~Browser()
{
#ifdef __GLIBC__
    // A closed window's page leaves its memory in the heap's free lists, where glibc keeps
    // it; give it back to the system once the engine has let go of it.
    QTimer::singleShot(1000, BrowserWindows::instance(), [] { malloc_trim(0); });
#endif
    BrowserWindows::instance()->remove(this);
}

QRect Browser::pageAreaDesign() { return Twips::rect(0, 1200, 8415, 4440); }

void Browser::buildControls()
{
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    Design::paint(client, Design::background);
    setCentralWidget(client);

    Toolbar1 = new QToolBar(client);
    name(Toolbar1, QStringLiteral("Toolbar1"), QStringLiteral("Toolbar"));
    Toolbar1->setGeometry(Twips::rect(0, 0, 8445, 420));

    Picaddress = new QWidget(client);
    name(Picaddress, QStringLiteral("Picaddress"), QStringLiteral("Address"));
    Picaddress->setGeometry(Twips::rect(0, 480, 15255, 615));
    Design::paint(Picaddress, Design::background);

    Label1 = new QLabel(QStringLiteral("ADDRESS"), Picaddress);
    Label1->setObjectName(QStringLiteral("Label1")); // read by its text, "ADDRESS"
    Label1->setGeometry(Twips::rect(120, 120, 1335, 495));
    Label1->setFont(Design::font(QStringLiteral("Courier New"), 12, true, true));
    Design::paint(Label1, Design::background, QColor(64, 0, 0));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Go = new QPushButton(QStringLiteral("GO"), Picaddress);
    name(Go, QStringLiteral("Go"), QStringLiteral("Go"));
    Go->setGeometry(Twips::rect(6600, 120, 615, 375));
    Go->setAutoDefault(false);
    connectGuarded(Go, &QPushButton::clicked, this, &Browser::Go_Click);

    ShockwaveFlash1 = new BannerPlayer(BannerMovie::Busy, Picaddress);
    name(ShockwaveFlash1, QStringLiteral("ShockwaveFlash1"), QStringLiteral("Banner"));
    ShockwaveFlash1->setGeometry(Twips::rect(7440, 0, 735, 525));

    // The address box lies over the band and is drawn above it.
    ComboURL = new QComboBox(client);
    name(ComboURL, QStringLiteral("ComboURL"), QStringLiteral("Address"));
    ComboURL->setEditable(true);
    ComboURL->setInsertPolicy(QComboBox::NoInsert); // only the history update adds items
    ComboURL->setDuplicatesEnabled(true);           // Enter must not re-pick a look-alike item
    ComboURL->setCompleter(nullptr);                // the text goes out exactly as typed
    ComboURL->lineEdit()->setMaxLength(maxAddressLength);
    connect(ComboURL->lineEdit(), &QLineEdit::textEdited, this, [this] { m_pageTakesFocus = false; });
    ComboURL->setGeometry(Twips::rect(1680, 600, 4755, 315));
    // Screen readers read a combo box by its text; the description says what it is for.
    ComboURL->setAccessibleDescription(
        QStringLiteral("Address: type a web address or a file path and press Enter"));

    ShockwaveFlash2 = new BannerPlayer(BannerMovie::Idle, client);
    name(ShockwaveFlash2, QStringLiteral("ShockwaveFlash2"), QStringLiteral("Banner"));
    ShockwaveFlash2->setGeometry(Twips::rect(7440, 480, 735, 525));

    WebBrowser1 = WebEngines::create(client);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    // Named by the page's title once it has one (see WebBrowser1_TitleChange).
    name(WebBrowser1->control(), QStringLiteral("WebBrowser1"), QStringLiteral("Page"));
    WebBrowser1->control()->setGeometry(pageAreaDesign());
    PageFocus::watch(WebBrowser1->control());

    StatusBar1 = new StatusBar(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(Twips::rect(0, 5670, 8445, 375));

    WebBrowser1->control()->setFocus();

    client->installEventFilter(this);
    ComboURL->installEventFilter(this);
    ComboURL->lineEdit()->installEventFilter(this);
}

void Browser::toggleReadingView()
{
    if (!m_reading) {
        m_reading = new ReadingView(WebBrowser1, client);
        // A link followed from the view loads in the page, which the view then reads.
        connect(m_reading, &ReadingView::linkChosen, this, [this](const QString &address) {
            resumeNext([&] { WebBrowser1->Navigate(address); });
            resumeNext([&] { toolbarButton(1)->setEnabled(true); });
            resumeNext([&] { toolbarButton(4)->setEnabled(true); });
        });
    }
    if (m_reading->isOpen())
        m_reading->closeView();
    else
        m_reading->openView();
}

void Browser::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
}

void Browser::setVisible(bool visible)
{
    // Showing a window for the first time loads it.
    if (visible && !m_loaded) {
        ensureLoaded();
        return;
    }
    QMainWindow::setVisible(visible);
}

void Browser::Form_Load()
{
    // The first four steps have no failure handling of their own: a failure is reported,
    // and the window still comes up so that nothing is left half-made and invisible.
    unguarded([this] { WebBrowser1->setRegisterAsBrowser(true); });
    unguarded([this] { WebBrowser1->GoHome(); });
    unguarded([this] { toolbarButton(1)->setEnabled(false); });
    unguarded([this] { toolbarButton(4)->setEnabled(false); });

    resumeNext([this] { QMainWindow::setVisible(true); });
    resumeNext([this] { Toolbar1->update(); });
    resumeNext([this] { Form_Resize(); });
    resumeNext([this] { ComboURL->move(Twips::toPixels(1500), ComboURL->y()); });
    resumeNext([this] { Go->move(Twips::toPixels(6600), Go->y()); });
    resumeNext([this] { ShockwaveFlash1->moveLeft(7500); });
    resumeNext([this] { ShockwaveFlash2->moveLeft(7500); });
}

void Browser::dockBars()
{
    Toolbar1->setGeometry(0, 0, client->width(), Twips::toPixels(420));
    const int statusHeight = Twips::toPixels(375);
    StatusBar1->setGeometry(0, client->height() - statusHeight, client->width(), statusHeight);
}

void Browser::Form_Resize()
{
    const float W = float(Twips::fromPixels(client->width()));
    const float H = float(Twips::fromPixels(client->height()));
    const BrowserLayout::Result r = BrowserLayout::compute(
        W, H, Twips::fromPixels(Picaddress->y()), Twips::fromPixels(Picaddress->height()));

    resumeNext([&] {
        if (r.comboWidth)
            ComboURL->resize(Twips::toPixels(*r.comboWidth), ComboURL->height());
    });
    m_goLeft = r.goLeft;
    resumeNext([&] { Go->move(Twips::toPixels(m_goLeft), Go->y()); });
    resumeNext([&] { ShockwaveFlash1->moveLeft(r.busyBannerLeft); });
    resumeNext([&] { ShockwaveFlash2->moveLeft(r.idleBannerLeft); });
    resumeNext([&] {
        if (r.engineWidth)
            WebBrowser1->setWidth(*r.engineWidth);
    });
    resumeNext([&] {
        if (r.engineHeight)
            WebBrowser1->setHeight(*r.engineHeight);
    });
    resumeNext([&] { Picaddress->resize(Twips::toPixels(r.bandWidth), Picaddress->height()); });
}

void Browser::Form_Unload(bool &cancel)
{
    Q_UNUSED(cancel); // closing always proceeds
    hide();
}

void Browser::closeEvent(QCloseEvent *event)
{
    // The page may ask first (beforeunload); if it agrees, the engine closes the window again.
    bool now = true;
    unguarded([&] { now = WebBrowser1->RequestClose(); });
    if (!now) {
        event->ignore();
        return;
    }
    // The last window takes the running downloads with it: only if the user agrees.
    if (BrowserWindows::count() == 1 && !DownloadsWindow::mayEndDownloads(this))
        return event->ignore();
    bool cancel = false;
    unguarded([&] { Form_Unload(cancel); });
    if (cancel)
        return event->ignore();
    event->accept();
    // Its dialogs close first; the window itself goes once no dialog or wait of the program
    // runs, so that no handler returns through it (it may be closing from inside one).
    if (!std::exchange(m_closing, true))
        Modal::endWindow(this, [window = QPointer<Browser>(this)] {
            if (window)
                window->deleteLater();
        });
}

bool Browser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == client && event->type() == QEvent::Resize) {
        dockBars();
        unguarded([this] { Form_Resize(); });
    } else if (watched == client && event->type() == QEvent::ShortcutOverride && focusInPage()) {
        // The page hears the key first: no shortcut of the window acts on it now; what the page
        // leaves comes back up to the window (keyPressEvent). A reserved key acts at once.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!isModifierKey(key->key()) && !BrowserKeys::reserved(this, key->keyCombination())) {
            event->accept();
            return true;
        }
    } else if (watched == ComboURL && event->type() == QEvent::FocusIn) {
        unguarded([this] { ComboURL_GotFocus(); });
    } else if (watched == ComboURL->lineEdit() && event->type() == QEvent::MouseButtonPress) {
        m_pageTakesFocus = false;
    } else if (watched == ComboURL && event->type() == QEvent::ShortcutOverride) {
        // The Edit menu's shortcuts and the window's keys run their commands here too, in place
        // of the line edit's own (Ctrl+U would empty the box).
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        QList<QAction *> items{Cut, Copy, Paste, selectall};
        items += actions();
        for (const QAction *item : std::as_const(items)) {
            if (item->shortcuts().contains(pressed)) {
                event->ignore();
                return true;
            }
        }
    } else if (watched == ComboURL && event->type() == QEvent::KeyPress) {
        // Keys reach the combo box first (its line edit forwards the focus to it).
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const int keyAscii = enter ? 13 : (key->text().isEmpty() ? 0 : key->text().at(0).unicode());
        if (!enter && !isModifierKey(key->key()))
            m_pageTakesFocus = false; // back at work in the box: the loading page must not take it
        if (keyAscii != 0)
            unguarded([&] { ComboURL_KeyPress(keyAscii); });
        // The key goes on to the address box as well.
    }
    return QMainWindow::eventFilter(watched, event);
}

void Browser::keyPressEvent(QKeyEvent *event)
{
    // A key the page left, or one no control took: its command, once the engine, which hands
    // it back from inside its own key handling, has returned.
    QAction *command = BrowserKeys::commandFor(this, event->keyCombination());
    if (!command)
        return QMainWindow::keyPressEvent(event);
    event->accept();
    QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);
}
