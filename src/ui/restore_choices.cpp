#include "ui/restore_choices.h"

#include <ctime>

#include "backup/kept_backups.h"
#include "core/texts.h"
#include "fs/backup_layout.h"
#include "fs/folders.h"
#include "fs/manifest.h"
#include "fs/text.h"
#include "restore/identity_reg.h"

namespace lark {

std::string SizeText(std::uint64_t bytes) {
  std::string digits = std::to_string((bytes + 1023) / 1024);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ",");
  return digits + " KB";
}

std::string FileTimeText(std::uint64_t fileTime) {
  constexpr std::uint64_t kUnixEpoch = 116444736000000000ull;  // 1970-01-01 as a FILETIME
  if (fileTime < kUnixEpoch) return std::string();
  const std::time_t t = static_cast<std::time_t>((fileTime - kUnixEpoch) / 10000000ull);
  char text[32] = "";
  if (const std::tm* local = std::localtime(&t))
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", local);
  return text;
}

std::vector<SelectionRow> SelectionRows(const BackupContents& c) {
  std::vector<SelectionRow> rows;
  // A copy whose check has not ended is neither good nor damaged yet, and takes no tick.
  auto refusal = [](const ItemCheck& check) {
    return check.verifies ? std::string()
           : check.pending
               ? std::string(texts::kCheckingNote)
               : std::string(check.listed ? texts::kNotVerifiedNote : texts::kNotListedNote);
  };
  for (std::size_t i = 0; i < c.identities.size(); ++i) {
    const BackupIdentity& b = c.identities[i];
    SelectionRow s;
    s.kind = SelectionRow::Kind::Settings;
    s.identity = i;
    s.item = texts::SettingsItem(b.name);
    s.tickable = b.hasSettings && c.settings.verifies;
    s.note = !b.hasSettings         ? std::string(texts::kNoSettingsNote)
             : !c.settings.verifies ? refusal(c.settings)
             : !b.liveName.empty()  ? texts::MapsToNote(b.liveName)
             : !b.live              ? std::string(texts::kGoneIdentityNote)
                                    : std::string();
    rows.push_back(s);
    for (const BackupStore& store : b.stores) {
      SelectionRow r;
      r.kind = SelectionRow::Kind::Store;
      r.identity = i;
      r.store = store.file;
      r.item = store.file;
      r.indent = 1;
      r.size = SizeText(store.size);
      r.date = FileTimeText(store.written);
      r.tickable = store.check.verifies;
      const std::string name = store.file.substr(0, store.file.rfind('.'));
      r.note = !store.check.verifies ? refusal(store.check)
               : store.liveNewer || store.liveLarger
                   ? texts::LiveStoreNote(name, store.liveNewer, store.liveLarger)
               : !store.liveExists ? std::string(texts::kNoLiveStoreNote)
                                   : std::string();
      rows.push_back(r);
    }
  }
  if (c.accounts) {
    SelectionRow r;
    r.kind = SelectionRow::Kind::Accounts;
    r.item = texts::kAccountsItem;
    r.tickable = c.accountsCheck.verifies;
    r.note = refusal(c.accountsCheck);
    rows.push_back(r);
  }
  if (c.addressBook) {
    SelectionRow r;
    r.kind = SelectionRow::Kind::AddressBook;
    r.item = texts::AddressBookItem(c.wabFile);
    r.tickable = c.addressBookCheck.verifies;
    r.note = refusal(c.addressBookCheck);
    rows.push_back(r);
  }
  return rows;
}

StoreChecks::StoreChecks(const Platform& p, const BackupContents& c) {
  if (!ReadManifest(p.files, c.folder, &manifest_)) return;
  std::vector<ChecksAhead::File> files;
  for (std::size_t i = 0; i < c.identities.size(); ++i)
    for (std::size_t k = 0; k < c.identities[i].stores.size(); ++k) {
      const BackupStore& s = c.identities[i].stores[k];
      if (!s.check.pending || s.path.size() <= c.folder.size()) continue;
      where_.push_back({i, k});
      files.push_back({s.path, s.path.substr(c.folder.size() + 1)});
    }
  checks_ = std::make_unique<ChecksAhead>(p.processes, p.streams, &manifest_, std::move(files));
}

StoreChecks::~StoreChecks() = default;

bool StoreChecks::Update(BackupContents* c) {
  bool changed = false;
  for (std::size_t j = 0; j < where_.size(); ++j) {
    Where& w = where_[j];
    if (w.settled || !checks_->Ready(j)) continue;
    const Vouch v = checks_->Result(j);
    ItemCheck& check = c->identities[w.identity].stores[w.store].check;
    check.pending = false;
    check.verifies = v == Vouch::Good || v == Vouch::NoList;
    check.listed = v != Vouch::Unlisted;
    w.settled = changed = true;
  }
  return changed;
}

bool StoreChecks::Done() const {
  for (const Where& w : where_)
    if (!w.settled) return false;
  return true;
}

RestoreChoice ChoiceFromTicks(const BackupContents& c, const std::vector<SelectionRow>& rows,
                              const std::vector<bool>& ticked) {
  RestoreChoice choice;
  for (const BackupIdentity& b : c.identities) choice.identities.push_back({b.key, false, {}});
  for (std::size_t i = 0; i < rows.size() && i < ticked.size(); ++i) {
    const SelectionRow& r = rows[i];
    if (!ticked[i] || !r.tickable) continue;
    switch (r.kind) {
      case SelectionRow::Kind::Settings: choice.identities[r.identity].settings = true; break;
      case SelectionRow::Kind::Store:
        choice.identities[r.identity].stores.push_back(r.store);
        break;
      case SelectionRow::Kind::Accounts: choice.accounts = true; break;
      case SelectionRow::Kind::AddressBook: choice.addressBook = true; break;
    }
  }
  return choice;
}

namespace {

// Every file's bytes below a folder; the top's kept backups are not part of it.
std::uint64_t TreeSize(IFileSystem& fs, const std::string& folder, bool top) {
  std::vector<FindEntry> entries;
  std::uint64_t total = 0;
  if (fs.FindFiles(folder + "\\*", &entries) != kErrorSuccess) return 0;
  for (const FindEntry& e : entries) {
    // A link leads out of the backup (or round in a loop): what it points at is not counted.
    if (e.name == "." || e.name == ".." || IsLink(e)) continue;
    if (!(e.attributes & kFileAttributeDirectory))
      total += e.size;
    else if (!(top && e.name == kEarlierBackupsFolder))
      total += TreeSize(fs, folder + "\\" + e.name, false);
  }
  return total;
}

std::string ListState(const Platform& p, const std::string& folder) {
  std::string text;
  if (!p.files.ReadFile(folder + "\\" + kManifestFile, &text)) return texts::kNoChecksumList;
  std::size_t files = 0, missing = 0;
  for (const std::string& line : TextLines(text)) {
    const std::size_t gap = line.find("  ");
    if (gap == std::string::npos) continue;
    std::string path = folder + "\\" + line.substr(gap + 2);
    for (char& ch : path)
      if (ch == '/') ch = '\\';
    ++files;
    const std::uint32_t a = p.files.GetFileAttributesA(path);
    if (a == kInvalidFileAttributes || (a & kFileAttributeDirectory)) ++missing;
  }
  return texts::ListStateText(files, missing);
}

}  // namespace

std::vector<BackupRow> BackupRows(const Platform& p, const std::vector<BackupSet>& sets) {
  std::vector<BackupRow> rows;
  for (const BackupSet& s : sets) {
    BackupRow r;
    // Each as its folder in Earlier Backups is (or, for the newest, will be) named: to the
    // second, and " (n)" for a backup made within the same second as another, so that no two
    // lines read alike.
    r.made = s.newest ? KeptNameOfTop(p.files, s.folder) : NameFromFullPath(s.folder);
    if (r.made.empty()) r.made = texts::kMadeUnknown;
    if (s.newest) r.made += texts::kNewestSuffix;
    std::vector<RegIdentity> identities;
    ReadRegIdentities(p.streams, s.folder + "\\" + kAllIdentitiesFile, &identities);
    for (const RegIdentity& i : identities)
      r.identities += (r.identities.empty() ? "" : ", ") + i.name;
    r.size = SizeText(TreeSize(p.files, s.folder, s.newest));
    r.list = ListState(p, s.folder);
    const bool checked =
        p.files.GetFileAttributesA(s.folder + "\\" + kBackupInfoFile) != kInvalidFileAttributes;
    r.check = !checked ? std::string(texts::kStoreCheckUnknown)
              : s.info.findings.empty()
                  ? std::string(texts::kStoreCheckClean)
                  : texts::StoreCheckFound(s.info.findings.front(), s.info.findings.size());
    rows.push_back(r);
  }
  return rows;
}

}  // namespace lark
