// The browser window's toolbar: six buttons with their pictures, captions and tooltips.

#include "browser/browser_window.h"

#include "common/connect_guarded.h"
#include "engine/web_engine.h"

#include <QComboBox>
#include <QPushButton>
#include <QIcon>
#include <QToolBar>
#include <QToolButton>
#include <array>

namespace {
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
        connectGuarded(button, &QToolButton::clicked, this, [this, button] { Toolbar1_ButtonClick(button); });
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

QToolButton *Browser::toolbarButton(int n) const
{
    if (n < 1 || n > m_buttons.size())
        throw PlatformError(QStringLiteral("Index out of bounds"));
    return m_buttons.at(n - 1);
}
