#include "UiHooks.h"

#include <cstdio>
#include <utility>

namespace {
UiHooks& Hooks() {
    static UiHooks hooks;
    return hooks;
}
} // namespace

UiHooks InstallUiHooks(UiHooks hooks) {
    return std::exchange(Hooks(), std::move(hooks));
}

void ProcessMessages() {
    if (Hooks().processMessages) Hooks().processMessages();
}

void ShowMessage(const std::string& text) {
    if (Hooks().showMessage)
        Hooks().showMessage(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}
