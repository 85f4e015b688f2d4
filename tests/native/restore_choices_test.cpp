// The lines of "Restore Selected": what each one says of its copy and whether it takes a tick.
#include "ui/restore_choices.h"

#include <gtest/gtest.h>

#include "core/texts.h"

namespace lark {
namespace {

// A store's line while its check runs, after it failed, for a copy the list does not name,
// and for a good copy: only the good one takes a tick, and only a failed check says damaged.
TEST(SelectionRows, AStoreLineSaysWhereItsCheckStands) {
  struct Case {
    ItemCheck check;
    const char* note;
    bool tickable;
  } cases[] = {
      {{false, true, true}, texts::kCheckingNote, false},
      {{false, true, false}, texts::kNotVerifiedNote, false},
      {{false, false, false}, texts::kNotListedNote, false},
      {{true, true, false}, "", true},
  };
  for (const Case& c : cases) {
    BackupStore store;
    store.check = c.check;
    store.liveExists = true;
    BackupContents contents;
    BackupIdentity identity;
    identity.key = "{A}";
    identity.name = "Main";
    identity.live = identity.hasSettings = true;
    identity.storeFolder = "C:\\store";
    identity.stores = {store};
    contents.identities.push_back(identity);
    const std::vector<SelectionRow> rows = SelectionRows(contents);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].note, c.note);
    EXPECT_EQ(ChoiceFromTicks(contents, rows, {false, true}).identities[0].stores.size(),
              c.tickable ? 1u : 0u)
        << c.note;
  }
}

}  // namespace
}  // namespace lark
