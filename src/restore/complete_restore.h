// The complete restore: the registry imports, the address book, and every identity's
// message store copied back from its folder in the backup folder.
#pragma once

namespace lark {

class App;

// Copies the .dbx files of each identity's backup folder back into its message store.
// cmdRestore_Click and resWAB_Click are declared with the other handlers (ui/handlers.h).
void resComplete(App& app);

// The one store file never put back: the record of which messages the mail server has
// already delivered. The mail client keeps it current; an older copy disagrees with the server.
inline constexpr const char* kNotRestoredFile = "Pop3uidl.dbx";

}  // namespace lark
