// The identities of the current user: their subkey names, display names and count.
#pragma once

#include <cstddef>
#include <string>

namespace lark {

class App;
struct AppState;

// Start-up's identity discovery: the identity table and its count in the main window.
void GetInputPaths(App& app);

// Store Root of an identity that never used the mail client.
inline constexpr const char* kEmptyIdentityMarker =
    "This Identity is empty, there are no values to save.";

// The identity table's entries that may be used together: never more than the arrays hold.
std::size_t UsableIdentities(const AppState& state);

// "Identities\<ID>\Software\Microsoft\Outlook Express\5.0"
std::string MailClientKey(const std::string& identityKey);

}  // namespace lark
