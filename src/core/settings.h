// The remembered settings: the backup folder and the overwrite option, kept in
// HKEY_CURRENT_USER\Software\TarnKeep.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lark {

class App;

inline constexpr const char* kSettingsKey = "Software\\TarnKeep";
inline constexpr const char* kFolderValue = "TarnKeep";
inline constexpr const char* kOverwriteValue = "BackupOverWrite";
inline constexpr const char* kGenerationsValue = "Generations";
inline constexpr unsigned kDefaultGenerations = 3;
inline constexpr unsigned kMaxGenerations = 99;

// The backup-folder line of the main window, refreshed from the stored folder; with the
// reminder when no folder is set. settingsKeyName is the spelling the final reset uses.
void RefreshBackupFolderLine(App& app, bool withReminder, const std::string& settingsKeyName);

// The stored backup folder, read afresh, or "None Selected".
std::string StoredBackupFolder(const Platform& p);

// A RegQueryValueExA with a zero-size buffer: 2 when the value is missing, 234 when it
// holds data, 0 when it holds none, another code when the key cannot be read.
long ProbeValue(IRegistry& registry, RegKey key, const std::string& name);

// How many complete backups the backup folder keeps, the newest included: the stored
// number when it is 1 to 99 (a REG_DWORD), else the default.
unsigned StoredGenerations(const Platform& p);
// "/g:N" as the command line gives it ("N"): stores N when it is 1 to 99; false when not.
bool SetGenerations(const Platform& p, const std::string& number);

// Start-up's settings steps.
void FirstRun(App& app);  // creates the settings key with defaults on a first run
void oeb(App& app);       // the backup-folder line, with its reminder
void chkbox(App& app);    // the overwrite option into the check box

// Every change of a stored setting goes through these. StoreBackupFolder takes the folder
// as given; ForgetBackupFolder stores "None Selected".
void StoreBackupFolder(const Platform& p, const std::string& folder);
void ForgetBackupFolder(const Platform& p);
void StoreOverwrite(const Platform& p, bool overwrite);
// The stored overwrite option, as the check box shows it after start-up.
bool StoredOverwrite(const Platform& p);

}  // namespace lark
