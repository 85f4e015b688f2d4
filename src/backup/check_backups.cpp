#include "backup/check_backups.h"

#include <algorithm>
#include <atomic>
#include <set>
#include <vector>

#include "backup/kept_backups.h"
#include "core/app.h"
#include "core/run_report.h"
#include "core/texts.h"
#include "fs/backup_set.h"
#include "fs/file_hashes.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/text.h"

namespace lark {

namespace {

// A person's own files inside a backup are named, but a folder full of them would bury the
// result: the rest is counted.
constexpr std::size_t kNotesPerBackup = 20;
// Lines of faults in the closing box; the report names them all.
constexpr std::size_t kFaultsShown = 20;
// How often the view is shown the progress while a file is being read.
constexpr std::uint32_t kShowEveryMs = 40;

struct Backup {
  std::string folder;
  std::string label;
  enum class List { Read, None, Unreadable } list = List::None;
  std::size_t files = 0, settled = 0, faults = 0;
  std::vector<std::string> unlisted;  // full paths, the first kNotesPerBackup of them
  std::size_t moreUnlisted = 0;
};

struct File {
  std::string path;
  std::string hex;  // as listed
  std::uint64_t size = 0;
  bool there = true;
};

std::string WithBackslashes(std::string rel) {
  std::replace(rel.begin(), rel.end(), '/', '\\');
  return rel;
}

// Names the program itself keeps beside a backup's files, not part of what its list vouches for.
bool Bookkeeping(const std::string& name, bool top) {
  for (const char* own :
       {kManifestFile, kBackupInfoFile, kBackupReportFile, kRestoreReportFile, kCheckReportFile})
    if (SameName(name, own)) return true;
  return top && SameName(name, kEarlierBackupsFolder);
}

void Note(Backup* b, std::string path) {
  if (b->unlisted.size() < kNotesPerBackup)
    b->unlisted.push_back(std::move(path));
  else
    ++b->moreUnlisted;
}

// The files below `folder` that `list` does not name. At the backup's top, a folder the list
// names nothing in is a person's own and is named as a whole, not walked; a link is never
// followed.
void Unlisted(IFileSystem& fs, const std::string& folder, const std::string& rel,
              const Manifest& list, const std::set<std::string>& listedFolders, bool top,
              Backup* b) {
  std::vector<FindEntry> entries;
  if (fs.FindFiles(folder + "\\*", &entries) != kErrorSuccess) return;
  for (const FindEntry& e : entries) {
    if (e.name == "." || e.name == ".." || (rel.empty() && Bookkeeping(e.name, top))) continue;
    const std::string path = folder + "\\" + e.name;
    const std::string name = rel.empty() ? e.name : rel + "/" + e.name;
    if (!(e.attributes & kFileAttributeDirectory)) {
      if (!list.Find(name)) Note(b, path);
    } else if (!IsLink(e) && (!rel.empty() || listedFolders.count(FoldedName(e.name)))) {
      Unlisted(fs, path, name, list, listedFolders, top, b);
    } else {
      Note(b, path + "\\");
    }
  }
}

// What one backup holds to be read: its listed files, each with its size when it is there.
Backup Look(IFileSystem& fs, const BackupSet& set, std::vector<File>* files, bool notes) {
  Backup b;
  files->clear();
  b.folder = set.folder;
  b.label = set.newest ? texts::CheckBackupLabel(
                             set.info.made.empty() ? texts::kMadeUnknown : set.info.made, true)
                       : texts::CheckBackupLabel(NameFromFullPath(set.folder), false);
  if (fs.GetFileAttributesA(set.folder + "\\" + kManifestFile) == kInvalidFileAttributes) return b;
  Manifest list;
  if (!ReadManifest(fs, set.folder, &list)) {
    b.list = Backup::List::Unreadable;
    return b;
  }
  b.list = Backup::List::Read;
  std::set<std::string> listedFolders;
  for (const auto& [rel, hex] : list.Files()) {
    File f;
    f.path = set.folder + "\\" + WithBackslashes(rel);
    f.hex = hex;
    FileInfo info;
    f.there = fs.GetFileInfo(f.path, &info) && !(info.attributes & kFileAttributeDirectory);
    f.size = f.there ? info.size : 0;
    files->push_back(std::move(f));
    const std::size_t slash = rel.find('/');
    if (slash != std::string::npos) listedFolders.insert(FoldedName(rel.substr(0, slash)));
  }
  b.files = files->size();
  if (notes) Unlisted(fs, set.folder, "", list, listedFolders, set.newest, &b);
  return b;
}

// The reading of every backup's files in turn, a few files ahead on the hashing threads.
struct Reading {
  Reading(const Platform& p, ICheckView* v)
      : processes(p.processes), hashes(p.processes, p.streams), view(v) {
    hashes.CountBytes(&read);
  }
  IProcesses& processes;
  std::atomic<std::uint64_t> read{0};  // before the hashes, whose threads count into it
  FileHashes hashes;
  ICheckView* view;
  std::uint64_t settled = 0, total = 0;
  bool cancelled = false;

  bool Show(const Backup& b, const File& f) {
    CheckProgress progress;
    progress.backup = b.label;
    progress.file = f.path;
    progress.total = total;
    progress.done = std::min(total, std::max(settled, read.load()));
    return view->Show(progress);
  }

  // Each file of the backup judged in the list's order; false when the check was cancelled.
  bool Judge(Backup* b, const std::vector<File>& files, RunReport* report) {
    std::size_t handed = 0;
    for (const File& f : files) {
      for (; handed < files.size() && hashes.Size() < FileHashes::kMaxInFlight; ++handed)
        if (files[handed].there) hashes.Add(files[handed].path);
      if (view) {
        // Shown (and Cancel heard) while a large file is read.
        while (f.there && !hashes.FrontReady() && !cancelled) {
          cancelled = !Show(*b, f);
          if (!cancelled) processes.Pause(kShowEveryMs);
        }
        if (cancelled || (cancelled = !Show(*b, f))) return false;
      }
      std::string hex, line;
      if (!f.there)
        line = texts::CheckFileMissing(f.path);
      else if (!hashes.Take(&hex))
        line = texts::CheckFileUnreadable(f.path);
      else if (hex != f.hex)
        line = texts::CheckFileDamaged(f.path);
      settled += f.size;
      ++b->settled;
      if (!line.empty()) {
        ++b->faults;
        report->problems.push_back(line);
      }
    }
    return true;
  }
};

// The line that sums up one backup; true when it counts as a fault.
bool Judgement(const Backup& b, RunReport* report) {
  switch (b.list) {
    case Backup::List::None: report->done.push_back(texts::CheckNoList(b.label)); return false;
    case Backup::List::Unreadable:
      report->done.push_back(texts::CheckListUnreadable(b.label));
      report->problems.push_back(texts::CheckListDamaged(b.folder));
      return true;
    case Backup::List::Read: break;
  }
  if (b.faults)
    report->done.push_back(texts::CheckSomeFaulty(b.label, b.faults, b.files));
  else if (b.settled < b.files)
    report->done.push_back(texts::CheckNotToTheEnd(b.label, b.settled, b.files));
  else
    report->done.push_back(texts::CheckAllMatch(b.label, b.files));
  for (const std::string& path : b.unlisted) report->done.push_back(texts::CheckUnlistedNote(path));
  if (b.moreUnlisted) report->done.push_back(texts::CheckMoreUnlisted(b.moreUnlisted));
  return b.faults > 0;
}

// The closing box: what was found, the faults cut short where the report names them all.
std::string BoxText(const RunReport& r, bool cancelled, const std::string& notWritten) {
  std::string text = cancelled ? texts::kCheckCancelledIntro : texts::kCheckFinished;
  for (const std::string& d : r.done) text += "\r\n" + d;
  if (!r.problems.empty()) text += std::string("\r\n\r\n") + texts::kCheckFaultsIntro;
  for (std::size_t i = 0; i < r.problems.size() && i < kFaultsShown; ++i)
    text += "\r\n" + r.problems[i];
  if (r.problems.size() > kFaultsShown)
    text += "\r\n" + texts::CheckMoreFaults(r.problems.size() - kFaultsShown);
  if (!notWritten.empty()) text += "\r\n\r\n" + notWritten;
  return text;
}

}  // namespace

CheckOutcome CheckBackups(App& app, const RunOptions& options, ICheckView* view) {
  IFileSystem& fs = app.p.files;
  const std::string& folder = options.folder;
  if (folder == texts::kNoneSelected) {
    app.p.user.MessageBoxA(texts::kFirstRunReminder, texts::kAppTitle);
    return CheckOutcome::NoBackupFolder;
  }
  if (!IsFullPath(folder) || !DirExists(app.p, folder)) {
    app.p.user.MessageBoxA(texts::CheckFolderNotOpened(folder), texts::kAppTitle);
    return CheckOutcome::FolderUnavailable;
  }
  // Held as a restore holds it: a backup that starts meanwhile does nothing, and a swap a
  // killed backup left half done is finished first, so that the top is one whole backup.
  FolderVisit visit(app.p, folder);
  if (visit.Enter() == FolderHold::Result::Busy) {
    app.p.user.MessageBoxA(texts::CheckBusy(folder), texts::kAppTitle);
    return CheckOutcome::FolderUnavailable;
  }
  const std::vector<BackupSet> sets = ListBackups(app.p, folder);
  RunReport& report = app.state.report;
  report = RunReport();
  std::vector<File> files;  // of one backup at a time: a list may name tens of thousands
  std::vector<Backup> judged;
  bool faulty = sets.empty(), cancelled = false;
  {
    Reading reading(app.p, view);
    // The bytes of every backup first, for the progress bar's whole.
    if (view)
      for (const BackupSet& set : sets) {
        Look(fs, set, &files, false);
        for (const File& f : files) reading.total += f.size;
      }
    for (const BackupSet& set : sets) {
      judged.push_back(Look(fs, set, &files, true));
      if (!reading.Judge(&judged.back(), files, &report)) break;
    }
    cancelled = reading.cancelled;
  }  // the hashing threads end here, a cancelled file unfinished
  if (view) view->Close();
  if (cancelled) report.done.push_back(texts::kCheckCancelledLine);
  for (const Backup& b : judged) faulty = Judgement(b, &report) || faulty;
  if (sets.empty()) report.problems.push_back(texts::kCheckNoBackup);

  const CheckOutcome outcome = faulty ? CheckOutcome::MissingOrDamaged : CheckOutcome::AllMatch;
  const int code = options.unattended ? static_cast<int>(outcome) : kNoExitCode;
  const bool written = ReplaceTextFile(
      fs, folder + "\\" + kCheckReportFile,
      ReportText(report, texts::kCheckFaultsIntro, texts::kReportOfCheck, folder, code));
  if (options.PersonThere())
    app.p.user.MessageBoxA(
        BoxText(report, cancelled, written ? std::string() : texts::CheckReportNotWritten(folder)),
        texts::kAppTitle);
  report = RunReport();
  return outcome;
}

}  // namespace lark
