#include "prompts/notification_bar.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

namespace {
// A frame reads as a plain panel; a notification is what a screen reader announces.
QAccessibleInterface *notificationRole(const QString &className, QObject *object)
{
    if (className == QLatin1String("NotificationBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

// Page-supplied text, shown as written.
QLabel *plainLabel(const char *name)
{
    auto *label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QList<NotificationBar *> allBars()
{
    QList<NotificationBar *> bars;
    for (QWidget *window : QApplication::topLevelWidgets())
        bars += window->findChildren<NotificationBar *>();
    return bars;
}
} // namespace

// Beside the page area, drawn over it, rather than inside it: the engine's view shows
// assistive technology the page alone, never its other children.
NotificationBar::NotificationBar(QWidget *pageArea, QObject *shown)
    : QFrame(pageArea->parentWidget() ? pageArea->parentWidget() : pageArea), m_pageArea(pageArea), m_shown(shown),
      m_icon(new QLabel), m_title(plainLabel("title")), m_text(plainLabel("text")), m_site(plainLabel("site"))
{
    static const bool roleInstalled = (QAccessible::installFactory(&notificationRole), true);
    Q_UNUSED(roleInstalled);
    setObjectName(QStringLiteral("notificationBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(225, 236, 250));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus); // the user goes on typing where they were
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    QPalette grey = m_site->palette();
    grey.setColor(QPalette::WindowText, QColor(80, 80, 80));
    m_site->setPalette(grey);
    m_site->setWordWrap(false);
    auto *close = new QToolButton;
    close->setObjectName(QStringLiteral("close"));
    close->setText(QStringLiteral("\u00d7"));
    close->setToolTip(tr("Close"));
    close->setAccessibleName(tr("Close"));
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, this, [this] { finish(false); });
    // The title with its site on one line, the text below.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(m_title, 0, 1);
    layout->addWidget(m_site, 0, 2, Qt::AlignRight | Qt::AlignTop);
    layout->addWidget(close, 0, 3, 2, 1, Qt::AlignTop);
    layout->addWidget(m_text, 1, 1, 1, 2);
    layout->setColumnStretch(1, 1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(showMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { finish(false); });
    pageArea->installEventFilter(this);
    connect(pageArea, &QObject::destroyed, this, &QObject::deleteLater);
    // Withdrawn: the page closed it, or went away.
    connect(shown, &QObject::destroyed, this, [this] {
        hide();
        deleteLater();
        restack();
    });
}

void NotificationBar::present(QWidget *pageArea, const EngineHost::PageNotification &notification, QObject *shown,
                              std::function<void()> clicked, std::function<void()> closed)
{
    NotificationBar *bar = nullptr;
    for (NotificationBar *up : allBars())
        if (up->m_shown == shown)
            bar = up;
    if (bar && bar->m_pageArea != pageArea) {
        // Its replacement goes to another window: this one goes without a word.
        bar->m_clicked = bar->m_closed = nullptr;
        bar->finish(false);
        bar = nullptr;
    }
    if (!bar)
        bar = new NotificationBar(pageArea, shown);
    bar->m_clicked = std::move(clicked);
    bar->m_closed = std::move(closed);
    bar->fill(notification);
    bar->setVisible(true);
    bar->raise();
    bar->restack();
    bar->m_timer.start();
}

void NotificationBar::fill(const EngineHost::PageNotification &notification)
{
    m_title->setText(notification.title);
    m_text->setText(notification.text);
    m_text->setVisible(!notification.text.isEmpty());
    m_site->setText(notification.site);
    const bool icon = !notification.icon.isNull();
    if (icon)
        m_icon->setPixmap(QPixmap::fromImage(notification.icon.scaled(32, 32, Qt::KeepAspectRatio,
                                                                      Qt::SmoothTransformation)));
    m_icon->setVisible(icon);
    setAccessibleName(notification.title);
    setAccessibleDescription(notification.text.isEmpty() ? notification.site
                                                         : notification.text + QLatin1Char('\n') + notification.site);
}

void NotificationBar::place()
{
    if (!m_pageArea || !isVisible())
        return;
    // Along the bottom of the page area, above any bar that came before it there; the
    // questions a page asks take the top.
    const bool inside = m_pageArea == parentWidget();
    const QRect area = inside ? m_pageArea->rect() : m_pageArea->geometry();
    int bottom = area.bottom() + 1;
    for (QWidget *other : parentWidget()->findChildren<NotificationBar *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == this)
            break;
        if (static_cast<NotificationBar *>(other)->m_pageArea == m_pageArea && other->isVisible())
            bottom -= other->height();
    }
    const int height = heightForWidth(area.width()) > 0 ? heightForWidth(area.width()) : sizeHint().height();
    setGeometry(area.x(), bottom - height, area.width(), height);
}

void NotificationBar::restack()
{
    if (!parentWidget())
        return;
    for (NotificationBar *bar : parentWidget()->findChildren<NotificationBar *>(QString(), Qt::FindDirectChildrenOnly))
        bar->place();
}

bool NotificationBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pageArea && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    return QFrame::eventFilter(watched, event);
}

void NotificationBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        finish(true);
}

// Not while the user is reading it.
void NotificationBar::enterEvent(QEnterEvent *) { m_timer.stop(); }
void NotificationBar::leaveEvent(QEvent *) { m_timer.start(); }

void NotificationBar::finish(bool clicked)
{
    m_timer.stop();
    hide();
    deleteLater();
    restack();
    // A click is seen by the page, and the notification has then done its work, as on the
    // desktop.
    const auto click = std::exchange(m_clicked, nullptr);
    const auto close = std::exchange(m_closed, nullptr);
    if (clicked && click)
        click();
    if (close)
        close();
}
