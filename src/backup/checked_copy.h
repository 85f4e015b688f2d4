// One file into the backup folder, checked: the copy is complete and its source did not
// change while it was copied. An earlier copy it replaces stays until the new one passed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

class Manifest;

// Copies src to the full path dest with the shell (replacing without asking when
// noConfirm; asking nothing at all in a hidden run). On success the copy's checksum goes into the
// manifest under relPath and *bytes gets its size. On failure the reason is added to problems, the
// earlier copy is put back and nothing is listed. A destination folder that is missing is never
// made.
bool BackupFile(const Platform& p, const std::string& src, const std::string& dest, bool noConfirm,
                bool hiddenRun, const std::string& relPath, Manifest& manifest,
                std::vector<std::string>& problems, std::uint64_t* bytes = nullptr);

// The name an earlier file waits under while its successor is written: beside it and no
// longer than it, so it fits wherever the file itself fits.
std::string SetAsideNameFor(const std::string& path);

// Deletes a file even when it is read-only.
void RemoveFile(const Platform& p, const std::string& path);

}  // namespace lark
