// Start-up steps whose subsystems are not built yet; each does nothing until it lands.
#include "core/app.h"
#include "core/startup.h"

namespace lark {


}  // namespace lark
