// What code run away from the windows' thread would write to the log and show in message
// boxes, held in order for the windows' thread, which alone writes the log and shows them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace modMain {

struct Deferred {
  struct Message {
    std::wstring text, title;
    UINT type;
  };
  std::vector<std::string> lines;
  std::vector<Message> messages;
  // On the windows' thread: the lines written in their order, then the messages shown.
  void Release();
};

// While it lives, modMain::WriteLog on this thread appends to into.lines and, with
// messages set, modLang::Say appends to into.messages and answers IDOK.
class DeferHere {
 public:
  explicit DeferHere(Deferred& into, bool messages = true);
  ~DeferHere();
  DeferHere(const DeferHere&) = delete;
  DeferHere& operator=(const DeferHere&) = delete;

 private:
  Deferred *lines_, *messages_;
};

// This thread's holder of messages, or nullptr.
Deferred* DeferredMessages();

}  // namespace modMain
