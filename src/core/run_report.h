// What a complete backup or restore did and what it could not do: shown once at its end
// when somebody can see it, and written into the backup folder for whoever looks later
// (for a scheduled run the only place a person can read what happened).
#pragma once

#include <string>
#include <vector>

namespace lark {

class App;
struct RunOptions;

struct RunReport {
  std::vector<std::string> done;      // one line per identity, export or file put back
  std::vector<std::string> problems;  // "- ..." lines, in words a user understands
};

inline constexpr const char* kBackupReportFile = "BackupReport.txt";
inline constexpr const char* kRestoreReportFile = "RestoreReport.txt";

// For CloseRun and ReportText: interactive commands have no exit code to report.
inline constexpr int kNoExitCode = -1;

// Shows the problems under `intro` in one message box (not when `run` is hidden and nobody is
// there to press OK) and writes the report file into `folder` when it is a full path.
// exitCode < 0 (kNoExitCode) leaves the exit code out. With doneIntro, the box is shown
// even when all went well, and lists under it what was done before the problems.
void CloseRun(App& app, const RunOptions& run, const char* intro, const char* title,
              const char* reportFile, const std::string& folder, int exitCode,
              const char* doneIntro = nullptr);

// The report file's text as CloseRun writes it, for a run that is not over yet.
std::string ReportText(const RunReport& r, const char* intro, const char* title,
                       const std::string& folder, int exitCode);

}  // namespace lark
