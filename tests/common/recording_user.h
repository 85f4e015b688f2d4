// The one interface the in-process tests and the bench cannot drive for real: the user. It
// reads each message, cancels every dialog that asks for something unless told otherwise,
// and turns the process end into an exception the caller can catch.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark::test {

struct Ended {
  int code;
};

class RecordingUser : public IUser {
 public:
  std::vector<std::string> messages;
  std::function<bool()> onAsk = [] { return false; };  // Retry or Cancel
  std::optional<std::string> chosenFile;
  void MessageBoxA(const std::string& text, const std::string&) override {
    messages.push_back(text);
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&) override {
    return {};
  }
  std::optional<std::string> OpenFileDialog(const OpenFileRequest&) override { return chosenFile; }
  void SetPointer(Pointer) override {}
  bool AskRetryCancel(const std::string& text, const std::string&) override {
    messages.push_back(text);
    return onAsk();
  }
  bool AskOkCancel(const std::string& text, const std::string&) override {
    messages.push_back(text);
    return true;
  }
  bool WindowClassExists(const std::string& c) override {
    return ::FindWindowA(c.c_str(), nullptr);
  }
  [[noreturn]] void EndProcess(int code) override { throw Ended{code}; }
};

}  // namespace lark::test
