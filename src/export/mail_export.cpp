#include "export/mail_export.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>

#include "core/app.h"
#include "core/run_report.h"
#include "core/texts.h"
#include "export/dbx_reader.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/safe_name.h"
#include "fs/sha256.h"
#include "fs/text.h"
#include "restore/complete_restore.h"
#include "restore/selected_restore.h"

namespace lark {

namespace {

// The longest path the ANSI file functions of every supported Windows open.
constexpr std::size_t kMaxPath = 259;
// What is read of a message before it is written: enough for any header's Date line.
constexpr std::size_t kHeadBytes = 64u << 10;
constexpr std::size_t kMboxChunk = 256u << 10;

bool Inside(const std::string& path, const std::string& folder) {
  if (folder.empty()) return false;
  const std::string f = WithoutTrailingSeparator(folder);
  return SameName(path, f) || StartsWithName(path, JoinPath(f, ""));
}

// A file being written whose SHA-256 is taken on the way, for the target's checksum list.
class HashedFile {
 public:
  explicit HashedFile(std::unique_ptr<IFileWriter> w) : w_(std::move(w)) {}
  bool Write(const char* d, std::size_t n) {
    h_.Update(d, n);
    return w_->Write(d, n);
  }
  // Each .eml file is closed without a flush: the backup it comes from stays, so a power cut
  // during an export loses nothing that is not there still; an mbox is flushed.
  bool Commit(std::string* hex, bool flush = true) {
    const bool ok = flush ? w_->Commit() : w_->Close();
    *hex = Sha256Hex(h_.Final());
    return ok;
  }

 private:
  std::unique_ptr<IFileWriter> w_;
  Sha256 h_;
};

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The separator line of mboxrd: "From <sender> <asctime>", the sender reduced to one word.
std::string MboxFromLine(const DbxMessageInfo& m) {
  std::string sender;
  for (char ch : m.senderAddress)
    if (static_cast<unsigned char>(ch) > ' ' && ch != '<' && ch != '>') sender += ch;
  if (sender.empty()) sender = "MAILER-DAEMON";
  const std::uint64_t when = m.received ? m.received : m.sent;
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const CivilTime t = CivilFromFileTime(when ? when : 116444736000000000ull);
  char text[64];
  std::snprintf(text, sizeof text, " %s %s %2u %02u:%02u:%02u %lld\r\n", kDays[t.weekday % 7],
                kMonths[(t.month + 11) % 12], t.day, t.hour, t.minute, t.second, t.year);
  return "From " + sender + text;
}

struct StoreTally {
  std::uint64_t exported = 0, unread = 0, unreadableText = 0, notWritten = 0;
  bool cancelled = false;
};

class Exporter {
 public:
  Exporter(App& app, const RunOptions& options, const BackupContents& c, const std::string& target,
           ExportFormat format, ExportProgress* progress)
      : app_(app),
        personThere_(options.PersonThere()),
        c_(c),
        target_(target),
        format_(format),
        progress_(progress) {}

  ExportOutcome Run(const ExportChoice& choice, bool* cancelled);

 private:
  void ExportIdentity(const BackupIdentity& identity, const std::string& folderName,
                      const std::vector<std::string>& files);
  void ExportStore(const std::string& what, const std::string& mailFolder,
                   const std::string& outFolder, const std::string& relOut,
                   const BackupStore& store);
  bool WriteEml(DbxReader& dbx, const DbxMessageInfo& m, const std::string& head,
                const std::string& outFolder, const std::string& relOut);
  void List(const std::string& rel, const std::string& hex) {
    if (list_ && !list_->Write((hex + "  " + rel + "\n").data(), hex.size() + rel.size() + 3))
      listFailed_ = true;
  }
  bool Tick(const std::string& store, std::uint64_t messages) {
    if (progress_ && !progress_->Update(store, messages, done_, total_)) cancelled_ = true;
    return !cancelled_;
  }
  std::string RelOf(const std::string& path) const {
    std::string rel = path.substr(std::min(path.size(), c_.folder.size() + 1));
    for (char& ch : rel)
      if (ch == '\\') ch = '/';
    return rel;
  }
  // The folders named in one identity's export: names are unique whatever their case.
  std::string UniqueName(std::set<std::string>* taken, const std::string& name) {
    std::string candidate = name;
    for (int n = 2; !taken->insert(FoldedName(candidate)).second; ++n)
      candidate = name + " (" + std::to_string(n) + ")";
    return candidate;
  }

  App& app_;
  const bool personThere_;
  const BackupContents& c_;
  const std::string target_;
  const ExportFormat format_;
  ExportProgress* progress_;
  std::unique_ptr<Manifest> manifest_;
  std::unique_ptr<IFileWriter> list_;
  bool listFailed_ = false;
  bool cancelled_ = false;
  bool someNotExported_ = false;
  std::uint64_t total_ = 0, done_ = 0;
  RunReport report_;
};

ExportOutcome Exporter::Run(const ExportChoice& choice, bool* cancelled) {
  manifest_ = BackupManifest(app_.p.files, c_.folder);
  list_ = app_.p.streams.Create(target_ + "\\" + kManifestFile);
  if (!list_) listFailed_ = true;
  for (const ExportChoice::Identity& ci : choice.identities)
    for (const BackupIdentity& b : c_.identities)
      if (SameName(b.key, ci.key))
        for (const BackupStore& s : b.stores)
          for (const std::string& f : ci.stores)
            if (SameName(f, s.file)) total_ += s.size;
  report_.done.push_back(texts::ExportedInto(target_, format_ == ExportFormat::Mbox));
  std::vector<std::string> names, keys;
  for (const BackupIdentity& b : c_.identities) {
    names.push_back(b.name);
    keys.push_back(b.key);
  }
  const std::vector<std::string> folders = IdentityFolderNames(names, keys);
  for (const ExportChoice::Identity& ci : choice.identities) {
    for (std::size_t i = 0; i < c_.identities.size() && !cancelled_; ++i)
      if (SameName(c_.identities[i].key, ci.key) && !ci.stores.empty())
        ExportIdentity(c_.identities[i], folders[i], ci.stores);
  }
  if (cancelled_) report_.problems.push_back(texts::kExportCancelled);
  ExportOutcome outcome =
      someNotExported_ || cancelled_ ? ExportOutcome::SomeNotExported : ExportOutcome::Complete;
  // The report, then the list naming it: both tell whoever looks later what this run wrote.
  const int code = personThere_ ? kNoExitCode : static_cast<int>(outcome);
  const std::string text =
      ReportText(report_, texts::kExportProblemsIntro, texts::kReportOfExport, c_.folder, code);
  if (ReplaceTextFile(app_.p.files, target_ + "\\" + kExportReportFile, text)) {
    Sha256 h;
    h.Update(text.data(), text.size());
    List(kExportReportFile, Sha256Hex(h.Final()));
  }
  if (!list_ || !list_->Commit() || listFailed_) {
    list_.reset();
    RemoveFile(app_.p, target_ + "\\" + kManifestFile);
  }
  if (personThere_) {
    std::string box = texts::kExportDone;
    for (const std::string& d : report_.done) box += "\r\n" + d;
    if (!report_.problems.empty()) box += std::string("\r\n\r\n") + texts::kExportProblemsIntro;
    for (const std::string& p : report_.problems) box += "\r\n" + p;
    app_.p.user.MessageBoxA(box, texts::kAppTitle);
  }
  if (cancelled) *cancelled = cancelled_;
  return outcome;
}

void Exporter::ExportIdentity(const BackupIdentity& identity, const std::string& folderName,
                              const std::vector<std::string>& files) {
  // The names Outlook Express shows, from the identity's folder list when its copy is whole.
  std::vector<DbxFolderName> shown;
  for (const BackupStore& s : identity.stores) {
    if (!SameName(s.file, "Folders.dbx")) continue;
    const Vouch v = CheckFile(app_.p.streams, manifest_.get(), s.path, RelOf(s.path));
    std::unique_ptr<IFileReader> r = app_.p.streams.OpenRead(s.path);
    if ((v == Vouch::Good || v == Vouch::NoList) && r) {
      StoreFile file(*r, s.size);
      shown = ReadFolderNames(file);
    }
  }
  const std::string outFolder = target_ + "\\" + folderName;
  std::set<std::string> taken;
  for (const BackupStore& s : identity.stores) {
    bool chosen = false;
    for (const std::string& f : files) chosen = chosen || SameName(f, s.file);
    if (!chosen || !IsMailStore(s.file) || cancelled_) continue;
    std::string name = s.file.substr(0, s.file.size() - 4);
    for (const DbxFolderName& n : shown)
      if (SameName(n.file, s.file)) name = n.name;
    name = UniqueName(&taken, SafeFolderName(name));
    const std::string what = identity.name + ", " + name;
    if (!CreatePath(app_.p, outFolder)) {
      report_.problems.push_back(texts::StoreExportNoFolder(what));
      someNotExported_ = true;
      continue;
    }
    ExportStore(what, name, outFolder, folderName, s);
  }
}

void Exporter::ExportStore(const std::string& what, const std::string& mailFolder,
                           const std::string& outFolder, const std::string& relOut,
                           const BackupStore& store) {
  const std::uint64_t doneBefore = done_;
  const Vouch v = CheckFile(app_.p.streams, manifest_.get(), store.path, RelOf(store.path));
  if (v != Vouch::Good && v != Vouch::NoList) {
    report_.problems.push_back(texts::StoreExportNotVerified(what));
    someNotExported_ = true;
    done_ = doneBefore + store.size;
    return;
  }
  std::unique_ptr<IFileReader> reader = app_.p.streams.OpenRead(store.path);
  FileInfo info;
  if (!reader || !app_.p.files.GetFileInfo(store.path, &info)) {
    report_.problems.push_back(texts::StoreExportUnreadable(what));
    someNotExported_ = true;
    done_ = doneBefore + store.size;
    return;
  }
  StoreFile file(*reader, info.size);
  DbxReader dbx(file);
  if (!dbx.Open()) {
    report_.problems.push_back(texts::StoreExportNotAStore(what));
    someNotExported_ = true;
    done_ = doneBefore + store.size;
    return;
  }
  StoreTally t;
  std::string emlFolder = outFolder + "\\" + mailFolder, relFolder = relOut + "/" + mailFolder;
  std::unique_ptr<HashedFile> mbox;
  std::string mboxPath = outFolder + "\\" + mailFolder + ".mbox", chunk;
  if (format_ == ExportFormat::Mbox) {
    std::unique_ptr<IFileWriter> w = app_.p.streams.Create(mboxPath);
    if (w) mbox = std::make_unique<HashedFile>(std::move(w));
  } else if (!CreatePath(app_.p, emlFolder)) {
    emlFolder.clear();
  }
  Tick(what, 0);
  std::string head;
  dbx.ForEachMessage([&](const DbxMessageInfo& m) {
    std::uint64_t length = 0;
    if (!dbx.MeasureText(m, &length, &head, kHeadBytes)) {
      ++t.unreadableText;
      return true;
    }
    bool written = false;
    if (format_ == ExportFormat::Eml) {
      written = !emlFolder.empty() && WriteEml(dbx, m, head, emlFolder, relFolder);
    } else if (mbox) {
      MboxQuoter quoter;
      chunk += MboxFromLine(m);
      written = dbx.CopyText(m, [&](const char* d, std::size_t n) {
        quoter.Feed(d, n, &chunk);
        if (chunk.size() < kMboxChunk) return true;
        const bool ok = mbox->Write(chunk.data(), chunk.size());
        chunk.clear();
        return ok;
      });
      quoter.Finish(&chunk);
      if (!chunk.empty() && chunk.back() != '\n') chunk += "\r\n";
      chunk += "\r\n";
      if (!written) {
        // The mbox now holds part of a message: the whole file is not this store's mail.
        mbox.reset();
        RemoveFile(app_.p, mboxPath);
        t.notWritten += t.exported;
        t.exported = 0;
        t.unread = 0;
      }
    }
    if (written) {
      ++t.exported;
      if (m.Unread()) ++t.unread;
    } else {
      ++t.notWritten;
    }
    done_ = std::min(done_ + length, doneBefore + store.size);
    if (!Tick(what, t.exported)) {
      t.cancelled = true;
      return false;
    }
    return true;
  });
  if (mbox) {
    std::string hex;
    if ((chunk.empty() || mbox->Write(chunk.data(), chunk.size())) && mbox->Commit(&hex)) {
      List(relOut + "/" + mailFolder + ".mbox", hex);
    } else {
      mbox.reset();
      RemoveFile(app_.p, mboxPath);
      t.notWritten += t.exported;
      t.exported = 0;
    }
  }
  done_ = doneBefore + store.size;
  if (!t.cancelled) Tick(what, t.exported);

  const DbxSummary& s = dbx.Summary();
  const bool indexDamaged = (s.damage & (static_cast<unsigned>(DbxDamage::Index) |
                                         static_cast<unsigned>(DbxDamage::MessageInfo))) != 0;
  std::string line = texts::StoreExported(mailFolder, t.exported, s.headerCount, t.unread);
  const std::uint64_t indexed = s.reached + s.badInfo;
  std::uint64_t notRead = t.unreadableText + s.badInfo;
  if (indexDamaged && !t.cancelled && s.headerCount > indexed) notRead += s.headerCount - indexed;
  if (notRead > 0)
    line += texts::NotRead(notRead, indexDamaged && t.unreadableText ? texts::kIndexAndDataDamaged
                                    : indexDamaged                   ? texts::kIndexDamaged
                                                                     : texts::kMessageDataDamaged);
  if (t.notWritten > 0)
    line += texts::NotWritten(t.notWritten, format_ == ExportFormat::Mbox ? mboxPath : emlFolder);
  if (!indexDamaged && !t.cancelled && indexed != s.headerCount)
    line += texts::HeaderCountDiffers(indexed, s.headerCount);
  if (t.cancelled) line += texts::kStoreExportCancelled;
  if (notRead > 0 || t.notWritten > 0 || t.cancelled ||
      (!indexDamaged && indexed != s.headerCount)) {
    someNotExported_ = someNotExported_ || notRead > 0 || t.notWritten > 0;
    report_.problems.push_back("- " + what.substr(0, what.size() - mailFolder.size()) + line);
  } else {
    report_.done.push_back(what.substr(0, what.size() - mailFolder.size()) + line);
  }
}

bool Exporter::WriteEml(DbxReader& dbx, const DbxMessageInfo& m, const std::string& head,
                        const std::string& outFolder, const std::string& relOut) {
  std::string stamp = DateHeaderStamp(head);
  if (stamp.empty()) stamp = FileTimeStamp(m.sent ? m.sent : m.received);
  const std::size_t room = kMaxPath - std::min(kMaxPath, outFolder.size() + 1 + 12);
  if (room < 20) return false;
  const std::string base = MessageFileName(stamp, m.subject, std::min<std::size_t>(room, 120));
  std::string name = base + ".eml";
  for (int n = 2;
       app_.p.files.GetFileAttributesA(outFolder + "\\" + name) != kInvalidFileAttributes; ++n) {
    if (n > 99999) return false;
    name = base + " (" + std::to_string(n) + ").eml";
  }
  const std::string path = outFolder + "\\" + name;
  std::unique_ptr<IFileWriter> w = app_.p.streams.Create(path);
  if (!w) return false;
  HashedFile file(std::move(w));
  std::string hex;
  const bool copied =
      dbx.CopyText(m, [&](const char* d, std::size_t n) { return file.Write(d, n); });
  if (!file.Commit(&hex, false) || !copied) {
    RemoveFile(app_.p, path);
    return false;
  }
  List(relOut + "/" + name, hex);
  return true;
}

}  // namespace

bool ExportChoice::Empty() const {
  for (const Identity& i : identities)
    if (!i.stores.empty()) return false;
  return true;
}

bool IsMailStore(const std::string& file) {
  static const char* const kNotMail[] = {"Folders.dbx", "Pop3uidl.dbx", "Offline.dbx",
                                         "Cleanup.dbx"};
  for (const char* n : kNotMail)
    if (SameName(file, n)) return false;
  return file.size() > 4 && SameName(file.substr(file.size() - 4), ".dbx");
}

ExportChoice WholeBackup(const BackupContents& c) {
  ExportChoice choice;
  for (const BackupIdentity& b : c.identities) {
    ExportChoice::Identity i;
    i.key = b.key;
    for (const BackupStore& s : b.stores)
      if (IsMailStore(s.file)) i.stores.push_back(s.file);
    if (!i.stores.empty()) choice.identities.push_back(i);
  }
  return choice;
}

std::string ExportTargetProblem(App& app, const RunOptions& options, const BackupContents& c,
                                const std::string& target, bool makeMissing) {
  if (!IsFullPath(target) || target.size() > 200) return texts::ExportTargetNotFull(target);
  const std::string& top = options.folder;
  if (Inside(target, c.folder) || (IsFullPath(top) && Inside(target, top)))
    return texts::ExportTargetInBackup(target);
  for (const BackupIdentity& b : c.identities)
    if (Inside(target, b.storeFolder)) return texts::ExportTargetInStores(target);
  if (!DirExists(app.p, target) && !(makeMissing && CreatePath(app.p, target)))
    return texts::ExportTargetNotMade(target);
  std::vector<FindEntry> entries;
  app.p.files.FindFiles(target + "\\*", &entries);
  for (const FindEntry& e : entries)
    if (e.name != "." && e.name != "..") return texts::ExportTargetNotEmpty(target);
  return std::string();
}

ExportOutcome ExportMail(App& app, const RunOptions& options, const BackupContents& c,
                         const ExportChoice& choice, const std::string& target, ExportFormat format,
                         ExportProgress* progress, bool* cancelled) {
  Exporter exporter(app, options, c, target, format, progress);
  return exporter.Run(choice, cancelled);
}

std::string DateHeaderStamp(const std::string& head) {
  // The header ends at the first empty line; "Date:" starts a line of it.
  std::size_t end = head.find("\r\n\r\n");
  if (end == std::string::npos) end = head.size();
  std::size_t at = std::string::npos;
  for (std::size_t line = 0; line < end;) {
    if (end - line >= 5 && StartsWithName(head.substr(line, 5), "Date:")) {
      at = line + 5;
      break;
    }
    const std::size_t next = head.find('\n', line);
    if (next == std::string::npos) break;
    line = next + 1;
  }
  if (at == std::string::npos) return std::string();
  const std::string value = head.substr(at, head.find('\n', at) - at);
  // [Day,] D Mon YYYY HH:MM[:SS] zone, read by hand: the C library's scanning functions are
  // not among what every supported Windows' runtime exports.
  std::size_t k = 0;
  auto blanks = [&] {
    while (k < value.size() && (value[k] == ' ' || value[k] == '\t')) ++k;
  };
  auto number = [&](int* out) {
    const std::size_t start = k;
    long n = 0;
    while (k < value.size() && std::isdigit(static_cast<unsigned char>(value[k])) && k - start < 5)
      n = n * 10 + (value[k++] - '0');
    *out = static_cast<int>(n);
    return k > start;
  };
  auto word = [&] {
    const std::size_t start = k;
    while (k < value.size() && std::isalpha(static_cast<unsigned char>(value[k]))) ++k;
    return value.substr(start, k - start);
  };
  int day = 0, year = 0, hour = -1, minute = -1;
  blanks();
  const std::size_t dayNameStart = k;
  word();
  if (k < value.size() && value[k] == ',')
    ++k;
  else
    k = dayNameStart;
  blanks();
  if (!number(&day)) return std::string();
  blanks();
  const std::string month = word();
  blanks();
  if (!number(&year)) return std::string();
  blanks();
  if (!number(&hour) || k >= value.size() || value[k++] != ':' || !number(&minute))
    return std::string();
  int mon = 0;
  for (int i = 0; i < 12; ++i)
    if (month.size() >= 3 && SameName(month.substr(0, 3), kMonths[i])) mon = i + 1;
  if (year < 50)
    year += 2000;
  else if (year < 1000)
    year += 1900;
  if (mon == 0 || day < 1 || day > 31 || year > 9999 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59)
    return std::string();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d.%02d", year, mon, day, hour, minute);
  return stamp;
}

std::string MessageFileName(const std::string& stamp, const std::string& subject,
                            std::size_t limit) {
  std::string name = subject.empty() ? "(no subject)" : subject;
  if (!stamp.empty()) name = stamp + " " + name;
  if (name.size() > limit) name.resize(limit);
  // One file name inside the folder, whatever the subject holds: no separator, no device, no
  // name Windows would shorten.
  name = SafeFolderName(name);
  return name.size() > limit ? name.substr(0, limit - 1) + "_" : name;
}

void MboxQuoter::Feed(const char* data, std::size_t n, std::string* out) {
  static const char kFrom[] = "From ";
  for (std::size_t i = 0; i < n; ++i) {
    if (!lineStart_) {
      // The rest of the line goes out as it is.
      const void* end = std::memchr(data + i, '\n', n - i);
      const std::size_t upTo = end ? static_cast<const char*>(end) - data + 1 : n;
      out->append(data + i, upTo - i);
      lineStart_ = end != nullptr;
      i = upTo - 1;
      continue;
    }
    const char ch = data[i];
    if (matched_ == 0 && ch == '>') {
      ++marks_;
      continue;
    }
    if (ch == kFrom[matched_]) {
      if (++matched_ < 5) continue;
      out->push_back('>');
    }
    out->append(static_cast<std::size_t>(marks_), '>');
    out->append(kFrom, matched_ == 5 ? 5 : matched_);
    if (matched_ != 5) out->push_back(ch);
    lineStart_ = ch == '\n' && matched_ != 5;
    marks_ = 0;
    matched_ = 0;
  }
}

void MboxQuoter::Finish(std::string* out) {
  out->append(static_cast<std::size_t>(marks_), '>');
  out->append("From ", matched_);
  marks_ = 0;
  matched_ = 0;
  lineStart_ = true;
}

}  // namespace lark
