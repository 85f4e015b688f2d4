// The program as one object: the platform it runs on, the state shared by every
// procedure, and its two windows. Every procedure takes the App it works for.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backup/export_units.h"
#include "core/run_report.h"
#include "platform/platform.h"
#include "ui/chooser_window.h"
#include "ui/main_window.h"

namespace lark {

struct AppState {
  long identCount = 0;
  std::vector<std::string> identKey;
  std::vector<std::string> identName;
  std::string winVer;  // "SE", "NT", "2K", "XP" or empty
  std::string wabFile;
  bool unattended = false;
  bool hiddenRun = false;  // "/a" with "/h": nobody is there to answer anything
  bool silentCopy = false;
  std::vector<std::string> foundFiles;
  std::string browseResult;
  std::string fixedDriveRoot;
  std::string commandLine;  // the program's arguments, as Windows passed them
  int exitCode = 0;         // what the process ends with when it leaves through Exit
  std::vector<std::string> unseenMessages;  // message boxes a hidden run did not show
  RunReport report;                         // of the complete backup or restore under way
  bool restoreUnderWay = false;             // the address-book restore reports into it
};

class App {
 public:
  explicit App(const Platform& platform);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const Platform& p;
  AppState state;

  MainWindow& Form1() { return form1_; }
  // Referring to the chooser loads it (its load procedure runs) without showing it.
  ChooserWindow& Form3();
  bool Form3Loaded() const { return form3_ != nullptr; }
  void UnloadForm3();

  // The registry exports the current complete backup started, awaited before their rewrite.
  std::vector<StartedExport> exports;

  // Set by the Win32 front so that a loaded chooser gets a real window.
  std::function<std::unique_ptr<IChooserView>(App&, ChooserWindow&)> makeChooserView;

 private:
  MainWindow form1_;
  std::unique_ptr<ChooserWindow> form3_;
  std::unique_ptr<IChooserView> form3View_;
};

}  // namespace lark
