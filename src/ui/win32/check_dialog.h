// The window of Check Backups while it reads: which backup and file, a progress bar over the
// bytes of every backup, and Cancel. Modeless: the check runs on the window's own thread and
// lets the window's messages through each time it shows its progress.
#pragma once

#include <windows.h>

#include <string>

#include "backup/check_backups.h"

namespace lark {

class CheckDialog : public ICheckView {
 public:
  explicit CheckDialog(HWND owner);
  ~CheckDialog() override;
  CheckDialog(const CheckDialog&) = delete;
  CheckDialog& operator=(const CheckDialog&) = delete;

  bool Show(const CheckProgress& progress) override;
  void Close() override;

 private:
  static INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
  HWND dlg_ = nullptr;
  bool cancelled_ = false;
  DWORD drawn_ = 0;  // tick count of the last drawing
  std::string backup_, file_;
};

}  // namespace lark
