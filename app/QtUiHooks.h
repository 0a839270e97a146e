#pragma once
// The Qt side of the lower layers' UI hooks.
#include <string>

// Event pump: runs pending Qt events at most every 10 ms, so that the per-row pumping of a
// large export costs little while the window still repaints and answers at once.
void PumpQtEvents();
// Modal box with one OK button. On the offscreen platform, where nobody could press it,
// the text goes to standard error and the call returns.
void ShowQtMessage(const std::string& Text);
// Installs both as the UiHooks.
void InstallQtUiHooks();
