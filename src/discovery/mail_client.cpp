#include "discovery/mail_client.h"

#include "core/app.h"
#include "core/texts.h"

namespace lark {

bool OutlookExpressRunning(IUser& user) {
  return user.WindowClassExists(texts::kMailClientWindowClass);
}

bool WaitForMailClientClosed(IUser& user) {
  while (OutlookExpressRunning(user))
    if (!user.AskRetryCancel(texts::kCloseMailClient, texts::kAppTitle)) return false;
  return true;
}

}  // namespace lark
