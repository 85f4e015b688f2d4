#include "core/quiet_user.h"

#include <cctype>

#include "core/texts.h"
#include "fs/text.h"

namespace lark {

bool IsHiddenUnattendedRun(const std::string& commandLine) {
  const std::string lower = Lowered(commandLine);
  return lower.find("/a") != std::string::npos && lower.find("/h") != std::string::npos;
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
