// Which Windows this is, as a short edition code, and where the address book lives.
#pragma once

#include <string>

namespace lark {

class App;

inline constexpr const char* kWabFileKey = "Software\\Microsoft\\WAB\\WAB4\\Wab File Name";

// Sets app.state.winVer: "SE", "NT", "2K" or "XP"; left as it was when nothing applies.
void DecideEdition(App& app);
// Sets app.state.wabFile from the address book's registry entry ("" when missing).
void LocateAddressBook(App& app);

// Start-up's edition and backup-folder line, again after the identities are known.
void loadup(App& app);

}  // namespace lark
