#include "prompts/question_bar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QuestionBar::QuestionBar(QWidget *pageArea, const PermissionQuestion &question, std::function<void(bool)> answer)
    : QFrame(pageArea), m_answer(std::move(answer))
{
    setObjectName(QStringLiteral("questionBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 243, 205));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    auto *text = new QLabel(tr("%1 wants to %2.").arg(question.site, question.wants));
    text->setObjectName(QStringLiteral("question"));
    text->setTextFormat(Qt::PlainText);
    auto *allow = new QPushButton(tr("&Allow"));
    allow->setObjectName(QStringLiteral("allow"));
    auto *deny = new QPushButton(tr("&Deny"));
    deny->setObjectName(QStringLiteral("deny"));
    connect(allow, &QPushButton::clicked, this, [this] { answerWith(true); });
    connect(deny, &QPushButton::clicked, this, [this] { answerWith(false); });
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(text, 1);
    layout->addWidget(allow);
    layout->addWidget(deny);
    pageArea->installEventFilter(this);
    place();
    show();
    raise();
}

void QuestionBar::place()
{
    // Below any bar already asking in this page.
    int top = 0;
    for (QuestionBar *other : parentWidget()->findChildren<QuestionBar *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other == this)
            break;
        top += other->height();
    }
    setGeometry(0, top, parentWidget()->width(), sizeHint().height());
}

bool QuestionBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QFrame::eventFilter(watched, event);
}

void QuestionBar::answerWith(bool allow)
{
    hide();
    deleteLater();
    if (auto answer = std::exchange(m_answer, nullptr))
        answer(allow);
}

void QuestionBar::ask(QWidget *pageArea, const PermissionQuestion &question, QObject *pending,
                      std::function<void(bool)> answer)
{
    auto *bar = new QuestionBar(pageArea, question, std::move(answer));
    QObject::connect(pending, &QObject::destroyed, bar, &QObject::deleteLater);
}
