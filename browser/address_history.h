#pragma once
// The address list's update after a completed navigation: the engine's current address
// goes to the top, the first earlier exact copy of it goes away.

#include <QString>
#include <functional>

class AddressList {
public:
    virtual ~AddressList() = default;
    virtual int count() const = 0;
    virtual QString item(int index) const = 0;
    virtual void removeItem(int index) = 0;
    virtual void insertItem(int index, const QString &text) = 0;
    virtual void setCurrentIndex(int index) = 0;
    virtual void setEditText(const QString &text) = 0;
};

namespace AddressHistory {
// Beyond this the oldest entry makes room, so positions stay within 16 bits.
constexpr int maxItems = 32767;

// locationUrl is read afresh at every use, as the engine may change under it.
void update(AddressList &list, const std::function<QString()> &locationUrl, const QString &url);
} // namespace AddressHistory
