#pragma once
// The one way the lower layers reach the window system. The application installs the
// hooks; without them, pumping does nothing and message boxes go to standard error.
#include <functional>
#include <string>

struct UiHooks {
    std::function<void()> processMessages;                    // let the window handle pending events
    std::function<void(const std::string& text)> showMessage; // modal box with one OK button
};

// Replaces the installed hooks; returns the previous ones so a caller can restore them.
UiHooks InstallUiHooks(UiHooks hooks);
void ProcessMessages();
void ShowMessage(const std::string& text);
