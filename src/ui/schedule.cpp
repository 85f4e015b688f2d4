#include "ui/schedule.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "backup/check_backups.h"
#include "backup/kept_backups.h"
#include "core/registry_access.h"
#include "core/run_report.h"
#include "core/settings.h"
#include "core/switches.h"
#include "core/texts.h"
#include "fs/backup_set.h"
#include "fs/folders.h"
#include "fs/text.h"
#include "ui/windowed_app.h"

namespace lark {

namespace {

LocalTime Today() {
  const std::time_t t = std::time(nullptr);
  LocalTime today;
  if (const std::tm* local = std::localtime(&t))
    today = LocalTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, 0, 0};
  return today;
}

// Minutes since 1 March of year 0 for a time as backups are named ("2026-12-07 05.53.12"),
// -1 when it is not one.
long long MinutesOf(const std::string& made) {
  // The digits at their fixed places: "YYYY-MM-DD HH.MM".
  auto number = [&made](std::size_t at, std::size_t digits) {
    int n = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      if (i >= made.size() || made[i] < '0' || made[i] > '9') return -1;
      n = n * 10 + (made[i] - '0');
    }
    return n;
  };
  int y = number(0, 4), m = number(5, 2), d = number(8, 2), h = number(11, 2), mi = number(14, 2);
  if (y < 0 || m < 1 || m > 12 || d < 0 || h < 0 || mi < 0) return -1;
  y -= m <= 2;
  const long long era = y / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153LL * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return days * 1440 + h * 60 + mi;
}

// "2026-12-07 05.53.12" as a person reads it: "2026-12-07 05:53".
std::string Shown(const std::string& made) {
  if (made.size() < 16) return made;
  std::string shown = made.substr(0, 16);
  shown[13] = ':';
  return shown;
}

std::string Shown(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return text;
}

std::string Hex(long code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code) & 0xFFFFFFFFul);
  return text;
}

void Wipe(std::string& secret) {
  volatile char* p = secret.empty() ? nullptr : &secret[0];
  for (std::size_t i = 0; i < secret.size(); ++i) p[i] = '\0';
  secret.clear();
}

// The exit code a run report ends with, -1 when it has none (a run from the window), and the
// time its heading names.
int ReportCode(IFileSystem& fs, const std::string& path, std::string* when = nullptr) {
  std::string text;
  if (!fs.ReadFile(path, &text)) return -1;
  const std::vector<std::string> lines = TextLines(text);
  if (when && !lines.empty()) {
    const std::size_t comma = lines[0].rfind(", ");
    *when = comma == std::string::npos ? std::string() : lines[0].substr(comma + 2, 16);
  }
  const std::string prefix = texts::ReportExitCode(0).substr(0, 11);  // "Exit code: "
  for (auto l = lines.rbegin(); l != lines.rend(); ++l)
    if (l->compare(0, prefix.size(), prefix) == 0) return std::atoi(l->c_str() + prefix.size());
  return -1;
}

// The newest complete backup in the folder, by the time it was made.
bool NewestBackup(WindowedApp& app, const std::string& folder, BackupSet* newest) {
  if (!IsFullPath(folder)) return false;
  bool found = false;
  for (BackupSet& set : ListBackups(app.p, folder))
    if (!found || set.info.made > newest->info.made) {
      *newest = std::move(set);
      found = true;
    }
  return found;
}

std::string TaskState(bool exists, const ScheduledTask& task) {
  if (!exists) return texts::kScheduleNoTask;
  std::string next = texts::kScheduleNoNextRun;
  if (!task.triggers.empty() && task.triggers[0].kind == TaskTrigger::Kind::AtLogon)
    next = texts::kScheduleAtLogon;
  else if (task.nextRun)
    next = texts::ScheduleNextRun(Shown(*task.nextRun));
  std::string last = texts::kScheduleNeverRun;
  if (task.lastRun)
    last = task.startError ? texts::ScheduleNotStarted(Shown(*task.lastRun), Hex(task.startError))
                           : texts::ScheduleLastRun(Shown(*task.lastRun), task.exitCode);
  return next + "; " + last;
}

std::string WorkingFolderOf(const std::string& program) {
  return WithoutTrailingSeparator(DirectoryFromFile(program));
}

std::string BackupParameters(const std::string& folder) { return "/a /h /b:" + folder; }

TaskTrigger TriggerFor(ScheduleChoice::Kind kind, int hour, int minute, unsigned days,
                       const LocalTime& today) {
  TaskTrigger t;
  t.hour = hour;
  t.minute = minute;
  t.begin = today;
  t.interval = 1;
  switch (kind) {
    case ScheduleChoice::Kind::Weekly:
      t.kind = TaskTrigger::Kind::Weekly;
      t.daysOfWeek = days;
      break;
    case ScheduleChoice::Kind::AtLogon: t.kind = TaskTrigger::Kind::AtLogon; break;
    default: t.kind = TaskTrigger::Kind::Daily; break;
  }
  return t;
}

std::string SettingText(WindowedApp& app, const char* name) {
  return RegistryGetKeyValue(app.p, kHkeyCurrentUser, kSettingsKey, name).AsText();
}

// Days without a complete backup after which a schedule counts as not running: twice its
// interval.
int AllowedGapDays(const TaskTrigger& t) {
  const int every = t.interval > 0 ? static_cast<int>(t.interval) : 1;
  switch (t.kind) {
    case TaskTrigger::Kind::Daily: return 2 * every;
    case TaskTrigger::Kind::Weekly: return 14 * every;
    case TaskTrigger::Kind::AtLogon: return 7;
    default: return 62;  // a monthly task made by hand
  }
}

std::string StateText(WindowedApp& app, const std::string& folder, const std::string& program,
                      bool hasBackup, const ScheduledTask& backup, bool hasCheck,
                      const ScheduledTask& check) {
  std::string text = texts::ScheduleFolderLine(folder);
  text += "\r\n" + texts::ScheduleTaskLine(kBackupTaskName, TaskState(hasBackup, backup));
  if (hasBackup && (backup.application != QuotedProgram(program) ||
                    backup.parameters != BackupParameters(folder)))
    text += "\r\n" + texts::ScheduleRunsOther(backup.application + " " + backup.parameters);
  if (hasCheck) text += "\r\n" + texts::ScheduleTaskLine(kCheckTaskName, TaskState(true, check));
  BackupSet newest;
  if (NewestBackup(app, folder, &newest))
    text += "\r\n" + texts::NewestBackupLine(
                         Shown(newest.info.made),
                         ReportCode(app.p.files, newest.folder + "\\" + kBackupReportFile));
  else
    text += std::string("\r\n") + texts::kNoNewestBackup;
  return text;
}

void Apply(WindowedApp& app, ScheduleChoice& choice, const std::string& folder,
           const std::string& program, bool hasBackup, bool hasCheck) {
  IScheduledTasks& s = *app.scheduler;
  IUser& user = app.p.user;
  auto remove = [&](const char* name) {
    const long rc = s.Delete(name);
    if (rc != kSOk && rc != kHresultFileNotFound)
      user.MessageBoxA(texts::ScheduleNotDeleted(name, Hex(rc)), texts::kAppTitle);
  };
  if (choice.kind == ScheduleChoice::Kind::Off) {
    if (hasBackup) remove(kBackupTaskName);
    if (hasCheck) remove(kCheckTaskName);
    return;
  }
  const LocalTime today = Today();
  const TaskAccount account = s.Account();
  long rc = s.Write(kBackupTaskName, BackupTask(choice, program, folder, today, account),
                    choice.password);
  if (rc != kSOk) {
    user.MessageBoxA(texts::ScheduleNotSaved(Hex(rc)), texts::kAppTitle);
    return;
  }
  // A new schedule has had no chance to run yet: the notice counts from now.
  if (!hasBackup) SetKeyValue(app.p, kSettingsKey, kScheduleSinceValue, BackupTimeNow(), kRegSz);
  if (choice.check) {
    rc = s.Write(kCheckTaskName, CheckTask(choice, program, today, account), choice.password);
    if (rc != kSOk) user.MessageBoxA(texts::ScheduleCheckNotSaved(Hex(rc)), texts::kAppTitle);
  } else if (hasCheck) {
    remove(kCheckTaskName);
  }
}

}  // namespace

bool ParseTime(const std::string& text, int* hour, int* minute) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() != colon + 3 ||
      text.find_first_not_of("0123456789", colon + 1) != std::string::npos ||
      text.find_first_not_of("0123456789") != colon)
    return false;
  *hour = std::atoi(text.substr(0, colon).c_str());
  *minute = std::atoi(text.substr(colon + 1).c_str());
  return *hour < 24 && *minute < 60;
}

std::string ChoiceProblem(const ScheduleChoice& choice) {
  int hour = 0, minute = 0;
  const bool timed =
      choice.kind == ScheduleChoice::Kind::Daily || choice.kind == ScheduleChoice::Kind::Weekly;
  if (timed && !ParseTime(choice.time, &hour, &minute)) return texts::kScheduleBadTime;
  if (choice.kind == ScheduleChoice::Kind::Weekly && (choice.days & 0x7F) == 0)
    return texts::kScheduleNoDays;
  return std::string();
}

std::string QuotedProgram(const std::string& path) {
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

ScheduledTask BackupTask(const ScheduleChoice& choice, const std::string& program,
                         const std::string& folder, const LocalTime& today, TaskAccount account) {
  ScheduledTask task;
  task.application = QuotedProgram(program);
  task.parameters = BackupParameters(folder);
  task.workingDirectory = WorkingFolderOf(program);
  task.flags = account == TaskAccount::None ? 0 : kTaskFlagRunOnlyIfLoggedOn;
  int hour = 0, minute = 0;
  ParseTime(choice.time, &hour, &minute);
  task.triggers.push_back(TriggerFor(choice.kind, hour, minute, choice.days, today));
  return task;
}

ScheduledTask CheckTask(const ScheduleChoice& choice, const std::string& program,
                        const LocalTime& today, TaskAccount account) {
  ScheduledTask task;
  task.application = QuotedProgram(program);
  task.parameters = "/v /h";
  task.workingDirectory = WorkingFolderOf(program);
  task.flags = account == TaskAccount::None ? 0 : kTaskFlagRunOnlyIfLoggedOn;
  // On Sundays, two hours after a timed backup so that the two do not meet at the backup
  // folder's lock; at midday when the backup runs at log on.
  int hour = 12, minute = 0;
  if (choice.kind != ScheduleChoice::Kind::AtLogon && ParseTime(choice.time, &hour, &minute))
    hour = (hour + 2) % 24;
  task.triggers.push_back(
      TriggerFor(ScheduleChoice::Kind::Weekly, hour, minute, kTaskSunday, today));
  return task;
}

ScheduleChoice ChoiceOf(const ScheduledTask& task) {
  ScheduleChoice choice;
  if (task.triggers.empty()) return choice;
  const TaskTrigger& t = task.triggers[0];
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", t.hour % 24, t.minute % 60);
  choice.time = time;
  switch (t.kind) {
    case TaskTrigger::Kind::Weekly:
      choice.kind = ScheduleChoice::Kind::Weekly;
      if (t.daysOfWeek & 0x7F) choice.days = t.daysOfWeek & 0x7F;
      break;
    case TaskTrigger::Kind::AtLogon: choice.kind = ScheduleChoice::Kind::AtLogon; break;
    default: choice.kind = ScheduleChoice::Kind::Daily; break;
  }
  return choice;
}

std::string TaskFolder(const std::string& parameters) {
  const std::size_t at = FoldedName(parameters).find("/B:");
  if (at == std::string::npos) return std::string();
  return FolderArgument(parameters.substr(at + 3));
}

void mnuSchedule_Click(WindowedApp& app) {
  if (!app.scheduler || !app.askSchedule) return;
  IScheduledTasks& s = *app.scheduler;
  const std::string folder = StoredBackupFolder(app.p);
  const std::string program = s.ProgramPath();
  ScheduleForm form;
  form.available = s.Open() == kSOk;
  ScheduledTask backup, check;
  const bool hasBackup = form.available && s.Read(kBackupTaskName, &backup) == kSOk;
  const bool hasCheck = form.available && s.Read(kCheckTaskName, &check) == kSOk;
  if (hasBackup) form.choice = ChoiceOf(backup);
  form.choice.check = hasCheck;
  if (form.available) {
    form.askPassword = s.Account() == TaskAccount::WithPassword;
    form.state = StateText(app, folder, program, hasBackup, backup, hasCheck, check);
  } else {
    const std::string command = QuotedProgram(program) + " " + BackupParameters(folder);
    form.state = texts::SchedulerMissing(
        command, "schtasks /create /sc daily /st 18:30 /tn \"" + std::string(kBackupTaskName) +
                     "\" /tr \"\\\"" + program + "\\\" " + BackupParameters(folder) + "\"");
  }
  std::optional<ScheduleChoice> answer;
  for (;;) {
    answer = app.askSchedule(form);
    if (!answer || !form.available) return;
    std::string problem = ChoiceProblem(*answer);
    if (problem.empty() && answer->kind != ScheduleChoice::Kind::Off &&
        (!IsFullPath(folder) || folder == texts::kNoneSelected))
      problem = texts::kSelectFolderReminder;
    if (problem.empty()) break;
    app.p.user.MessageBoxA(problem, texts::kAppTitle);
    Wipe(answer->password);
    form.choice = *answer;
  }
  Apply(app, *answer, folder, program, hasBackup, hasCheck);
  Wipe(answer->password);
}

void NoticeMissedRuns(WindowedApp& app) {
  const Switches switches = ReadSwitches(app.state.commandLine);
  if (!app.scheduler || switches.HiddenUnattended() || switches.backup) return;
  IScheduledTasks& s = *app.scheduler;
  ScheduledTask task;
  if (s.Open() != kSOk || s.Read(kBackupTaskName, &task) != kSOk || task.triggers.empty() ||
      (task.flags & kTaskFlagDisabled))
    return;
  std::string folder = TaskFolder(task.parameters);
  if (!IsFullPath(folder)) folder = StoredBackupFolder(app.p);
  // A backup disk that is not there now (unplugged) may hold the runs that were made: whether
  // they failed or did not happen cannot be told without it.
  if (!IsFullPath(folder) || !DirExists(app.p, folder)) return;
  // A schedule made by hand, or before this version, counts from the first start that sees it.
  std::string since = SettingText(app, kScheduleSinceValue);
  if (MinutesOf(since) < 0) {
    since = BackupTimeNow();
    SetKeyValue(app.p, kSettingsKey, kScheduleSinceValue, since, kRegSz);
  }
  std::vector<std::pair<std::string, std::string>> notices;  // what each is about, its text
  BackupSet newest;
  const bool hasNewest = NewestBackup(app, folder, &newest);
  if (hasNewest) {
    const std::string report = newest.folder + "\\" + kBackupReportFile;
    const int code = ReportCode(app.p.files, report);
    if (code > 0)
      notices.emplace_back("backup " + newest.info.made + " " + std::to_string(code),
                           texts::BackupRunFailed(Shown(newest.info.made), code, report));
  }
  ScheduledTask checkTask;
  if (s.Read(kCheckTaskName, &checkTask) == kSOk) {
    const std::string report = folder + "\\" + kCheckReportFile;
    std::string when;
    const int code = ReportCode(app.p.files, report, &when);
    if (code > 0)
      notices.emplace_back(
          "check " + when + " " + std::to_string(code),
          texts::CheckRunFailed(when.empty() ? texts::kMadeUnknown : when, code, report));
  }
  const std::string reference =
      hasNewest && MinutesOf(newest.info.made) > MinutesOf(since) ? newest.info.made : since;
  const long long now = MinutesOf(BackupTimeNow());
  if (now - MinutesOf(reference) > AllowedGapDays(task.triggers[0]) * 1440LL)
    notices.emplace_back("stale " + reference,
                         texts::NoBackupSince(Shown(hasNewest ? newest.info.made : since)));
  // Each notice once: the value keeps what the last start told of.
  const std::string told = SettingText(app, kNoticeValue);
  std::string keys, text;
  for (const auto& n : notices) {
    keys += (keys.empty() ? "" : "|") + n.first;
    if (("|" + told + "|").find("|" + n.first + "|") == std::string::npos)
      text += (text.empty() ? "" : "\r\n\r\n") + n.second;
  }
  if (keys != told) SetKeyValue(app.p, kSettingsKey, kNoticeValue, keys, kRegSz);
  if (!text.empty()) app.p.user.MessageBoxA(text, texts::kAppTitle);
}

}  // namespace lark
