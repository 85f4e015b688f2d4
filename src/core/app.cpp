#include "core/app.h"

#include "ui/handlers.h"

namespace lark {

App::App(const Platform& platform) : p(platform) {
  form1_.SetChkOverwriteHandler([](void* self) { chkOverwrite_Click(*static_cast<App*>(self)); },
                                this);
}

App::~App() = default;

ChooserWindow& App::Form3() {
  if (!form3_) {
    form3_ = std::make_unique<ChooserWindow>(p.files);
    form3_->SetChangeHandlers([](void* self) { Drive1_Change(*static_cast<App*>(self)); },
                              [](void* self) { Dir1_Change(*static_cast<App*>(self)); }, this);
    if (makeChooserView) {
      form3View_ = makeChooserView(*this, *form3_);
      form3_->SetView(form3View_.get());
    }
    Form3_Load(*this);
  }
  return *form3_;
}

void App::UnloadForm3() {
  if (!form3_) return;
  form3_->Unload();
  form3View_.reset();
  form3_.reset();
}

}  // namespace lark
