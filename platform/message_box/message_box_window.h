#pragma once
// The on-screen message box: a modal QMessageBox with the request's title,
// icon and buttons. Programs with widgets install it as their presenter
// (SetMsgBoxPresenter).

#include "platform/message_box/message_box.h"

#include <optional>

// Shows the box while a QApplication runs; nothing without one.
std::optional<MsgBoxResult> ShowMessageBoxWindow(const MsgBoxRequest& request);
