// Which Windows this is, as a short edition code, and where the address book lives.
#pragma once

#include <string>

namespace lark {

class App;
struct Platform;

inline constexpr const char* kWabFileKey = "Software\\Microsoft\\WAB\\WAB4\\Wab File Name";

// Sets app.state.winVer: "SE", "NT", "2K" or "XP"; left as it was when nothing applies.
void DecideEdition(App& app);
// The address book's file as the registry names it now ("" when missing).
std::string AddressBookPath(const Platform& p);
// Sets app.state.wabFile from the address book's registry entry ("" when missing).
void LocateAddressBook(App& app);

// Start-up's edition and backup-folder line, again after the identities are known.
void loadup(App& app);

}  // namespace lark
