#include "prompts/screen_chooser.h"

#include "prompts/window_modal.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kWindowRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;

void addSection(QListWidget *list, const QString &heading, const QStringList &names, bool window)
{
    if (names.isEmpty())
        return;
    auto *head = new QListWidgetItem(heading, list);
    head->setFlags(Qt::NoItemFlags); // a heading, not a choice
    QFont bold = head->font();
    bold.setBold(true);
    head->setFont(bold);
    for (int i = 0; i < names.size(); ++i) {
        auto *item = new QListWidgetItem(names.at(i).isEmpty() ? QObject::tr("(untitled)") : names.at(i), list);
        item->setData(kWindowRole, window);
        item->setData(kIndexRole, i);
    }
}
} // namespace

ScreenChooser::ScreenChooser(const ScreenShareRequest &request, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("screenChooser"));
    setWindowTitle(tr("Share your screen"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(tr("%1 wants to share your screen. Choose what it may see:").arg(request.site));
    text->setObjectName(QStringLiteral("question"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);
    m_list = new QListWidget;
    m_list->setObjectName(QStringLiteral("sources"));
    m_list->setMinimumSize(360, 200);
    addSection(m_list, tr("Screens"), request.screens, false);
    addSection(m_list, tr("Windows"), request.windows, true);
    text->setBuddy(m_list);
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_share = buttons->button(QDialogButtonBox::Ok);
    m_share->setText(tr("&Share"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem *item) { m_share->setEnabled(item && (item->flags() & Qt::ItemIsSelectable)); });
    layout->addWidget(buttons);
    // The first screen is offered as the choice; nothing is shared until Share is pressed.
    m_list->setCurrentRow(request.screens.isEmpty() && request.windows.isEmpty() ? -1 : 1);
    m_share->setEnabled(m_list->currentRow() > 0);
}

std::optional<ScreenShareChoice> ScreenChooser::choice() const
{
    const QListWidgetItem *item = m_list->currentItem();
    if (result() != QDialog::Accepted || !item || !(item->flags() & Qt::ItemIsSelectable))
        return std::nullopt;
    return ScreenShareChoice{item->data(kWindowRole).toBool(), item->data(kIndexRole).toInt()};
}

std::optional<ScreenShareChoice> ScreenChooser::ask(QWidget *pageArea, const ScreenShareRequest &request,
                                                    QObject *pending)
{
    // On the heap: the window may be closed, and its children deleted, while the chooser waits.
    QPointer<ScreenChooser> dialog(new ScreenChooser(request, pageArea));
    WindowModal::run(dialog, pending);
    const std::optional<ScreenShareChoice> chosen = dialog ? dialog->choice() : std::nullopt;
    delete dialog.data();
    return chosen;
}
