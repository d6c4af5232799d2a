#pragma once
// Enabling and disabling a widget without letting the keyboard focus wander.
// Qt hands the focus of a widget being disabled to the next one in the tab
// chain, so a Space meant for "прочитать однократно" would press the button
// beside it. Here the focus waits on the window instead and returns to the
// widget once it is enabled again, unless the user has put it elsewhere.

class QWidget;

namespace vela {

void SetEnabledKeepingFocus(QWidget& widget, bool enabled);

}  // namespace vela
