#include "discovery/mail_client.h"

#include "core/app.h"
#include "core/texts.h"

namespace lark {

bool OutlookExpressRunning(App& app) {
  return app.p.user.WindowClassExists(texts::kMailClientWindowClass);
}

bool WaitForMailClientClosed(App& app) {
  while (OutlookExpressRunning(app))
    if (!app.p.user.AskRetryCancel(texts::kCloseMailClient, texts::kAppTitle)) return false;
  return true;
}

}  // namespace lark
