// The command line: "/b:" folder, "/a" unattended backup, "/h" hidden, "/o" overwrite,
// "/g:N" backups kept, "/w" address-book backup. Each switch is a plain substring, case ignored.
#include <cctype>

#include "backup/complete_backup.h"
#include "core/registry_access.h"
#include "core/settings.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "program/startup.h"
#include "ui/handlers.h"
#include "ui/windowed_app.h"

namespace lark {

namespace {

constexpr std::size_t kMaxFolderPath = 248;

// The folder of "/b:" as a user or a scheduled task writes it. Windows allows no quote in
// a path and drops blanks at its end, so the quotes that a folder with blanks naturally
// gets ("/b:"D:\Mail Backup"", or the whole switch quoted) and blanks around them are
// dropped; nothing else is changed.
std::string FolderArgument(std::string folder) {
  auto junk = [](char c) { return c == '"' || c == ' ' || c == '\t'; };
  while (!folder.empty() && junk(folder.back())) folder.pop_back();
  std::size_t first = 0;
  while (first < folder.size() && junk(folder[first])) ++first;
  return folder.substr(first);
}

// Applies "/b:": the rest of the line is the folder. False when it cannot be made and
// entered, in which case the setting keeps what it held before.
bool ApplyFolderSwitch(App& app, const std::string& folder) {
  const std::string previous = StoredBackupFolder(app);
  IFileSystem& fs = app.p.files;
  // Windows makes no folder whose path is this long, and a program could not open it again.
  bool ok = !folder.empty() && folder.size() < kMaxFolderPath;
  if (ok && folder.size() >= 2 && folder[1] == ':')
    ok = fs.SetCurrentDirectoryA(folder.substr(0, 2));
  if (ok) {
    SetKeyValue(app.p, kSettingsKey, kFolderValue, folder, kRegSz);
    bool exists = false;
    try {
      exists = PathExists(app.p, folder, true);
    } catch (const std::exception&) {
      exists = false;
    }
    // A new disk has none of the folders yet: every missing one is made.
    if (!exists) MakeFolder(app.p, folder);
    ok = fs.SetCurrentDirectoryA(folder);
    // A relative folder is kept as the full path it named now; later runs start elsewhere.
    if (ok && !IsFullPath(folder))
      SetKeyValue(app.p, kSettingsKey, kFolderValue, fs.GetCurrentDirectoryA(), kRegSz);
  }
  if (!ok && !previous.empty()) SetKeyValue(app.p, kSettingsKey, kFolderValue, previous, kRegSz);
  return ok;
}

}  // namespace

void HandleCommandLine(WindowedApp& app) {
  const std::string c = app.state.commandLine;
  const std::string lower = Lowered(c);
  app.state.unattended = false;
  const bool backup = lower.find("/a") != std::string::npos;

  std::size_t b = lower.find("/b:");
  if (b != std::string::npos) {
    const std::string folder = FolderArgument(c.substr(b + 3));
    if (!ApplyFolderSwitch(app, folder)) {
      if (backup) {
        // Nobody may be there to read a message: the exit code tells the scheduler.
        app.state.exitCode = static_cast<int>(BackupOutcome::BadFolderArgument);
        Exit_Click(app);
      }
      app.p.user.MessageBoxA(texts::BadFolderArgument(folder), texts::kAppTitle);
      return;
    }
  }
  // "/g:N" before "/a", so that the run it starts keeps what it asks for.
  std::size_t g = lower.find("/g:");
  if (g != std::string::npos) {
    std::string number = c.substr(g + 3);
    number = number.substr(0, number.find_first_of(" \t/"));
    if (!SetGenerations(app, number)) {
      const std::string note =
          texts::GenerationsNotUsed(c.substr(g, 3 + number.size()), StoredGenerations(app));
      if (backup)
        app.state.runNotes.push_back(note);
      else
        app.p.user.MessageBoxA(note, texts::kAppTitle);
    }
  }
  if (backup) {
    app.Form1().SetVisible(lower.find("/h") == std::string::npos);
    app.state.unattended = true;
    cmdComplete_Click(app);
  }
  if (lower.find("/o") != std::string::npos) {
    SetKeyValue(app.p, kSettingsKey, kOverwriteValue, "1", kRegDword);
    app.Form1().SetChkOverwrite(1);
  }
  if (lower.find("/w") != std::string::npos) addBookFile_Click(app);
  if (app.state.unattended) Exit_Click(app);
}

}  // namespace lark
