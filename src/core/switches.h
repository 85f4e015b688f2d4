// The command line's switches, read once for both places that need them: start-up (whether
// anybody is there) and the command-line front. Each switch is a plain substring, case
// ignored, as scheduled tasks written for the program have always given them.
#pragma once

#include <optional>
#include <string>

namespace lark {

struct Switches {
  bool backup = false;       // "/a": an unattended complete backup
  bool hidden = false;       // "/h": with "/a" or "/v", no window and nobody to answer
  bool overwrite = false;    // "/o": store the overwrite option
  bool addressBook = false;  // "/w": back up the address book file
  bool check = false;        // "/v": check every backup against its checksum list, then end
  // "/b:": the rest of the line, as written (quotes and blanks still around it), or up to
  // "/x:" when that follows it.
  std::optional<std::string> folder;
  // "/x:": an unattended export of the newest backup's mail into this folder; the rest of the
  // line, or up to "/b:" when that follows it.
  std::optional<std::string> exportFolder;
  // "/g:": the text up to the next blank, tab or slash, and the switch as written.
  std::optional<std::string> generations;
  std::string generationsSwitch;

  bool Unattended() const { return backup || check || exportFolder.has_value(); }
  bool HiddenUnattended() const { return Unattended() && hidden; }
};

Switches ReadSwitches(const std::string& commandLine);

// The folder of "/b:" or "/x:" without the quotes and blanks around it.
std::string FolderArgument(std::string folder);

}  // namespace lark
