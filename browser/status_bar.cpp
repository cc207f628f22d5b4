#include "browser/status_bar.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

namespace {
// A frame reads as a plain panel: screen readers announce a status bar only by its role.
QAccessibleInterface *statusBarRole(const QString &className, QObject *object)
{
    if (className == QLatin1String("StatusBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
    return nullptr;
}
} // namespace

StatusBar::StatusBar(QWidget *parent)
    : QFrame(parent), m_icon(new QLabel(this)), m_text(new QLabel(this))
{
    static const bool roleInstalled = [] {
        QAccessible::installFactory(&statusBarRole);
        return true;
    }();
    Q_UNUSED(roleInstalled);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAccessibleName(QStringLiteral("Status bar"));

    m_icon->setPixmap(QApplication::windowIcon().pixmap(16, 16));
    m_icon->setFixedSize(16, 16);
    m_text->setText(QStringLiteral("Welcome To Your Own Browser"));
    QFont bold = m_text->font();
    bold.setBold(true);
    m_text->setFont(bold);
    // No fixed name: screen readers then read, and announce, the text itself.
    m_text->setAccessibleDescription(QStringLiteral("Panel 1"));
    // Long addresses must not widen the window.
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setTextFormat(Qt::PlainText);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(3, 1, 3, 1);
    row->setSpacing(4);
    row->addWidget(m_icon);
    row->addWidget(m_text, 1);
}

QString StatusBar::panelText() const { return m_text->text(); }
void StatusBar::setPanelText(const QString &text) { m_text->setText(text); }
