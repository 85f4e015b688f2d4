// One directory search filtered by an attribute mask, for the existence tests and the
// file listing.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

// A search that failed for a reason other than "nothing there": a drive that does not exist
// or has no medium, a malformed path, a refused access. PathExists and FileList let it
// reach their caller, which decides what the failure means for its command.
class SearchError : public std::runtime_error {
 public:
  SearchError(const std::string& pattern, long code);
  const std::string& pattern() const { return pattern_; }
  long code() const { return code_; }  // the Win32 error code of the search

 private:
  std::string pattern_;
  long code_;
};

// The attribute filter of the old file functions: an entry without the hidden, system and
// directory bits always passes; a folder only when the mask has the directory bit; a hidden
// or system entry only when the mask has each of its hidden and system bits.
bool PassesAttributeMask(std::uint32_t attributes, std::uint32_t mask);

// The names the search for pattern yields that pass the mask, in the file system's order.
// No match, a missing folder and a path through a file give an empty list; any other
// failure throws SearchError. The search handle is closed before this returns.
std::vector<std::string> SearchDirectory(const Platform& p, const std::string& pattern,
                                         std::uint32_t mask);

}  // namespace lark
