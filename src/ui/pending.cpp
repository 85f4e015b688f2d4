// Handlers whose commands are not built yet: each does nothing until its command lands,
// when it moves to the file of its own subsystem.
#include "core/app.h"
#include "ui/handlers.h"

namespace lark {

void crtbkfldr2_Click(App&) {}
void opnbkfldr_Click(App&) {}
void brbkfldr_Click(App&) {}
void Form3_Load(App&) {}

}  // namespace lark
