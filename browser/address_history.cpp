#include "browser/address_history.h"

namespace AddressHistory {

void update(AddressList &list, const std::function<QString()> &locationUrl, const QString &url)
{
    const int n = list.count();
    int match = -1;
    for (int i = 0; i < n; ++i) {
        if (list.item(i) == locationUrl()) {
            match = i;
            break;
        }
    }
    if (match >= 0)
        list.removeItem(match);
    else if (n >= maxItems)
        list.removeItem(n - 1);
    list.insertItem(0, locationUrl());
    list.setCurrentIndex(0);
    list.setEditText(url);
}

} // namespace AddressHistory
