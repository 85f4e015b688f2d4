// An owner for one open registry key: closes it on every way out of the scope that opened it.
#pragma once

#include "platform/platform.h"

namespace lark {

class RegKeyOwner {
 public:
  explicit RegKeyOwner(IRegistry& registry) : registry_(registry) {}
  RegKeyOwner(IRegistry& registry, RegKey key) : registry_(registry), key_(key) {}
  ~RegKeyOwner() { Close(); }
  RegKeyOwner(const RegKeyOwner&) = delete;
  RegKeyOwner& operator=(const RegKeyOwner&) = delete;

  // For the Open/Create calls that hand back a key through a pointer.
  RegKey* Receive() {
    Close();
    return &key_;
  }
  RegKey get() const { return key_; }
  bool IsOpen() const { return key_ != 0; }
  RegKey Detach() {
    RegKey key = key_;
    key_ = 0;
    return key;
  }
  void Close() {
    if (key_ != 0) registry_.RegCloseKey(key_);
    key_ = 0;
  }

 private:
  IRegistry& registry_;
  RegKey key_ = 0;
};

}  // namespace lark
