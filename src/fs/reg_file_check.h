// Reads a registry file before the registry editor imports it: every key it writes or
// deletes must lie inside the one branch the file is for. A backup folder may sit on a shared
// or removable disk, and a file there that names a start-up key or a policy, or deletes
// another branch, would otherwise be imported with the user's rights.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

enum class RegFileFault {
  None,              // a registry file whose every key lies inside its branch
  Unreadable,        // the file could not be opened or read
  NotARegistryFile,  // no editor's header, or text no editor writes (a NUL character, a key
                     // line without its closing bracket)
  ValueBeforeKey,    // a value line before any key line
  KeyOutside,        // a key line names a key outside the branch
  DeletionOutside,   // a deletion line names a key outside the branch
};

struct RegFileVerdict {
  RegFileFault fault = RegFileFault::None;
  std::string key;  // for a key outside: the key as the file names it (shortened when long)
};

// Judges a file a block at a time, as the editor reads it: single-byte text, or UTF-16LE when
// it starts with the byte-order mark FF FE; lines end at CR, LF or both. The first line must be
// "Windows Registry Editor Version 5.00" or "REGEDIT4". A key line is one whose first
// character after blanks is "["; its key runs to the line's last "]", and "[-" deletes it.
// Key names are compared without regard to letter case, and a run of separators counts as one
// (the editor doubles them below a branch it was given with a trailing backslash); a key is
// inside the branch when it is the branch or lies below it.
class RegFileChecker {
 public:
  explicit RegFileChecker(const std::string& branch);
  void Feed(const char* data, std::size_t size);
  RegFileVerdict Finish();

 private:
  void Unit(std::uint16_t u);
  void EndLine();
  void Fail(RegFileFault fault, std::string key = std::string());

  enum class Line { Header, Start, Key, Other };
  std::vector<std::uint16_t> branch_;
  std::size_t keep_;  // how much of a key line is kept: the branch, a separator, and some more
  Line line_ = Line::Header;
  bool started_ = false;  // the first two bytes (a byte-order mark or not) have been seen
  bool wide_ = false;
  bool haveLow_ = false;
  char low_ = 0;
  std::vector<std::uint16_t> text_;  // the header line, or the start of a key line
  std::size_t length_ = 0;           // units of the key line after "[" or "[-"
  std::size_t lastBracket_ = 0;      // 1 + where its last "]" stands; 0 when none yet
  bool deletion_ = false;
  bool keyStarted_ = false;  // the unit after "[" has been seen
  bool separator_ = false;   // the key line's last unit was a separator
  bool sawKey_ = false;
  RegFileVerdict verdict_;
};

RegFileVerdict CheckRegText(const std::string& contents, const std::string& branch);

// Reads and judges the file a block at a time, in memory that does not grow with it.
RegFileVerdict CheckRegFile(IFileStreams& streams, const std::string& path,
                            const std::string& branch);

}  // namespace lark
