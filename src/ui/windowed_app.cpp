#include "ui/windowed_app.h"

#include "core/quiet_user.h"
#include "core/settings.h"
#include "ui/handlers.h"

namespace lark {

// The App keeps a reference to the main window only; nothing uses it before it is built.
WindowedApp::WindowedApp(const Platform& platform) : App(platform, form1_) {
  form1_.SetChkOverwriteHandler(
      [](void* self) { chkOverwrite_Click(*static_cast<WindowedApp*>(self)); }, this);
}

WindowedApp::~WindowedApp() = default;

ChooserWindow& WindowedApp::Form3() {
  if (!form3_) {
    form3_ = std::make_unique<ChooserWindow>(p.files);
    form3_->SetChangeHandlers([](void* self) { Drive1_Change(*static_cast<WindowedApp*>(self)); },
                              [](void* self) { Dir1_Change(*static_cast<WindowedApp*>(self)); },
                              this);
    // A hidden run never shows the chooser, and making its window would cost a hidden
    // backup of a small profile a third of its time.
    if (makeChooserView && !IsHiddenUnattendedRun(state.commandLine)) {
      form3View_ = makeChooserView(*this, *form3_);
      form3_->SetView(form3View_.get());
    }
    Form3_Load(*this);
  }
  return *form3_;
}

void WindowedApp::UnloadForm3() {
  if (!form3_) return;
  form3_->Unload();
  form3View_.reset();
  form3_.reset();
}

}  // namespace lark
