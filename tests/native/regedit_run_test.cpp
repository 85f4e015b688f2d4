// The registry-editor runner against the in-memory processes: how it starts the editor,
// what waiting means, and that every process handle is released exactly once.
#include "fs/regedit_run.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/memory/memory_platform.h"

namespace lark {
namespace {

// Counts releases per process, which the in-memory processes cannot tell.
class CountingProcesses : public IProcesses {
 public:
  bool ended = false;
  std::vector<int> releases = std::vector<int>(8, 0);
  ProcessId Start(const std::string&, int) override { return next_++; }
  bool Wait(ProcessId, std::uint32_t) override { return ended; }
  void Release(ProcessId process) override { ++releases[process]; }

 private:
  ProcessId next_ = 1;
};

const std::string kExport =
    "regedit /s /e:A \"IAM.reg\"  \"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Account "
    "Manager\"";

TEST(Regedit, StartsMinimisedAndActiveInTheCurrentDirectoryWithoutWaiting) {
  MemoryPlatform m;
  m.files.AddFolder("D:\\Backup");
  ASSERT_TRUE(m.files.SetCurrentDirectoryA("D:\\Backup"));
  m.processes.neverEnds = true;
  {
    ProcessOwner run = regedit::Start(m.platform, kExport);
    EXPECT_TRUE(run.Started());
    EXPECT_EQ(m.processes.started, std::vector<std::string>{kExport});
    EXPECT_EQ(m.processes.showStyles, std::vector<int>{2});
    EXPECT_EQ(m.processes.directories, std::vector<std::string>{"D:\\Backup"});
    EXPECT_FALSE(run.Wait(0));
    m.processes.neverEnds = false;
    EXPECT_TRUE(run.Wait(0));
    EXPECT_EQ(m.processes.OpenHandles(), 1u);  // kept until the owner goes
  }
  EXPECT_EQ(m.processes.OpenHandles(), 0u);
}

TEST(Regedit, RunAndWaitReportsWhetherTheEditorStartedAndEndedInTime) {
  MemoryPlatform m;
  EXPECT_TRUE(regedit::RunAndWait(m.platform, "regedit /s /c \"IAM.reg"));
  m.processes.neverEnds = true;
  EXPECT_FALSE(regedit::RunAndWait(m.platform, "regedit /s /c \"IAM.reg", 10));
  m.processes.failStart = true;
  EXPECT_FALSE(regedit::RunAndWait(m.platform, "regedit /s /c \"IAM.reg"));
  EXPECT_EQ(m.processes.OpenHandles(), 0u);

  ProcessOwner notStarted = regedit::Start(m.platform, "regedit /s /c \"IAM.reg");
  EXPECT_FALSE(notStarted.Started());
  EXPECT_TRUE(notStarted.Wait(0));
}

TEST(Regedit, OwnersMoveAndReleaseEachHandleOnce) {
  MemoryPlatform m;
  CountingProcesses counting;
  Platform p{m.registry, m.files, m.streams, counting, m.shell, m.user};
  {
    std::vector<ProcessOwner> exports;
    for (int i = 0; i < 3; ++i) exports.push_back(regedit::Start(p, kExport));
    ProcessOwner moved = std::move(exports[0]);
    exports[1] = std::move(exports[2]);  // releases the second process now
    EXPECT_EQ(counting.releases[2], 1);
    counting.ended = true;
    for (ProcessOwner& run : exports) EXPECT_TRUE(run.Wait(0));
    EXPECT_TRUE(moved.Wait(0));
  }
  EXPECT_EQ(counting.releases, (std::vector<int>{0, 1, 1, 1, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace lark
