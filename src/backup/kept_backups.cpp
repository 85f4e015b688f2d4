#include "backup/kept_backups.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>

#include "core/run_report.h"
#include "core/texts.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/text.h"

namespace lark {

namespace {

struct Journal {
  std::string staged;                // the staging folder's name inside Earlier Backups
  std::string old;                   // the name the previous top gets there; "" when there was none
  std::vector<std::string> entries;  // the previous top's files and folders to move
};

bool Exists(IFileSystem& fs, const std::string& path) {
  return fs.GetFileAttributesA(path) != kInvalidFileAttributes;
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

// "name", or with `inFolder` also "folder\\name".
bool IsEntryName(const std::string& value, bool inFolder) {
  const std::size_t slash = value.find('\\');
  if (slash == std::string::npos || !inFolder) return value.empty() || IsPlainName(value);
  return IsPlainName(value.substr(0, slash)) && IsPlainName(value.substr(slash + 1));
}

std::string JournalText(const Journal& j) {
  std::string text = "new\t" + j.staged + "\r\nold\t" + j.old + "\r\n";
  for (const std::string& e : j.entries) text += "entry\t" + e + "\r\n";
  return text;
}

bool ParseJournal(const std::string& text, Journal* j) {
  bool haveNew = false;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
    // Names only, or for an entry a name inside one folder of the top, never paths: a damaged
    // journal cannot move anything out of the folder.
    if (!IsEntryName(value, key == "entry")) continue;
    if (key == "new") {
      j->staged = value;
      haveNew = EndsWith(value, kStagingSuffix);
    } else if (key == "old") {
      j->old = value;
    } else if (key == "entry" && !value.empty()) {
      j->entries.push_back(value);
    }
  }
  return haveNew && (j->old.empty() || IsKeptBackupName(j->old));
}

// The time the top's backup was made: its info's, else its report's heading, else its list's
// date; "" when nothing tells.
std::string MadeOfTop(IFileSystem& fs, const std::string& folder) {
  BackupInfo info;
  if (ReadBackupInfo(fs, folder, &info) && IsKeptBackupName(info.made)) return info.made;
  std::string report;
  FileInfo file;
  if (fs.GetFileInfo(folder + "\\BackupReport.txt", &file) && file.size < (1u << 20) &&
      fs.ReadFile(folder + "\\BackupReport.txt", &report)) {
    const std::string line = report.substr(0, report.find('\n'));
    for (std::size_t i = 0; i + 19 <= line.size(); ++i) {
      std::string t = line.substr(i, 19);
      if (t[13] == ':' && t[16] == ':') t[13] = t[16] = '.';
      if (IsKeptBackupName(t)) return t;
    }
  }
  for (const char* name : {kManifestFile, kAllIdentitiesFile, kIamFile, kAddressBookFile}) {
    if (!fs.GetFileInfo(folder + "\\" + name, &file) || file.lastWrite == 0) continue;
    // FILETIME: 100 ns since 1601; the calendar from the days since 1970.
    const long long secs = static_cast<long long>(file.lastWrite / 10000000ull) - 11644473600ll;
    long long days = secs / 86400, rest = secs % 86400;
    if (secs < 0) break;
    days += 719468;
    const long long era = days / 146097, doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2);
    if (y > 9999) return "9999-12-31 23.59.59";  // a clock set wrong: still a name that sorts
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld.%02lld.%02lld", y, m, d,
                  rest / 3600, rest / 60 % 60, rest % 60);
    return text;
  }
  return "";
}

// A name in Earlier Backups for a backup made at `made`: the time, or when that second is
// taken already, the time and " (n)" with n above every number in use for it, so that the
// names still sort as the backups were made. `avoid` is the run's own staging folder.
std::string FreeName(IFileSystem& fs, const std::string& earlier, const std::string& when,
                     const std::string& avoid = "") {
  // The time alone, without a " (n)" it was kept under before: a name made from anything else
  // would be one no later run recognises as a kept backup.
  const std::string made = when.size() >= 19 && IsKeptBackupName(when.substr(0, 19))
                               ? when.substr(0, 19)
                               : std::string("1980-01-01 00.00.00");
  int highest = 0;
  std::vector<FindEntry> found;
  if (fs.FindFiles(earlier + "\\" + made + "*", &found) == kErrorSuccess) {
    for (const FindEntry& e : found) {
      std::string name = e.name;
      for (const char* suffix : {kStagingSuffix, kDeletingSuffix})
        if (EndsWith(name, suffix)) name.resize(name.size() - std::strlen(suffix));
      if (name.compare(0, made.size(), made) != 0 || !IsKeptBackupName(name)) continue;
      highest = std::max(highest, name.size() == made.size() ? 1 : std::atoi(name.c_str() + 21));
    }
  }
  for (int n = highest + 1;; ++n) {
    const std::string name = n == 1 ? made : made + " (" + std::to_string(n) + ")";
    if (name + kStagingSuffix != avoid && !Exists(fs, earlier + "\\" + name)) return name;
  }
}

std::vector<std::string> EntryNames(IFileSystem& fs, const std::string& folder) {
  std::vector<FindEntry> found;
  std::vector<std::string> names;
  if (fs.FindFiles(folder + "\\*", &found) != kErrorSuccess) return names;
  for (const FindEntry& e : found)
    if (e.name != "." && e.name != "..") names.push_back(e.name);
  return names;
}

// What a backup wrote in its folder (the top or a kept one), by its path there ("IAM.reg",
// "Main\\Inbox.dbx"): the files its checksum list names, the names every backup writes (its
// registry files, info, report, list, signatures files, and their scratch names), and in a
// backup made before there were lists, its address books and message stores. Nothing below an
// identity folder is a backup's, nor anything else: those files are a person's.
class BackupFiles {
 public:
  BackupFiles(IFileSystem& fs, const std::string& folder, const std::string& parkedList = "") {
    std::string text;
    Manifest list;
    listed_ = (fs.ReadFile(folder + "\\" + kManifestFile, &text) ||
               (!parkedList.empty() && fs.ReadFile(parkedList, &text))) &&
              list.Parse(text);
    if (!listed_) return;
    // A list far longer than a backup writes is read all the same: each line is one name.
    for (const std::string& line : TextLines(text)) {
      if (line.size() < 67 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*')) continue;
      std::string rel = line.substr(66);
      for (char& c : rel)
        if (c == '/') c = '\\';
      named_.insert(FoldedName(rel));
    }
  }

  // `rel`: a name at the top, or "folder\\name".
  bool Own(const std::string& rel) const {
    const std::string folded = FoldedName(rel);
    if (named_.count(folded)) return true;
    const std::size_t slash = folded.find('\\');
    const std::string name = folded.substr(slash == std::string::npos ? 0 : slash + 1);
    const bool top = slash == std::string::npos;
    static const std::vector<const char*> kTop = {kAllIdentitiesFile, kIamFile,
                                                  kAddressBookFile,   kBackupInfoFile,
                                                  kBackupReportFile,  kManifestFile};
    static const std::vector<const char*> kInIdentity = {kSignaturesHiveXp, kSignaturesHive2k,
                                                         kSignaturesExport};
    for (const char* n : top ? kTop : kInIdentity)
      if (SameName(name, n) || SameName(name, ScratchNameFor(n))) return true;
    if (listed_) return false;
    return EndsWith(name, ".WAB") || (!top && EndsWith(name, ".DBX"));
  }

 private:
  bool listed_ = false;
  std::set<std::string> named_;
};

struct FolderEntry {
  std::string name;
  bool folder;  // a real folder: a link is never gone into
  bool link;
};

std::vector<FolderEntry> EntriesOf(IFileSystem& fs, const std::string& folder) {
  std::vector<FindEntry> found;
  std::vector<FolderEntry> out;
  if (fs.FindFiles(folder + "\\*", &found) != kErrorSuccess) return out;
  for (const FindEntry& e : found)
    if (e.name != "." && e.name != "..")
      out.push_back({e.name, (e.attributes & kFileAttributeDirectory) && !IsLink(e), IsLink(e)});
  return out;
}

// The previous top's own entries, as the swap moves them into Earlier Backups: each file the
// backup wrote (BackupFiles), and whatever is in the way of a file the new backup puts at the
// top under the same name. An identity folder that holds nothing else moves whole; one that
// also holds a person's files (or a folder, or a link) stays, and only the backup's files in
// it move, as "folder\\name". The list itself is moved apart, first. A swap that was cut short
// has already parked the top's list in the folder the previous top moves to: that one is read
// then.
std::vector<std::string> TopEntries(const Platform& p, const std::string& folder,
                                    const std::string& staged, const std::string& parkedList = "") {
  IFileSystem& fs = p.files;
  const BackupFiles own(fs, folder, parkedList);
  std::vector<std::string> out;
  for (const FolderEntry& e : EntriesOf(fs, folder)) {
    if (SameName(e.name, kEarlierBackupsFolder) || SameName(e.name, kManifestFile)) continue;
    const std::string newer = staged + "\\" + e.name;
    const std::uint32_t a = fs.GetFileAttributesA(newer);
    const bool inTheWay = a != kInvalidFileAttributes;
    if (!e.folder || (inTheWay && !(a & kFileAttributeDirectory))) {
      if (inTheWay || (!e.link && own.Own(e.name))) out.push_back(e.name);
      continue;
    }
    std::vector<std::string> moving;
    bool others = false;
    for (const FolderEntry& inner : EntriesOf(fs, folder + "\\" + e.name)) {
      const std::string rel = e.name + "\\" + inner.name;
      if (!inner.folder && !inner.link && (own.Own(rel) || Exists(fs, staged + "\\" + rel)))
        moving.push_back(rel);
      else
        others = true;
    }
    if (moving.empty()) continue;
    if (!others)
      out.push_back(e.name);
    else
      out.insert(out.end(), moving.begin(), moving.end());
  }
  return out;
}

bool Move(IFileSystem& fs, const std::string& from, const std::string& to,
          std::vector<std::string>* problems, int* step) {
  if (step) BackupStep("swap " + std::to_string(++*step));
  if (fs.MoveFileA(from, to)) return true;
  if (problems) problems->push_back(texts::NotMoved(from, to));
  return false;
}

bool IsRealFolder(IFileSystem& fs, const std::string& path) {
  return IsExistingFolder(fs, path) && !IsLink(fs, path);
}

// `from` to `to` in one rename. A folder whose place is taken by a folder already (the top's
// identity folder that a person's files keep there, or one a cut-short swap began to fill)
// moves into it file by file, and goes once it is empty. With skipTaken, a file whose place
// is taken stays where it is; otherwise that is a failure. Nothing to move is no failure.
bool MoveInto(IFileSystem& fs, const std::string& from, const std::string& to, bool skipTaken,
              std::vector<std::string>* problems, int* step) {
  if (!Exists(fs, from)) return true;
  if (!Exists(fs, to)) return Move(fs, from, to, problems, step);
  if (!IsRealFolder(fs, from) || !IsRealFolder(fs, to))
    return skipTaken || Move(fs, from, to, problems, step);
  bool all = true;
  for (const FolderEntry& e : EntriesOf(fs, from))
    all = MoveInto(fs, from + "\\" + e.name, to + "\\" + e.name, skipTaken, problems, step) && all;
  fs.RemoveDirectoryA(from);
  return all;
}

// The swap from wherever it stopped to its end: every step is a rename that is done only
// while its source is still there.
bool RollForward(const Platform& p, const std::string& folder, const Journal& j,
                 std::vector<std::string>* problems) {
  IFileSystem& fs = p.files;
  const std::string earlier = EarlierBackupsOf(folder);
  const std::string staged = earlier + "\\" + j.staged;
  int step = 0;
  if (!j.old.empty()) {
    const std::string moving = earlier + "\\" + j.old + kStagingSuffix;
    if (Exists(fs, moving)) {
      const std::string list = folder + "\\" + kManifestFile;
      const std::string parked = moving + "\\" + ScratchNameFor(kManifestFile);
      // The journal is a file in a folder others may write to: it moves only what the
      // previous top can own, never a person's own files kept beside the backups, and each
      // entry as the top holds it now: an identity folder the journal moves whole may have
      // been given a person's file since (then the backup's files in it move one by one), or
      // one it moves file by file may have lost the person's files (then those files move).
      std::set<std::string> named;
      for (const std::string& e : j.entries) named.insert(FoldedName(e));
      std::vector<std::string> moves;
      for (const std::string& e : TopEntries(p, folder, staged, parked)) {
        const std::size_t slash = e.find('\\');
        if (named.count(FoldedName(e)) ||
            (slash != std::string::npos && named.count(FoldedName(e.substr(0, slash)))))
          moves.push_back(e);
        else if (slash == std::string::npos)
          for (const std::string& inner : j.entries)
            if (StartsWithName(inner, e + "\\")) moves.push_back(inner);
      }
      if (Exists(fs, list) && !Exists(fs, parked) && !Move(fs, list, parked, problems, &step))
        return false;
      for (const std::string& e : moves) {
        const std::size_t slash = e.find('\\');
        if (slash != std::string::npos && !Exists(fs, moving + "\\" + e.substr(0, slash)))
          fs.CreateDirectoryA(moving + "\\" + e.substr(0, slash));
        if (!MoveInto(fs, folder + "\\" + e, moving + "\\" + e, true, problems, &step))
          return false;
      }
      if (Exists(fs, parked) && !Move(fs, parked, moving + "\\" + kManifestFile, problems, &step))
        return false;
      if (!Move(fs, moving, earlier + "\\" + j.old, problems, &step)) return false;
    }
  }
  if (Exists(fs, staged)) {
    // The staged list waits under a scratch name while the files it names move, and vouches
    // again, at the top, only once everything it names is there.
    const std::string list = staged + "\\" + kManifestFile;
    const std::string parked = staged + "\\" + ScratchNameFor(kManifestFile);
    if (Exists(fs, list) && !Move(fs, list, parked, problems, &step)) return false;
    bool all = true;
    for (const std::string& e : EntryNames(fs, staged)) {
      if (SameName(e, ScratchNameFor(kManifestFile)) || SameName(e, kBackupInfoFile)) continue;
      // The top's report is this run's by now (the previous one went with its backup): the
      // staged one, written later, replaces it.
      if (SameName(e, kBackupReportFile) && Exists(fs, folder + "\\" + e) &&
          fs.MoveFileReplacing(staged + "\\" + e, folder + "\\" + e))
        continue;
      all = MoveInto(fs, staged + "\\" + e, folder + "\\" + e, false, problems, &step) && all;
    }
    if (all && Exists(fs, staged + "\\" + kBackupInfoFile))
      all = Move(fs, staged + "\\" + kBackupInfoFile, folder + "\\" + kBackupInfoFile, problems,
                 &step);
    if (all && Exists(fs, parked))
      all = Move(fs, parked, folder + "\\" + kManifestFile, problems, &step);
    if (!all) return false;
    fs.RemoveDirectoryA(staged);
  }
  fs.DeleteFileA(earlier + "\\" + kSwapJournalFile);
  BackupStep("swapped");
  return true;
}

// A swap that could not go on in this run (a file of the previous top held open by another
// program) is undone: the previous top's files go back, then its list.
void RollBack(const Platform& p, const std::string& folder, const Journal& j) {
  IFileSystem& fs = p.files;
  const std::string earlier = EarlierBackupsOf(folder);
  const std::string moving = earlier + "\\" + j.old + kStagingSuffix;
  const std::string parked = moving + "\\" + ScratchNameFor(kManifestFile);
  for (const FolderEntry& e : EntriesOf(fs, moving))
    if (!SameName(moving + "\\" + e.name, parked))
      MoveInto(fs, moving + "\\" + e.name, folder + "\\" + e.name, true, nullptr, nullptr);
  if (Exists(fs, parked)) fs.MoveFileA(parked, folder + "\\" + kManifestFile);
  fs.RemoveDirectoryA(moving);
}

}  // namespace

std::string BackupTimeNow() {
  std::time_t t = std::time(nullptr);
  char text[32] = "";
  if (const std::tm* local = std::localtime(&t))
    std::strftime(text, sizeof text, "%Y-%m-%d %H.%M.%S", local);
  return text;
}

std::string KeptNameOfTop(IFileSystem& fs, const std::string& backupFolder) {
  const std::string made = MadeOfTop(fs, backupFolder);
  return made.empty() ? made : FreeName(fs, EarlierBackupsOf(backupFolder), made);
}

namespace {

// The registry editors of a run that was killed a moment ago go on writing their exports into
// its staging folder for a few seconds more (longer on a busy machine), so a folder that will
// not go at once is tried again for a while before it is reported.
bool RemoveLeftover(const Platform& p, const std::string& folder) {
  for (int attempt = 0; attempt < kLeftoverTries; ++attempt) {
    bool linkStayed = false;
    if (RemoveTree(p.files, folder, &linkStayed)) return true;
    // No editor writes through a link that stays: trying again would change nothing.
    if (linkStayed) return false;
    p.processes.Pause(kLeftoverPauseMs);
  }
  return RemoveTree(p.files, folder);
}

}  // namespace

void TidyBackupFolder(const Platform& p, const std::string& backupFolder,
                      std::vector<std::string>* problems) {
  IFileSystem& fs = p.files;
  const std::string earlier = EarlierBackupsOf(backupFolder);
  const std::string journalPath = earlier + "\\" + kSwapJournalFile;
  std::string text;
  Journal j;
  // A journal that is not one of ours (unreadable as one, or longer than any run writes)
  // describes no swap, and would otherwise stop every later backup into this folder.
  if (fs.ReadFile(journalPath, &text)) {
    // A swap moves what its two folders hold: through a link, the files of a folder that is
    // not the backup folder's, which no run of ours ever swaps.
    if (ParseJournal(text, &j) && !IsLink(fs, earlier + "\\" + j.staged) &&
        (j.old.empty() || !IsLink(fs, earlier + "\\" + j.old + kStagingSuffix)))
      RollForward(p, backupFolder, j, problems);
    else
      fs.DeleteFileA(journalPath);
  } else if (fs.LastError() == kErrorFileTooLarge) {
    fs.DeleteFileA(journalPath);
  }
  fs.DeleteFileA(ScratchNameFor(journalPath));
  if (Exists(fs, journalPath)) return;  // a swap still to finish: nothing else is touched
  for (const std::string& name : SubFolders(fs, earlier))
    if ((EndsWith(name, kStagingSuffix) || EndsWith(name, kDeletingSuffix)) &&
        !RemoveLeftover(p, earlier + "\\" + name) && problems)
      problems->push_back(texts::NotRemoved(earlier + "\\" + name));
}

FolderHold::FolderHold(const Platform& p, const std::string& backupFolder)
    : p_(p), earlier_(EarlierBackupsOf(backupFolder)) {}

FolderHold::~FolderHold() {
  if (!lock_) return;
  lock_.reset();
  p_.files.DeleteFileA(earlier_ + "\\" + kLockFile);
}

FolderHold::Result FolderHold::Take(std::vector<std::string>* problems) {
  IFileSystem& fs = p_.files;
  if (!Exists(fs, earlier_) && !fs.CreateDirectoryA(earlier_)) {
    problems->push_back(texts::NotCreated(earlier_));
    return Result::Failed;
  }
  // A lock file that is there but cannot be opened is another run's.
  lock_ = p_.streams.Create(earlier_ + "\\" + kLockFile);
  if (lock_) return Result::Held;
  if (Exists(fs, earlier_ + "\\" + kLockFile)) return Result::Busy;
  problems->push_back(texts::NotCreated(earlier_ + "\\" + kLockFile));
  return Result::Failed;
}

FolderVisit::FolderVisit(const Platform& p, std::string backupFolder)
    : p_(p),
      folder_(std::move(backupFolder)),
      earlier_(EarlierBackupsOf(folder_)),
      madeEarlier_(!Exists(p.files, earlier_)) {
  hold_.emplace(p, folder_);
}

FolderVisit::~FolderVisit() {
  hold_.reset();
  // Removed only when empty: a backup may have begun keeping backups there meanwhile.
  if (madeEarlier_) p_.files.RemoveDirectoryA(earlier_);
}

FolderHold::Result FolderVisit::Enter() {
  std::vector<std::string> unused;
  const FolderHold::Result r = hold_->Take(&unused);
  if (r == FolderHold::Result::Held) TidyBackupFolder(p_, folder_, nullptr);
  return r;
}

KeptBackups::KeptBackups(const Platform& p, std::string backupFolder)
    : p_(p),
      folder_(std::move(backupFolder)),
      earlier_(EarlierBackupsOf(folder_)),
      hold_(p, folder_) {}

KeptBackups::Start KeptBackups::Begin(const std::string& made, std::vector<std::string>* problems) {
  IFileSystem& fs = p_.files;
  made_ = made;
  switch (hold_.Take(problems)) {
    case FolderHold::Result::Held: break;
    case FolderHold::Result::Busy: return Start::Busy;
    case FolderHold::Result::Failed: return Start::Failed;
  }
  TidyBackupFolder(p_, folder_, problems);
  if (Exists(fs, earlier_ + "\\" + kSwapJournalFile)) return Start::Failed;
  ReadBackupInfo(fs, folder_, &previous_);
  staging_ = earlier_ + "\\" + FreeName(fs, earlier_, made) + kStagingSuffix;
  if (!fs.CreateDirectoryA(staging_)) {
    problems->push_back(texts::NotCreated(staging_));
    staging_.clear();
    return Start::Failed;
  }
  BackupStep("begun");
  return Start::Ready;
}

namespace {

std::string Plain(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return WithoutTrailingSeparator(path);
}

}  // namespace

void KeptBackups::KeepInPlace(std::vector<std::string> livePaths) {
  live_.clear();
  for (const std::string& path : livePaths)
    if (!path.empty()) live_.push_back(Plain(path));
}

bool KeptBackups::HoldsLive(const std::string& path) const {
  const std::string p = Plain(path);
  for (const std::string& l : live_)
    if (SameName(l, p) || StartsWithName(l, p + "\\")) return true;
  return false;
}

bool KeptBackups::Swap(std::vector<std::string>* problems) {
  IFileSystem& fs = p_.files;
  Journal j;
  j.staged = NameFromFullPath(staging_);
  // A top whose files would be in the way of the new backup's is set aside as well; one that
  // is live data in the way cannot be, and the new backup is kept beside it instead.
  bool inTheWay = HoldsBackup(fs, folder_), liveInTheWay = false;
  for (const std::string& name : EntryNames(fs, staging_)) {
    inTheWay = inTheWay || Exists(fs, folder_ + "\\" + name);
    liveInTheWay = liveInTheWay || HoldsLive(folder_ + "\\" + name);
  }
  if (inTheWay && !liveInTheWay) {
    j.old = FreeName(fs, earlier_, MadeOfTop(fs, folder_), j.staged);
    // A file of an identity folder moves on its own: the folder is looked at as well.
    for (const std::string& e : TopEntries(p_, folder_, staging_))
      if (!HoldsLive(folder_ + "\\" + e) && !HoldsLive(folder_ + "\\" + e.substr(0, e.find('\\'))))
        j.entries.push_back(e);
    if (!fs.CreateDirectoryA(earlier_ + "\\" + j.old + kStagingSuffix)) {
      problems->push_back(texts::NotCreated(earlier_ + "\\" + j.old + kStagingSuffix));
      j.old.clear();
    }
  }
  const bool haveOld = !j.old.empty();
  if (inTheWay && !haveOld) {
    // The previous backup could not be set aside: the new one is kept beside it instead.
  } else if (ReplaceTextFile(fs, earlier_ + "\\" + kSwapJournalFile, JournalText(j))) {
    BackupStep("journal");
    if (RollForward(p_, folder_, j, problems)) {
      previousKeptAs_ = haveOld ? earlier_ + "\\" + j.old : std::string();
      return true;
    }
    // Stopped while the previous top's files were being set aside: they go back.
    if (haveOld && Exists(fs, earlier_ + "\\" + j.old + kStagingSuffix)) {
      RollBack(p_, folder_, j);
      fs.DeleteFileA(earlier_ + "\\" + kSwapJournalFile);
    } else {
      return false;  // the next run finishes it
    }
  } else {
    problems->push_back(texts::NotCreated(earlier_ + "\\" + kSwapJournalFile));
    if (haveOld) fs.RemoveDirectoryA(earlier_ + "\\" + j.old + kStagingSuffix);
  }
  // The new backup is complete: it is kept under its own time rather than lost.
  const std::string kept = earlier_ + "\\" + FreeName(fs, earlier_, made_);
  if (fs.MoveFileA(staging_, kept)) {
    previousKeptAs_ = kept;
    problems->push_back(texts::NewBackupKeptAside(kept));
  }
  return false;
}

std::vector<std::string> KeptBackups::Beyond(unsigned keep) const {
  std::vector<std::string> names;
  std::vector<BackupSet> sets = ListBackups(p_, folder_);
  if (sets.empty() || !sets.front().newest) return names;
  for (std::size_t i = std::max<unsigned>(keep, 1); i < sets.size(); ++i)
    names.push_back(sets[i].folder);
  return names;
}

namespace {

// The files of the backup in `folder` (BackupFiles), its list last; *others tells whether the
// folder holds anything else.
std::vector<std::string> OwnFilesOf(IFileSystem& fs, const std::string& folder, bool* others) {
  const BackupFiles own(fs, folder);
  std::vector<std::string> files;
  bool list = false;
  *others = false;
  for (const FolderEntry& e : EntriesOf(fs, folder)) {
    if (!e.folder) {
      if (e.link || !own.Own(e.name))
        *others = true;
      else if (SameName(e.name, kManifestFile))
        list = true;
      else
        files.push_back(e.name);
      continue;
    }
    for (const FolderEntry& inner : EntriesOf(fs, folder + "\\" + e.name)) {
      const std::string rel = e.name + "\\" + inner.name;
      if (inner.folder || inner.link || !own.Own(rel))
        *others = true;
      else
        files.push_back(rel);
    }
  }
  if (list) files.push_back(kManifestFile);
  return files;
}

}  // namespace

std::vector<std::string> KeptBackups::Prune(const std::vector<std::string>& folders,
                                            std::vector<std::string>* heldOthers) {
  IFileSystem& fs = p_.files;
  std::vector<std::string> left;
  for (const std::string& f : folders) {
    if (HoldsLive(f)) {
      left.push_back(f);
      continue;
    }
    // A link named like a kept backup goes as a link, or stays: the list of the folder it
    // points at is not this folder's to delete.
    if (IsLink(fs, f)) {
      if (!RemoveTree(fs, f)) left.push_back(f);
      continue;
    }
    bool others = false;
    const std::vector<std::string> own = OwnFilesOf(fs, f, &others);
    if (others) {
      // Files a person put there are never deleted with the backup: only the backup's own
      // files go, in place, its list last, so that until the list goes it still tells which
      // files are the backup's. What stays is no backup any more, and is not let go again.
      BackupStep("pruning");
      bool all = true;
      for (const std::string& rel : own) {
        if (rel == kManifestFile && !all) break;
        RemoveFile(p_, f + "\\" + rel);
        all = all && !Exists(fs, f + "\\" + rel);
      }
      for (const FolderEntry& e : EntriesOf(fs, f))
        if (e.folder) fs.RemoveDirectoryA(f + "\\" + e.name);  // only emptied ones go
      if (all)
        heldOthers->push_back(f);
      else
        left.push_back(f);
      continue;
    }
    const std::string going = f + kDeletingSuffix;
    if (!fs.MoveFileA(f, going)) {
      left.push_back(f);
      continue;
    }
    BackupStep("pruning");
    fs.DeleteFileA(going + "\\" + kManifestFile);
    // What stays of it is removed by the next run, as a folder being deleted.
    RemoveTree(fs, going);
  }
  return left;
}

}  // namespace lark
