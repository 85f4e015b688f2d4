// The platform's owners of Windows resources, on real handles: each lets its resource go
// exactly once, whichever way the owner goes; and a file replaced in plain renames.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <utility>

#include "common/hosted_state.h"
#include "platform/reg_key.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"

namespace lark::test {
namespace {

// The real release, counted.
template <typename Traits>
struct Counted : Traits {
  static inline int closes = 0;
  static void Close(typename Traits::Type h) {
    ++closes;
    Traits::Close(h);
  }
};

// Each way an owner can go, as steps: r reset, m moved into another, a move-assigned over
// another (whose own handle goes first), l released (and then let go by hand).
template <typename Traits>
void EachLifeClosesOnce(const char* kind, const std::function<typename Traits::Type()>& make) {
  using O = UniqueHandle<Counted<Traits>>;
  const std::pair<const char*, int> lives[] = {{"", 1}, {"rr", 1}, {"m", 1}, {"a", 2}, {"l", 0}};
  for (const auto& [steps, closes] : lives) {
    Counted<Traits>::closes = 0;
    {
      O o(make());
      ASSERT_TRUE(o.valid()) << kind;
      for (const char* s = steps; *s; ++s) switch (*s) {
          case 'r': o.reset(); break;
          case 'm': O{std::move(o)}; break;
          case 'a': O{make()} = std::move(o); break;
          case 'l': Traits::Close(o.release()); break;
        }
    }
    EXPECT_EQ(Counted<Traits>::closes, closes) << kind << ", " << steps;
  }
}

TEST(Owners, EachHandleKindClosesOnceWhicheverWayItsOwnerGoes) {
  char temp[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, temp);
  int files = 0;
  EachLifeClosesOnce<KernelHandleTraits>("event",
                                         [] { return ::CreateEventA(nullptr, 0, 0, nullptr); });
  EachLifeClosesOnce<FileHandleTraits>("file", [&] {
    const std::string file = std::string(temp) + "larkmoor-owner" + std::to_string(++files);
    return ::CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                         FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  });
  EachLifeClosesOnce<FindHandleTraits>("search", [] {
    WIN32_FIND_DATAA found;
    return ::FindFirstFileA("C:\\*", &found);
  });
  EachLifeClosesOnce<FontTraits>("font", [] {
    return ::CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  });
  EachLifeClosesOnce<IconTraits>("icon",
                                 [] { return ::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION)); });
  EachLifeClosesOnce<PidlTraits>("item list", [] {
    auto* empty = static_cast<LPITEMIDLIST>(::CoTaskMemAlloc(sizeof(USHORT)));
    if (empty) empty->mkid.cb = 0;
    return empty;
  });
}

// The registry key's owner, on a real key: each way out closes it once.
class CountingRegistry : public Win32Registry {
 public:
  int closes = 0;
  long RegCloseKey(RegKey key) override {
    ++closes;
    return Win32Registry::RegCloseKey(key);
  }
};

// Steps: o opened (again), c closed, d detached (and then closed by hand).
TEST(Owners, ARegistryKeyClosesOnceWhicheverWayItsOwnerGoes) {
  CountingRegistry reg;
  const std::pair<const char*, int> lives[] = {{"o", 1}, {"oo", 2}, {"occ", 1}, {"od", 0}, {"", 0}};
  for (const auto& [steps, closes] : lives) {
    reg.closes = 0;
    {
      RegKeyOwner k(reg);
      for (const char* s = steps; *s; ++s) switch (*s) {
          case 'o': reg.RegOpenKeyExA(kHkeyCurrentUser, "Software", kKeyRead, k.Receive()); break;
          case 'c': k.Close(); break;
          case 'd': reg.Win32Registry::RegCloseKey(k.Detach()); break;
        }
    }
    EXPECT_EQ(reg.closes, closes) << steps;
  }
}

// Replacing a file with plain renames, the way Windows 95, 98 and ME have to.
TEST(MoveFileInSteps, ReplacesKeepsOrFailsAsOneMoveWould) {
  struct Case {
    const char* name;
    bool haveNew, haveOld, ok;
    const char* target;  // what the target holds afterwards
  } cases[] = {
      {"target exists", true, true, true, "new"},
      {"target missing", true, false, true, "new"},
      {"new file missing", false, true, false, "old"},
  };
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "lark-move-steps";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  const std::string from = dir + "\\new.tmp", to = dir + "\\target.reg";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA(from.c_str());
    ::DeleteFileA(to.c_str());
    if (c.haveNew) hosted::WriteAll(from, "new");
    if (c.haveOld) hosted::WriteAll(to, "old");
    long error = -1;
    EXPECT_EQ(MoveFileInSteps(from, to, &error), c.ok);
    EXPECT_EQ(error == 0, c.ok);
    EXPECT_EQ(hosted::ReadAll(to), c.target);
    EXPECT_EQ(hosted::ReadAll(from), "<missing>");
    EXPECT_EQ(hosted::FirstFound(to + ".old*"), "?:");  // nothing set aside is left behind
  }
  ::DeleteFileA(to.c_str());
  ::RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace lark::test
