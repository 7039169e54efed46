// The one way the monitor shows a modal message with a single OK button.
// Tests install an observer that receives the message instead of a dialog.
#pragma once

#include <functional>
#include <string>

using MessageObserver = std::function<void(const std::string& text, const std::string& caption)>;

void ShowMessage(const std::string& text, const std::string& caption);
// An empty observer restores the dialog.
void SetMessageObserver(MessageObserver observer);

// A modal question with Yes and No (No the default): true when Yes is chosen.
bool AskYesNo(const std::string& text, const std::string& caption);
