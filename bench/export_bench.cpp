// The mail export timed against a plain copy of the same stores (bench/bench.py drives it):
//   lark_export_bench gen FOLDER MIB        a backup of one identity whose stores hold MIB of
//                                           mail, with its checksum list
//   lark_export_bench export FOLDER TARGET eml|mbox   exports it; prints seconds and the
//                                           process's peak memory in MiB
//   lark_export_bench copy FOLDER TARGET    copies its stores with CopyFileA; likewise
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/dbx_writer.h"
#include "common/recording_user.h"
#include "export/mail_export.h"
#include "fs/manifest.h"
#include "fs/sha256.h"
#include "platform/win32/win32_platform.h"
#include "restore/selected_restore.h"
#include "ui/windowed_app.h"

namespace {

using lark::testing::DbxWriter;
using lark::testing::SampleMessages;

constexpr int kStores = 8;

std::string StoreName(int i) { return "Folder " + std::to_string(i + 1) + ".dbx"; }

double PeakMib() {
  PROCESS_MEMORY_COUNTERS pmc{};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.PeakWorkingSetSize / 1048576.0;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

lark::BackupContents Contents(const std::string& folder) {
  lark::BackupContents c;
  c.folder = folder;
  lark::BackupIdentity ann;
  ann.key = "{BENCH}";
  ann.name = "Ann";
  for (int i = 0; i < kStores; ++i) {
    lark::BackupStore s;
    s.file = StoreName(i);
    s.path = folder + "\\Ann\\" + s.file;
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (::GetFileAttributesExA(s.path.c_str(), GetFileExInfoStandard, &d))
      s.size = (std::uint64_t(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    ann.stores.push_back(s);
  }
  c.identities.push_back(ann);
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string what = argv[1], folder = argv[2];
  lark::Win32Platform w;
  lark::Sha256SettleOsSupport(w.shell);  // as the program does at its start
  lark::test::RecordingUser user;
  lark::Platform p{w.registry, w.files, w.streams, w.processes, w.shell, user};
  if (what == "gen" && argc == 4) {
    // Messages of 2 to 66 KB, as mail mostly is, a few of them with attachments of 1 MB.
    const std::uint64_t want = std::strtoull(argv[3], nullptr, 10) << 20;
    if (!w.files.MakeSureDirectoryPathExists(folder + "\\Ann\\")) return 1;
    lark::Manifest list;
    std::size_t n = 0;
    for (int i = 0; i < kStores; ++i) {
      std::vector<lark::testing::DbxTestMessage> messages;
      std::uint64_t bytes = 0;
      while (bytes < want / kStores) {
        const std::size_t size = n % 200 == 7 ? (1u << 20) : 2000 + (n * 7919) % 64000;
        lark::testing::DbxTestMessage m = SampleMessages(1)[0];
        m.subject = "Message " + std::to_string(++n);
        while (m.text.size() < size) m.text += "A line of the body, to fill it out.\r\n";
        messages.push_back(std::move(m));
        bytes += messages.back().text.size();
      }
      const std::string path = folder + "\\Ann\\" + StoreName(i);
      std::string hex;
      if (!w.files.WriteFile(path, DbxWriter::Messages(messages).bytes) ||
          !lark::Sha256File(w.streams, path, &hex))
        return 1;
      list.Set("Ann/" + StoreName(i), hex);
    }
    w.files.WriteFile(folder + "\\" + lark::kManifestFile, list.Text());
    std::printf("%zu\n", n);
    return 0;
  }
  if (argc < 4) return 2;
  const std::string target = argv[3];
  LARGE_INTEGER start, end;
  ::QueryPerformanceCounter(&start);
  if (what == "export") {
    lark::WindowedApp app(p);
    app.state.unattended = app.state.hiddenRun = true;
    const lark::BackupContents c = Contents(folder);
    w.files.MakeSureDirectoryPathExists(target + "\\");
    const bool mbox = argc > 4 && std::string(argv[4]) == "mbox";
    const lark::ExportOutcome o =
        lark::ExportMail(app, c, lark::WholeBackup(c), target,
                         mbox ? lark::ExportFormat::Mbox : lark::ExportFormat::Eml);
    if (o != lark::ExportOutcome::Complete) return 1;
  } else if (what == "copy") {
    w.files.MakeSureDirectoryPathExists(target + "\\");
    for (int i = 0; i < kStores; ++i)
      if (!::CopyFileA((folder + "\\Ann\\" + StoreName(i)).c_str(),
                       (target + "\\" + StoreName(i)).c_str(), FALSE))
        return 1;
  } else {
    return 2;
  }
  ::QueryPerformanceCounter(&end);
  std::printf("%.3f %.1f\n", Seconds(start, end), PeakMib());
  return 0;
}
