// The complete restore: the registry imports, the address book, and every identity's
// message store copied back from its folder in the backup folder.
#pragma once

#include <memory>
#include <string>

namespace lark {

class App;
class IFileSystem;
struct RunOptions;
class Manifest;
enum class Vouch;

struct RestorePlan;

// Copies the .dbx files of each identity's folder in the backup `from` back into its
// message store. With a plan that knows the backup's identities, each live identity takes the
// folder of the backup identity that went to it. A live store written after the backup's copy
// was made is moved into "Kept by restore <time>" beside the stores, not replaced.
void resComplete(App& app, const std::string& from, const RunOptions& options,
                 const RestorePlan* plan = nullptr);

// The complete restore from the backup `from`: the newest one (the backup folder
// options.folder itself) or a kept earlier one. Its report goes into the backup folder.
void RestoreFrom(App& app, const std::string& from, const RunOptions& options);
// The address-book restore: a file the person chooses, offered from the backup folder, put in
// place of the address book in use, with the shell's question first unless options.overwrite.
// On its own (the File menu) it waits for the mail client to close and reports at once; within
// a complete restore (`restoring`: the backup that restore reads from), into its report.
void resWAB_Click(App& app, const RunOptions& options, const std::string* restoring = nullptr);

// The backup folder's checksum list, or nullptr for a backup made before there was one.
std::unique_ptr<Manifest> BackupManifest(IFileSystem& files, const std::string& folder);

// Checks a backup file against the list before it replaces `target`; a file that is damaged
// or was not vouched for is named in the run's report and must not be put back.
bool MayPutBack(App& app, const Manifest* manifest, const std::string& path,
                const std::string& relPath, const std::string& target);
// The same, for a check already made.
bool Vouched(App& app, Vouch vouch, const std::string& path, const std::string& target);

// Replaces the live file `target` by the backup's `source` when the list vouches for it (what
// `vouch` says): the copy is made under its incoming name beside the live file and takes its
// place in one rename once it is complete and of the backup's size; the live file stays as it
// was until then, and when the copy fails. The copy is made writable. A live file that a
// restore of an earlier version, interrupted, left aside returns first. Problems go into the
// report.
// With `keepIn`, a live file written after the backup's copy is moved into that folder
// instead of being replaced (app.state.keptStores names it).
bool PutBack(App& app, Vouch vouch, const std::string& source, const std::string& target,
             const std::string& keepIn = std::string());

// Replaces the live file `target` by the backup's `source` with the shell's question before
// the replacement (`dest` is `target` or its folder): the shell copies straight over the live
// file, as its question names the file it would replace. Meanwhile a copy of the live file
// waits under its set-aside name: a copy the shell gives up part-way has it put back at once,
// one that a kill ends, by the next restore. Problems go into the report.
bool AskedPutBack(App& app, const std::string& source, const std::string& dest,
                  const std::string& target, const std::string& keepIn = std::string());

// The one store file never put back: the record of which messages the mail server has
// already delivered. The mail client keeps it current; an older copy disagrees with the server.
inline constexpr const char* kNotRestoredFile = "Pop3uidl.dbx";

}  // namespace lark
