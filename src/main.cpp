// WinMain: builds the real platform and the main window, runs start-up, then waits for
// the user until the window goes.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <memory>

#include "backup/complete_backup.h"
#include "core/quiet_user.h"
#include "core/texts.h"
#include "fs/sha256.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_scheduler.h"
#include "program/startup.h"
#include "ui/win32/check_dialog.h"
#include "ui/win32/chooser_view.h"
#include "ui/win32/export_dialog.h"
#include "ui/win32/main_window_view.h"
#include "ui/win32/restore_dialogs.h"
#include "ui/win32/schedule_dialog.h"
#include "ui/windowed_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&icc);
  // The folder browser needs COM on this thread.
  ::CoInitialize(nullptr);
  // A hidden unattended run has nobody to answer a message box: its boxes become lines of
  // its report, so that a scheduled backup always ends by itself.
  const std::string arguments = commandLine ? commandLine : "";
  const bool hidden = lark::IsHiddenUnattendedRun(arguments);
  // A drive without a medium answers "not ready" instead of stopping on a system dialog. Nor
  // does a hidden run that fails in a way nothing here foresaw wait on the system's error
  // report or the runtime's box: it ends, with the code of a run stopped before its end.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | (hidden ? SEM_NOGPFAULTERRORBOX : 0));
  if (hidden)
    std::set_terminate([] { ::ExitProcess(static_cast<UINT>(lark::BackupOutcome::Stopped)); });

  lark::Win32Platform win32;
  win32.user.SetTitle(lark::texts::kAppTitle);
  lark::Sha256SettleOsSupport(win32.shell);
  lark::QuietUser quiet(win32.user);
  lark::Platform platform{win32.registry, win32.files,
                          win32.streams,  win32.processes,
                          win32.shell,    hidden ? static_cast<lark::IUser&>(quiet) : win32.user};
  lark::WindowedApp app(platform);
  quiet.SetSink(&app.state.unseenMessages);
  app.state.commandLine = arguments;

  lark::MainWindowView view(app);
  if (!view.Create(instance)) return 1;
  app.Form1().SetView(&view);
  win32.user.SetOwner(reinterpret_cast<std::uintptr_t>(view.hwnd()));

  // The chooser gets its window when something first refers to it.
  app.makeChooserView = [&](lark::WindowedApp& a,
                            lark::ChooserWindow& model) -> std::unique_ptr<lark::IChooserView> {
    auto chooser = std::make_unique<lark::ChooserView>(
        a, model, [&win32](std::uintptr_t owner) { win32.user.SetOwner(owner); });
    if (!chooser->Create(instance)) return nullptr;
    return chooser;
  };

  app.askBackup = [&view](const std::vector<lark::BackupRow>& rows) {
    return lark::AskBackup(view.hwnd(), rows);
  };
  app.askRestoreChoice = [&view](const lark::BackupContents& contents, const std::string& made,
                                 lark::StoreChecks* checks) {
    return lark::AskRestoreChoice(view.hwnd(), contents, made, checks);
  };
  app.askExport = [&view](const lark::BackupContents& contents, const std::string& made,
                          const lark::ExportRunner& run) {
    lark::AskExport(view.hwnd(), contents, made, run);
  };

  app.makeCheckView = [&view]() -> std::unique_ptr<lark::ICheckView> {
    return std::make_unique<lark::CheckDialog>(view.hwnd());
  };
  // The Task Scheduler is made only when something asks for it.
  auto scheduler = std::make_unique<lark::Win32TaskScheduler>();
  app.scheduler = scheduler.get();
  app.askSchedule = [&view](const lark::ScheduleForm& form) {
    return lark::AskSchedule(view.hwnd(), form);
  };

  // Start-up is a command too: an "/a" run backs up before the user may touch the window.
  view.RunCommand([&app] { lark::Form_Load(app); });

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    HWND main = view.hwnd();
    if (main && ::IsDialogMessageA(main, &msg)) continue;
    HWND chooser = app.Form3Loaded() ? reinterpret_cast<HWND>(app.Form3().Handle()) : nullptr;
    if (chooser && ::IsDialogMessageA(chooser, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  app.UnloadForm3();
  // COM objects go before COM itself.
  app.scheduler = nullptr;
  scheduler.reset();
  ::CoUninitialize();
  return static_cast<int>(msg.wParam);
}
