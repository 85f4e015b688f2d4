// The typed result of a registry read: nothing, text, bytes or a 32-bit number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lark {

class RegValue {
 public:
  enum class Kind { Empty, Text, Bytes, Long };

  RegValue() = default;
  static RegValue FromText(std::string text);
  static RegValue FromBytes(std::vector<std::uint8_t> bytes);
  static RegValue FromLong(std::int32_t value);

  Kind kind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  // As text: Empty gives "", a number its decimal digits, bytes their characters.
  std::string AsText() const;
  // As a whole number: Empty gives 0, text its leading decimal number (0 if none).
  std::int32_t AsLong() const;
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  Kind kind_ = Kind::Empty;
  std::string text_;
  std::vector<std::uint8_t> bytes_;
  std::int32_t long_ = 0;
};

}  // namespace lark
