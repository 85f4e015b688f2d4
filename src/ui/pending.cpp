// Handlers whose commands are not built yet: each does nothing until its command lands,
// when it moves to the file of its own subsystem.
#include "core/app.h"
#include "ui/handlers.h"

namespace lark {


}  // namespace lark
