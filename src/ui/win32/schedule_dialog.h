// "Schedule Backups..." as a modal dialog from the program's resources: it shows the form it is
// given and hands back what the person chose; it changes no task itself.
#pragma once

#include <windows.h>

#include <optional>

#include "ui/schedule.h"

namespace lark {

// The choice made; nullopt for Cancel (and for any answer where no scheduler exists).
std::optional<ScheduleChoice> AskSchedule(HWND owner, const ScheduleForm& form);

}  // namespace lark
