#include "platform/memory/memory_platform.h"

#include <algorithm>
#include <cctype>

namespace lark {

namespace {

class MemoryReader : public IFileReader {
 public:
  explicit MemoryReader(std::string data) : data_(std::move(data)) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    *got = std::min(capacity, data_.size() - pos_);
    data_.copy(buffer, *got, pos_);
    pos_ += *got;
    return true;
  }

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

class MemoryWriter : public IFileWriter {
 public:
  MemoryWriter(MemoryFileSystem& files, std::string path, bool fail)
      : files_(files), path_(std::move(path)), fail_(fail) {}
  ~MemoryWriter() override {
    if (!committed_) files_.WriteFile(path_, data_);
  }
  bool Write(const char* data, std::size_t size) override {
    if (fail_) return false;
    data_.append(data, size);
    return true;
  }
  bool Commit() override {
    committed_ = true;
    return !fail_ && files_.WriteFile(path_, data_);
  }

 private:
  MemoryFileSystem& files_;
  std::string path_;
  std::string data_;
  bool fail_;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<IFileReader> MemoryFileStreams::OpenRead(const std::string& path) {
  std::string contents;
  if (lockedFiles.count(files_.Absolute(path)) || !files_.ReadFile(path, &contents)) return nullptr;
  return std::make_unique<MemoryReader>(std::move(contents));
}

std::unique_ptr<IFileWriter> MemoryFileStreams::Create(const std::string& path) {
  if (lockedFiles.count(files_.Absolute(path)) || !files_.WriteFile(path, std::string()))
    return nullptr;
  return std::make_unique<MemoryWriter>(files_, path, failWrites);
}

ProcessId MemoryProcesses::Start(const std::string& commandLine, int showStyle) {
  if (failStart) return 0;
  started.push_back(commandLine);
  showStyles.push_back(showStyle);
  directories.push_back(files ? files->GetCurrentDirectoryA() : std::string());
  if (onStart) onStart(commandLine);
  ProcessId id = next_++;
  open_[id] = true;
  return id;
}

bool MemoryProcesses::Wait(ProcessId process, std::uint32_t) {
  if (process == 0) return true;
  return !neverEnds;
}

void MemoryProcesses::Release(ProcessId process) { open_.erase(process); }

int MemoryShell::FileCopy(const std::string& from, const std::string& to, unsigned flags) {
  copies.push_back({from, to, flags});
  return files_.ShellCopy(from, to, (flags & kFofNoConfirmation) != 0, confirmReplace);
}

std::intptr_t MemoryShell::ShellExecuteA(std::uintptr_t ownerWindow, const std::string& verb,
                                        const std::string& file, const std::string& parameters,
                                        const std::string& directory, int showCommand) {
  executed.push_back({ownerWindow, verb, file, parameters, directory, showCommand});
  return 42;  // above 32: success
}

std::optional<std::string> MemoryShell::BrowseForFolder(std::uintptr_t ownerWindow,
                                                        const std::string& title, unsigned flags) {
  browseTitles.push_back(title);
  browseOwners.push_back(ownerWindow);
  browseFlags.push_back(flags);
  if (browseAnswers.empty()) return std::nullopt;
  auto answer = browseAnswers.front();
  browseAnswers.pop_front();
  return answer;
}

std::string MemoryShell::ExpandEnvironmentStringsA(const std::string& text) {
  // As Windows: every %NAME% of a defined variable is replaced, case-insensitively;
  // undefined references and lone percent signs stay as they are.
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '%') {
      std::size_t end = text.find('%', i + 1);
      if (end != std::string::npos) {
        std::string name = text.substr(i + 1, end - i - 1);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto it = environment.find(name);
        if (it != environment.end() && !name.empty()) {
          out += it->second;
          i = end + 1;
          continue;
        }
        out += text.substr(i, end - i);
        i = end;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

void MemoryUser::MessageBoxA(const std::string& text, const std::string& title) {
  messages.push_back({text, title});
  if (onMessage) onMessage(text);
}

std::optional<std::string> MemoryUser::InputBox(const std::string& prompt,
                                                const std::string& title) {
  inputPrompts.push_back(prompt);
  inputTitles.push_back(title);
  if (inputAnswers.empty()) return std::nullopt;
  auto answer = inputAnswers.front();
  inputAnswers.pop_front();
  return answer;
}

std::optional<std::string> MemoryUser::OpenFileDialog(const OpenFileRequest& request) {
  openFileRequests.push_back(request);
  if (openFileAnswers.empty()) return std::nullopt;
  auto answer = openFileAnswers.front();
  openFileAnswers.pop_front();
  return answer;
}

}  // namespace lark
