// The platform's owners of Windows resources, on real handles: each lets its resource go
// exactly once, whichever way the owner goes.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <utility>

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

// One way an owner can go, and how many releases it makes; what `run` gives back is still
// open, and the test lets it go itself.
template <typename O>
struct Life {
  const char* name;
  std::function<typename O::T(typename O::T)> run;
  int closes;
};

template <typename Traits>
void EachLifeClosesOnce(const char* kind, const std::function<typename Traits::Type()>& make) {
  using O = UniqueHandle<Counted<Traits>>;
  using T = typename O::T;
  const Life<O> lives[] = {
      {"scope",
       [](T h) {
         O o(h);
         return T(Traits::Invalid());
       },
       1},
      {"reset twice",
       [](T h) {
         O o(h);
         o.reset();
         o.reset();
         return T(Traits::Invalid());
       },
       1},
      {"moved",
       [](T h) {
         O a(h);
         O b(std::move(a));
         return T(Traits::Invalid());
       },
       1},
      {"move-assigned over another",  // the other one goes first
       [&make](T h) {
         O a(h), b(make());
         EXPECT_TRUE(b.valid());
         b = std::move(a);
         return T(Traits::Invalid());
       },
       2},
      {"released", [](T h) { return O(h).release(); }, 0},
  };
  for (const Life<O>& life : lives) {
    const T h = make();
    ASSERT_NE(h, Traits::Invalid()) << kind;
    Counted<Traits>::closes = 0;
    const T left = life.run(h);
    EXPECT_EQ(Counted<Traits>::closes, life.closes) << kind << ", " << life.name;
    if (left != Traits::Invalid()) Traits::Close(left);
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

TEST(Owners, ARegistryKeyClosesOnceWhicheverWayItsOwnerGoes) {
  CountingRegistry reg;
  auto open = [&reg](RegKeyOwner& owner) {
    return reg.RegOpenKeyExA(kHkeyCurrentUser, "Software", kKeyRead, owner.Receive());
  };
  const struct {
    const char* name;
    std::function<void()> run;
    int closes;
  } lives[] = {
      {"scope",
       [&] {
         RegKeyOwner k(reg);
         open(k);
       },
       1},
      {"opened again",
       [&] {
         RegKeyOwner k(reg);
         open(k);
         open(k);
       },
       2},
      {"closed twice",
       [&] {
         RegKeyOwner k(reg);
         open(k);
         k.Close();
         k.Close();
       },
       1},
      {"detached",
       [&] {
         RegKeyOwner k(reg);
         open(k);
         reg.Win32Registry::RegCloseKey(k.Detach());
       },
       0},
      {"never opened", [&] { RegKeyOwner k(reg); }, 0},
  };
  for (const auto& life : lives) {
    reg.closes = 0;
    life.run();
    EXPECT_EQ(reg.closes, life.closes) << life.name;
  }
}

}  // namespace
}  // namespace lark::test
