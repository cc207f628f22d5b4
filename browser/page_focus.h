#pragma once
// Giving the keyboard to the page so that a screen reader notices. The engine focuses its
// document some time after the view takes the focus and does not always say so on the
// accessibility bus; the page is announced here once its document holds the focus.

class QWidget;

namespace PageFocus {
void give(QWidget *page);
} // namespace PageFocus
