// Where the serial link's threads send the message boxes the user must see.
// The monitor installs one that shows a modal box on the user-interface
// thread; without one, messages are dropped.
#pragma once

#include <string>

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};
