#include "prompts/question_bar.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {
// A frame reads as a plain panel; a notification is what a screen reader announces when it
// appears, with its text.
QAccessibleInterface *notificationRole(const QString &className, QObject *object)
{
    if (className == QLatin1String("QuestionBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

bool isPlainEscape(const QEvent *event)
{
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}
} // namespace

// Beside the page area, drawn over its top, rather than inside it: the engine's view shows
// assistive technology the page alone, never its other children.
QuestionBar::QuestionBar(QWidget *pageArea, const PermissionQuestion &question, std::function<void(bool)> answer)
    : QFrame(pageArea->parentWidget() ? pageArea->parentWidget() : pageArea), m_answer(std::move(answer)),
      m_pageArea(pageArea), m_focusBefore(pageArea->window()->focusWidget())
{
    static const bool roleInstalled = [] {
        QAccessible::installFactory(&notificationRole);
        return true;
    }();
    Q_UNUSED(roleInstalled);
    setObjectName(QStringLiteral("questionBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 243, 205));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    const QString asked = tr("%1 wants to %2.").arg(question.site, question.wants);
    setAccessibleName(asked);
    setAccessibleDescription(tr("Allow or Deny; Esc denies"));
    // The bar itself holds the focus, so no stray key answers; Tab reaches the buttons.
    setFocusPolicy(Qt::StrongFocus);
    auto *text = new QLabel(asked);
    text->setObjectName(QStringLiteral("question"));
    text->setTextFormat(Qt::PlainText);
    // No access keys: the window's own (Alt+D for the address box, the menus' letters) stay
    // its own, and bars of several questions never share one.
    auto *allow = new QPushButton(tr("Allow"));
    allow->setObjectName(QStringLiteral("allow"));
    auto *deny = new QPushButton(tr("Deny"));
    deny->setObjectName(QStringLiteral("deny"));
    connect(allow, &QPushButton::clicked, this, [this] { answerWith(true); });
    connect(deny, &QPushButton::clicked, this, [this] { answerWith(false); });
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(text, 1);
    layout->addWidget(allow);
    layout->addWidget(deny);
    pageArea->installEventFilter(this);
    connect(pageArea, &QObject::destroyed, this, &QObject::deleteLater);
    place();
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
}

void QuestionBar::giveFocusBack()
{
    // Back where it was before the question came, or to the page.
    QWidget *focus = window()->focusWidget();
    if (!isVisible() || (focus != this && !isAncestorOf(focus)))
        return;
    QWidget *back = m_focusBefore && m_focusBefore != this ? m_focusBefore.data() : m_pageArea.data();
    if (!back)
        return;
    back->setFocus(Qt::OtherFocusReason);
}

void QuestionBar::place()
{
    if (!m_pageArea)
        return;
    // Below any bar already asking in this page.
    const bool inside = m_pageArea == parentWidget();
    int top = inside ? 0 : m_pageArea->y();
    for (QuestionBar *other : parentWidget()->findChildren<QuestionBar *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == this)
            break;
        if (other->m_pageArea == m_pageArea)
            top += other->height();
    }
    setGeometry(inside ? 0 : m_pageArea->x(), top, m_pageArea->width(), sizeHint().height());
}

bool QuestionBar::event(QEvent *event)
{
    // Esc within the bar is its Deny, not the window's Stop.
    if (event->type() == QEvent::ShortcutOverride && isPlainEscape(event)) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && isPlainEscape(event)) {
        answerWith(false);
        return true;
    }
    return QFrame::event(event);
}

void QuestionBar::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    // Seen as well as heard: the bar holds the keyboard.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect().adjusted(2, 2, -2, -2);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

bool QuestionBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pageArea && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        place();
    return QFrame::eventFilter(watched, event);
}

void QuestionBar::answerWith(bool allow)
{
    giveFocusBack();
    hide();
    deleteLater();
    if (auto answer = std::exchange(m_answer, nullptr))
        answer(allow);
}

void QuestionBar::ask(QWidget *pageArea, const PermissionQuestion &question, QObject *pending,
                      std::function<void(bool)> answer)
{
    auto *bar = new QuestionBar(pageArea, question, std::move(answer));
    // Withdrawn by the engine: the page has gone on without an answer.
    QObject::connect(pending, &QObject::destroyed, bar, [bar] {
        bar->giveFocusBack();
        bar->deleteLater();
    });
}
