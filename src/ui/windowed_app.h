// The App with its two windows: the main window, and the folder chooser, loaded the first
// time anything refers to it. The window handlers take this; the procedures below them see
// the windows only through the App's interfaces.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backup/check_backups.h"
#include "core/app.h"
#include "export/mail_export.h"
#include "ui/chooser_window.h"
#include "ui/main_window.h"
#include "ui/restore_choices.h"
#include "ui/schedule.h"

namespace lark {

class WindowedApp : public App {
 public:
  explicit WindowedApp(const Platform& platform);
  ~WindowedApp() override;

  MainWindow& Form1() { return form1_; }
  // Referring to the chooser loads it (its load procedure runs) without showing it.
  ChooserWindow& Form3();
  bool Form3Loaded() const { return form3_ != nullptr; }
  void UnloadForm3();

  // Set by the Win32 front so that a loaded chooser gets a real window.
  std::function<std::unique_ptr<IChooserView>(WindowedApp&, ChooserWindow&)> makeChooserView;
  // Set by the Win32 front: the backup chooser (the index of the backup chosen, -1 for
  // Cancel) and the dialog of "Restore Selected" (nullopt for Cancel). Without them the
  // newest backup is restored and nothing is selected.
  std::function<int(const std::vector<BackupRow>&)> askBackup;
  std::function<std::optional<RestoreChoice>(const BackupContents&, const std::string& made,
                                             StoreChecks* checks)>
      askRestoreChoice;
  // Set by the Win32 front: the window that shows Check Backups reading (null when none can
  // be made; the check then runs without one).
  std::function<std::unique_ptr<ICheckView>()> makeCheckView;
  // Set by the Win32 front: the Task Scheduler (none: nothing is scheduled, and start-up gives
  // no notice) and the dialog of "Schedule Backups..." (nullopt for Cancel).
  IScheduledTasks* scheduler = nullptr;
  std::function<std::optional<ScheduleChoice>(const ScheduleForm&)> askSchedule;
  // Set by the Win32 front: the dialog of "Export Mail...", which asks what to export, where
  // and how, and runs it through `run` with its progress bar. Without it nothing is exported.
  std::function<void(const BackupContents&, const std::string& made, const ExportRunner& run)>
      askExport;

 private:
  MainWindow form1_;
  std::unique_ptr<ChooserWindow> form3_;
  std::unique_ptr<IChooserView> form3View_;
};

}  // namespace lark
