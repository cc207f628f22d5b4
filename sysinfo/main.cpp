// quillon-sysinfo: shows what a user asks about their system, with a button that copies it.

#include "system_report.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("System Information"));

    const QList<ReportSection> report = SystemReport::gather();

    QWidget window;
    window.setWindowTitle(QStringLiteral("System Information"));
    auto *tree = new QTreeWidget(&window);
    tree->setColumnCount(2);
    tree->setHeaderLabels({QStringLiteral("Item"), QStringLiteral("Value")});
    tree->setRootIsDecorated(true);
    tree->setAlternatingRowColors(true);
    for (const ReportSection &section : report) {
        auto *top = new QTreeWidgetItem(tree, {section.title});
        QFont bold = top->font(0);
        bold.setBold(true);
        top->setFont(0, bold);
        for (const auto &item : section.items)
            new QTreeWidgetItem(top, {item.first, item.second});
    }
    tree->expandAll();
    tree->resizeColumnToContents(0);
    tree->header()->setStretchLastSection(true);

    auto *copy = new QPushButton(QStringLiteral("&Copy"), &window);
    copy->setToolTip(QStringLiteral("Copy the whole report to the clipboard as text"));
    auto *close = new QPushButton(QStringLiteral("C&lose"), &window);
    QObject::connect(copy, &QPushButton::clicked, &window,
                     [&report] { QApplication::clipboard()->setText(SystemReport::toText(report)); });
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(tree);
    layout->addLayout(buttons);

    window.resize(640, 520);
    window.show();
    return app.exec();
}
