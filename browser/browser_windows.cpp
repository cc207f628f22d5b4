#include "browser/browser_windows.h"

#include "browser/browser_window.h"
#include "common/failure.h"
#include "common/modal.h"
#include "dialogs/find_dialog.h"
#include "dialogs/open_file_dialog.h"
#include "engine/web_engine.h"

#include <QComboBox>
#include <QLineEdit>

BrowserWindows::BrowserWindows()
{
    // The dialogs that act on the first window are told how to reach it, whenever one is made.
    Find1::whenMade([](Find1 *dialog) {
        dialog->setAddressLine([] {
            Browser *browser = firstOrCreate();
            if (!browser || !browser->ComboURL || !browser->ComboURL->lineEdit())
                throw PlatformError(QStringLiteral("The browser window's address box is not available"));
            return browser->ComboURL->lineEdit();
        });
        dialog->setPage([]() -> WebEngine * {
            Browser *browser = firstOrCreate();
            return browser ? browser->WebBrowser1 : nullptr;
        });
    });
    openfile::whenMade([this](openfile *dialog) {
        connect(dialog, &openfile::fileChosen, this, &BrowserWindows::openInFirst);
    });
}

BrowserWindows *BrowserWindows::instance()
{
    static BrowserWindows *windows = new BrowserWindows; // lives as long as the process
    return windows;
}

Browser *BrowserWindows::first()
{
    // A first window that has been closed, though not deleted yet, is gone for the dialogs.
    Browser *window = instance()->m_first;
    return Modal::ending(window) ? nullptr : window;
}

Browser *BrowserWindows::prepareFirst()
{
    BrowserWindows *self = instance();
    if (!first())
        self->m_first = new Browser;
    return self->m_first;
}

Browser *BrowserWindows::showFirst()
{
    Browser *window = prepareFirst();
    window->show();
    return window;
}

Browser *BrowserWindows::firstOrCreate()
{
    if (!first())
        showFirst();
    return first();
}

int BrowserWindows::count() { return int(instance()->m_windows.size()); }

void BrowserWindows::add(Browser *window) { m_windows.append(window); }

void BrowserWindows::remove(Browser *window)
{
    m_windows.removeAll(window);
    if (m_windows.isEmpty())
        Q_EMIT allClosed();
}

void BrowserWindows::openInFirst(const QString &path)
{
    // Every step runs even when an earlier one failed.
    QPointer<Browser> browser;
    resumeNext([&] { browser = firstOrCreate(); });
    auto addressBox = [&] {
        if (!browser || !browser->ComboURL)
            throw PlatformError(QStringLiteral("The browser window's address box is not available"));
        return browser->ComboURL;
    };
    resumeNext([&] { addressBox()->setEditText(path); });
    resumeNext([&] {
        const QString address = addressBox()->currentText();
        if (!browser->WebBrowser1)
            throw PlatformError(QStringLiteral("The browser window has no engine"));
        browser->WebBrowser1->Navigate(address);
    });
}
