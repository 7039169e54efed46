#include "shell/GuiMessageSink.h"

#include "thread/UiDispatcher.h"
#include "views/MessageBox.h"

void TGuiMessageSink::ShowMessage(const std::string& text, const std::string& caption) {
    FDispatcher.Queue([text, caption] { ::ShowMessage(text, caption); });
}
