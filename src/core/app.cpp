#include "core/app.h"

namespace lark {

App::App(const Platform& platform, IMainView& form1) : p(platform), form1_(form1) {}

App::~App() = default;

}  // namespace lark
