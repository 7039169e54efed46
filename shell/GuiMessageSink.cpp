#include "shell/GuiMessageSink.h"

#include "shell/MessageBox.h"
#include "shell/UiDispatcher.h"

void TGuiMessageSink::ShowMessage(const std::string& text, const std::string& caption) {
    FDispatcher.Queue([text, caption] { ::ShowMessage(text, caption); });
}
