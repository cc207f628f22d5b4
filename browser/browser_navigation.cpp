// The address box, the Go command, the address list and the toolbar.

#include "browser/address_history.h"
#include "browser/browser_window.h"

#include "common/failure.h"
#include "engine/web_engine.h"

#include <QComboBox>
#include <QToolButton>

namespace {
// The address box's drop-down list as the history update sees it.
class ComboAddressList : public AddressList {
public:
    explicit ComboAddressList(QComboBox *combo) : m_combo(combo) {}
    int count() const override { return m_combo->count(); }
    QString item(int index) const override { return m_combo->itemText(index); }
    void removeItem(int index) override { m_combo->removeItem(index); }
    void insertItem(int index, const QString &text) override { m_combo->insertItem(index, text); }
    void setCurrentIndex(int index) override { m_combo->setCurrentIndex(index); }
    void setEditText(const QString &text) override { m_combo->setEditText(text); }

private:
    QComboBox *m_combo;
};
} // namespace

void Browser::runGoCommand()
{
    QString address;
    resumeNext([&] { address = ComboURL->currentText(); });
    resumeNext([&] { WebBrowser1->Navigate(address); });
    resumeNext([&] { toolbarButton(1)->setEnabled(true); });
    resumeNext([&] { toolbarButton(4)->setEnabled(true); });
    m_pageTakesFocus = true;
}

void Browser::Go_Click() { runGoCommand(); }

void Browser::ComboURL_KeyPress(int keyAscii)
{
    resumeNext([&] {
        if (keyAscii == 13)
            runGoCommand();
    });
}

void Browser::ComboURL_GotFocus()
{
    Cut->setEnabled(true);
    Paste->setEnabled(true);
}

void Browser::WebBrowser1_NavigateComplete2(QObject *pDisp, const QString &URL)
{
    Q_UNUSED(pDisp); // every navigation, frames included, updates the list
    ComboAddressList list(ComboURL);
    AddressHistory::update(list, [this] { return WebBrowser1->LocationURL(); }, URL);
}

void Browser::Toolbar1_ButtonClick(QToolButton *button)
{
    resumeNext([&] {
        const QString key = button->property("Key").toString();
        if (key == QLatin1String("back"))
            WebBrowser1->GoBack();
        else if (key == QLatin1String("forward"))
            WebBrowser1->GoForward();
        else if (key == QLatin1String("refresh"))
            WebBrowser1->ExecWB(ExecCommand::Refresh, ExecDoDefault);
        else if (key == QLatin1String("stop"))
            WebBrowser1->Stop();
        else if (key == QLatin1String("home"))
            WebBrowser1->GoHome();
        else if (key == QLatin1String("search"))
            WebBrowser1->GoSearch();
    });
}
