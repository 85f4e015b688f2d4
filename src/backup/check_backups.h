// Check Backups: every file of every backup the folder keeps is read again and compared with
// its own backup's checksum list, so that a backup that went bad on its disk (USB disks lose
// bits over the years) is found before the day it is needed. Nothing is changed.
#pragma once

#include <cstdint>
#include <string>

namespace lark {

class App;
struct RunOptions;

// How a check ended; also the exit code of a "/v" run.
enum class CheckOutcome {
  AllMatch = 0,           // every listed file of every backup matches its list
  NoBackupFolder = 1,     // no backup folder is set
  FolderUnavailable = 2,  // it cannot be opened, or another run holds it
  MissingOrDamaged = 7,   // a file is missing or damaged, a list is, or there is no backup
};

inline constexpr const char* kCheckReportFile = "CheckReport.txt";

// What is being read, for whoever shows it.
struct CheckProgress {
  std::string backup;  // as the report names it
  std::string file;    // its full path
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // bytes of every listed file there is
};

// The window that shows the check going on: Show is called every few tens of milliseconds
// while files are read, and answers false once the person asked to stop (Cancel).
class ICheckView {
 public:
  virtual ~ICheckView() = default;
  virtual bool Show(const CheckProgress& progress) = 0;
  // The reading has ended: the window goes before the result is shown.
  virtual void Close() = 0;
};

// Checks the backups of options.folder, the newest and each one in Earlier Backups, while
// holding the folder as a restore does (a backup cannot swap them meanwhile); the result goes
// into CheckReport.txt at the top of the folder, and into a box when somebody is there.
// `view` may be null (nobody watches).
CheckOutcome CheckBackups(App& app, const RunOptions& options, ICheckView* view);

}  // namespace lark
