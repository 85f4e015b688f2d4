#include "core/quiet_user.h"

#include "core/switches.h"
#include "core/texts.h"

namespace lark {

bool IsHiddenUnattendedRun(const std::string& commandLine) {
  return ReadSwitches(commandLine).HiddenUnattended();
}

bool IsFolderReminder(const std::string& text) {
  return text == texts::kFirstRunReminder || text == texts::kFirstRunReminderIam ||
         text == texts::kSelectFolderReminder;
}

bool CountsAsProblems(const std::vector<std::string>& unseenMessages) {
  for (const std::string& m : unseenMessages)
    if (!IsFolderReminder(m)) return true;
  return false;
}

}  // namespace lark
