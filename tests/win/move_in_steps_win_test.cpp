// Replacing a file with plain renames, the way Windows 95, 98 and ME have to.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/hosted_state.h"
#include "platform/win32/win32_platform.h"

namespace lark {
namespace {

TEST(MoveFileInSteps, ReplacesKeepsOrFailsAsOneMoveWould) {
  struct Case {
    const char* name;
    bool haveNew, haveOld, ok;
    const char* target;  // what the target holds afterwards
  } cases[] = {
      {"target exists", true, true, true, "new"},
      {"target missing", true, false, true, "new"},
      {"new file missing", false, true, false, "old"},
  };
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "lark-move-steps";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const std::string from = dir + "\\new.tmp", to = dir + "\\target.reg";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA(from.c_str());
    ::DeleteFileA(to.c_str());
    if (c.haveNew) hosted::WriteAll(from, "new");
    if (c.haveOld) hosted::WriteAll(to, "old");
    long error = -1;
    EXPECT_EQ(MoveFileInSteps(from, to, &error), c.ok);
    EXPECT_EQ(error == 0, c.ok);
    EXPECT_EQ(hosted::ReadAll(to), c.target);
    EXPECT_EQ(hosted::ReadAll(from), "<missing>");
    WIN32_FIND_DATAA data;  // nothing set aside is left behind
    HANDLE find = ::FindFirstFileA((to + ".old*").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
  }
  ::DeleteFileA(to.c_str());
  ::RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace lark
