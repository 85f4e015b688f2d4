#include "core/reg_value.h"

#include <cstdlib>

namespace lark {

RegValue RegValue::FromText(std::string text) {
  RegValue v;
  v.kind_ = Kind::Text;
  v.text_ = std::move(text);
  return v;
}

RegValue RegValue::FromBytes(std::vector<std::uint8_t> bytes) {
  RegValue v;
  v.kind_ = Kind::Bytes;
  v.bytes_ = std::move(bytes);
  return v;
}

RegValue RegValue::FromLong(std::int32_t value) {
  RegValue v;
  v.kind_ = Kind::Long;
  v.long_ = value;
  return v;
}

std::string RegValue::AsText() const {
  switch (kind_) {
    case Kind::Text: return text_;
    case Kind::Long: return std::to_string(long_);
    case Kind::Bytes: return std::string(bytes_.begin(), bytes_.end());
    case Kind::Empty: break;
  }
  return std::string();
}

std::int32_t RegValue::AsLong() const {
  switch (kind_) {
    case Kind::Long: return long_;
    case Kind::Text: {
      const char* s = text_.c_str();
      char* end = nullptr;
      long long n = std::strtoll(s, &end, 10);
      if (end == s) return 0;
      if (n > INT32_MAX || n < INT32_MIN) return 0;
      return static_cast<std::int32_t>(n);
    }
    default: return 0;
  }
}

}  // namespace lark
