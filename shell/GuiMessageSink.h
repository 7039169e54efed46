// Shows the serial link's messages as message boxes on the GUI thread. Worker
// threads only queue the message (never wait), so a thread the GUI thread
// waits for can report without deadlock.
#pragma once

#include "link/MessageSink.h"

class UiDispatcher;

class TGuiMessageSink : public MessageSink {
  public:
    explicit TGuiMessageSink(UiDispatcher& dispatcher) : FDispatcher(dispatcher) {}
    void ShowMessage(const std::string& text, const std::string& caption) override;

  private:
    UiDispatcher& FDispatcher;
};
