// "Export Mail": every message of the chosen stores of one backup written out as standard
// files that any mail program reads, .eml files (one per message, its exact bytes) or one
// mbox per mail folder. Only store copies that match the backup's checksum list are read; the
// target folder, which must be empty, gets its own checksum list and ExportReport.txt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lark {

class App;
struct BackupContents;
struct RunOptions;

enum class ExportFormat { Eml, Mbox };

// What the user ticked: per identity (by key), the file names of its stores.
struct ExportChoice {
  struct Identity {
    std::string key;
    std::vector<std::string> stores;
  };
  std::vector<Identity> identities;
  bool Empty() const;
};

// The exit codes of an export ("/x:"); 1 and 2 are those of a backup's folder.
enum class ExportOutcome {
  Complete = 0,         // every message of every store exported
  NoBackupFolder = 1,   // no backup folder is set
  BadFolder = 2,        // the backup folder or the export's folder could not be used
  SomeNotExported = 4,  // ran to its end, but some messages could not be read or written
  Stopped = 6,          // stopped before its end (memory ran out)
  NoBackup = 7,         // the backup folder holds no backup
};

// What the progress bar shows; Update answers false when the user cancelled.
class ExportProgress {
 public:
  virtual ~ExportProgress() = default;
  virtual bool Update(const std::string& store, std::uint64_t messages, std::uint64_t bytesDone,
                      std::uint64_t bytesTotal) = 0;
};

// What the export dialog calls: Check answers why a folder cannot take the export ("" when it
// can); Run exports and closes the run (its report and closing box).
struct ExportRunner {
  std::function<std::string(const std::string& target)> check;
  std::function<void(const ExportChoice&, const std::string& target, ExportFormat, ExportProgress*)>
      run;
};

// The stores of a backup that hold messages: every .dbx but the folder list and the stores of
// the mail client's own bookkeeping.
bool IsMailStore(const std::string& file);

// Every mail store of every identity of the backup.
ExportChoice WholeBackup(const BackupContents& c);

inline constexpr const char* kExportReportFile = "ExportReport.txt";

// Why the export may not go into `target` (a message in words), or "" when it may: a full
// path, an empty folder (made when missing, with makeMissing), outside the backup folder
// (options.folder), the backup itself and every store folder of the backup's identities.
std::string ExportTargetProblem(App& app, const RunOptions& options, const BackupContents& c,
                                const std::string& target, bool makeMissing);

// Exports the chosen stores into `target` (checked with ExportTargetProblem first) and closes
// the run: the report in the target and, when somebody is there, in a closing box. Answers
// the run's exit code; *cancelled tells whether the progress was cancelled.
ExportOutcome ExportMail(App& app, const RunOptions& options, const BackupContents& c,
                         const ExportChoice& choice, const std::string& target, ExportFormat format,
                         ExportProgress* progress = nullptr, bool* cancelled = nullptr);

// For the names of .eml files: "YYYY-MM-DD HH.MM" of an RFC 822 Date header's text as the
// sender's clock read it, "" when it is no date.
std::string DateHeaderStamp(const std::string& head);

// The .eml file's name (without folder) for a message: stamp and subject made one safe file
// name of at most `limit` characters before " (n).eml".
std::string MessageFileName(const std::string& stamp, const std::string& subject,
                            std::size_t limit);

// Quotes mbox body lines as mboxrd does, across the blocks a message arrives in: a line
// beginning with "From " or any number of ">" before "From " gets one more ">".
class MboxQuoter {
 public:
  // Appends the quoted form of the bytes to out.
  void Feed(const char* data, std::size_t n, std::string* out);
  // What is held back at the message's end.
  void Finish(std::string* out);

 private:
  bool lineStart_ = true;
  std::uint64_t marks_ = 0;  // ">" seen at the line's start
  std::size_t matched_ = 0;  // of "From " after them
};

}  // namespace lark
