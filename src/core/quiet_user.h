// The user as a hidden unattended run ("/a" with "/h") has it: nobody. Message boxes become
// lines of the run's report and questions are answered "no", so that a scheduled backup
// never waits for a person who is not there.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

class QuietUser : public IUser {
 public:
  explicit QuietUser(IUser& real) : real_(real) {}
  void SetSink(std::vector<std::string>* sink) { sink_ = sink; }

  void MessageBoxA(const std::string& text, const std::string&) override {
    if (sink_) sink_->push_back(text);
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileDialog(const OpenFileRequest&) override {
    return std::nullopt;
  }
  void SetPointer(Pointer pointer) override { real_.SetPointer(pointer); }
  bool AskRetryCancel(const std::string& text, const std::string&) override {
    if (sink_) sink_->push_back(text);
    return false;
  }
  bool AskOkCancel(const std::string& text, const std::string&) override {
    if (sink_) sink_->push_back(text);
    return false;
  }
  bool WindowClassExists(const std::string& className) override {
    return real_.WindowClassExists(className);
  }
  [[noreturn]] void EndProcess(int exitCode) override {
    real_.EndProcess(exitCode);
    std::abort();  // not reached: the real user's EndProcess never returns
  }

 private:
  IUser& real_;
  std::vector<std::string>* sink_ = nullptr;
};

// "/a" or "/v" together with "/h", found as the command line handler finds its switches.
bool IsHiddenUnattendedRun(const std::string& commandLine);

}  // namespace lark

namespace lark {

// Whether the boxes a hidden run did not show include one that tells of something that went
// wrong, not just the reminders that no backup folder was set before the command line set one.
bool CountsAsProblems(const std::vector<std::string>& unseenMessages);
bool IsFolderReminder(const std::string& text);

}  // namespace lark
