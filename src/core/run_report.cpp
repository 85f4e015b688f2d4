#include "core/run_report.h"

#include <ctime>

#include "core/app.h"
#include "core/quiet_user.h"
#include "core/texts.h"
#include "fs/folders.h"

namespace lark {

namespace {

std::string Now() {
  std::time_t t = std::time(nullptr);
  char text[64] = "";
  if (const std::tm* local = std::localtime(&t))
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  return text;
}

}  // namespace

std::string ReportText(const RunReport& r, const char* intro, const char* title,
                       const std::string& folder, int exitCode) {
  std::string text = texts::ReportHeading(title, Now(), folder);
  for (const std::string& d : r.done) text += d + "\r\n";
  text += std::string("\r\n") + (r.problems.empty() ? texts::kReportAllWell : intro) + "\r\n";
  for (const std::string& p : r.problems) text += p + "\r\n";
  if (exitCode >= 0) text += "\r\n" + texts::ReportExitCode(exitCode) + "\r\n";
  return text;
}

void CloseRun(App& app, const RunOptions& run, const char* intro, const char* title,
              const char* reportFile, const std::string& folder, int exitCode,
              const char* doneIntro) {
  RunReport& r = app.state.report;
  // Boxes a hidden run could not show belong to its report: they are what went wrong.
  for (const std::string& m : app.state.unseenMessages)
    if (!IsFolderReminder(m)) r.problems.push_back("- " + m);
  app.state.unseenMessages.clear();
  const bool somebodyThere = run.PersonThere();
  if (doneIntro && somebodyThere) {
    std::string text = doneIntro;
    for (const std::string& d : r.done) text += "\r\n" + d;
    if (!r.problems.empty()) text += std::string("\r\n\r\n") + intro;
    for (const std::string& p : r.problems) text += "\r\n" + p;
    app.p.user.MessageBoxA(text, texts::kAppTitle);
  } else if (!r.problems.empty() && somebodyThere) {
    std::string text = intro;
    for (const std::string& p : r.problems) text += "\r\n" + p;
    app.p.user.MessageBoxA(text, texts::kAppTitle);
  }
  if (IsFullPath(folder))
    ReplaceTextFile(app.p.files, folder + "\\" + reportFile,
                    ReportText(r, intro, title, folder, exitCode));
  r = RunReport();
}

}  // namespace lark
