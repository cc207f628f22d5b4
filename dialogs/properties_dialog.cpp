#include "dialogs/properties_dialog.h"

#include "common/modal.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

PageProperties::PageProperties(const PageFacts &facts, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Properties"));
    setObjectName(QStringLiteral("pageProperties"));
    auto *form = new QFormLayout;
    auto addRow = [form](const QString &name, const QString &label, const QString &value) {
        auto *field = new QLabel(value);
        field->setObjectName(name);
        field->setTextFormat(Qt::PlainText);
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        field->setWordWrap(true);
        field->setMinimumWidth(320);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("title"), tr("Title:"), facts.title);
    addRow(QStringLiteral("address"), tr("Address:"), facts.address);
    addRow(QStringLiteral("protocol"), tr("Protocol:"), facts.protocol);
    addRow(QStringLiteral("type"), tr("Type:"), facts.type);
    addRow(QStringLiteral("size"), tr("Size:"), facts.size);
    if (!facts.modified.isEmpty())
        addRow(QStringLiteral("modified"), tr("Modified:"), facts.modified);
    addRow(QStringLiteral("security"), tr("Security:"), facts.security);

    auto *icon = new QLabel;
    icon->setPixmap(facts.icon.pixmap(32));
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(form, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

void PageProperties::show(QWidget *parent, const PageFacts &facts)
{
    PageProperties dialog(facts, parent);
    Modal::run(&dialog);
}
