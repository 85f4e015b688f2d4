// Whether Outlook Express is running for this user. Its main window's class is looked for:
// FindWindowA exists on every Windows the program runs on, sees only this user's desktop,
// and needs neither the Toolhelp functions (missing on NT 4.0) nor the process-status ones
// (missing on the 98 family).
#pragma once

namespace lark {

class IUser;

bool OutlookExpressRunning(IUser& user);

// Asks the user to close Outlook Express until it is closed (Retry) or the user gives up
// (Cancel, false). True at once when it is not running.
bool WaitForMailClientClosed(IUser& user);

}  // namespace lark
