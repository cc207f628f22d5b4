#pragma once
// Giving the keyboard to the page so that a screen reader notices. The engine focuses its
// document some time after the view takes the focus and does not always say so on the
// accessibility bus; the page is announced here once its document holds the focus.

class QString;
class QWidget;

namespace PageFocus {
void give(QWidget *page);
// When the keyboard enters the page from the window's controls (Tab from Go), the engine puts
// its focus on the first link or field but tells the accessibility bus its document has it;
// the element that holds the focus is announced instead.
void watch(QWidget *page);
// Says text to a screen reader, as the page's title is said once the page has the keyboard.
void announce(QWidget *widget, const QString &text);
} // namespace PageFocus
