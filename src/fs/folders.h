// Path and folder helpers: existence tests, file listing, path splitting, folder creation.
#pragma once

#include <string>
#include <vector>

#include "fs/dir_search.h"

namespace lark {

// True when DName names an existing folder (a trailing "\" is optional; "" is the root of
// the current drive), whatever the folder holds and whatever its attributes. Never fails:
// a missing drive, a drive without its medium or a malformed path give false.
bool DirExists(const Platform& p, std::string DName);
// The file system's own answer for one path, without a search of the folder.
bool IsExistingFolder(IFileSystem& files, const std::string& path);

// True when the search for Pathname (taken as it is, wildcards allowed) finds a file of any
// attributes, or with IsFolder also a folder; with IsFolder, a folder named with a trailing
// "\" and a drive root count as well. Throws SearchError when the search fails for any
// reason other than "nothing there" (a missing drive, a drive without its medium).
bool PathExists(const Platform& p, const std::string& Pathname, bool IsFolder = false);

// Names of the files matching Mask that are neither hidden, system nor folders, in the
// file system's order. Nothing matched: one empty entry. Throws SearchError as PathExists does.
std::vector<std::string> FileList(const Platform& p, const std::string& Mask);

// The folder part of a path with its trailing "\" ("C:\Data\book.wab" -> "C:\Data\"),
// after blanks at both ends are trimmed; "" when there is no "\".
std::string DirectoryFromFile(const std::string& FullPath);
// The text after the last "\"; "" when there is none or the path ends in "\".
std::string NameFromFullPath(const std::string& FullPath);

// folder + "\" + name, without a second "\" when the folder ends in one ("C:\" + "Mail" is
// "C:\Mail"); JoinPath(folder, "") is the folder with its trailing "\".
std::string JoinPath(const std::string& folder, const std::string& name);
// The path without the "\" or "/" at its end, except the one of a drive's root ("C:\"), which
// without it would name the drive's current folder instead.
std::string WithoutTrailingSeparator(std::string path);

// "X:\..." or "\\server\share...": a path that does not depend on the current directory.
bool IsFullPath(const std::string& path);

// A scratch file beside the file `path` names, for writing a new version that then
// replaces it: no longer than `path`, so that it fits wherever the file itself fits, even
// in a folder near the limit of a Windows path. Its last character is "~" ("#" when the
// name already ends in "~").
std::string ScratchNameFor(const std::string& path);

// Puts the file written completely under `written` in the place of `path` in one rename, once
// what it holds is on the disk: a rename reaches the disk at once, while the file's bytes may
// still sit in the cache, and a power cut in between leaves the renamed file empty or holding
// garbage (on FAT). False when either step failed; `written` is gone then and `path` as it was.
bool PutInPlace(IFileSystem& fs, const std::string& written, const std::string& path);
// Writes `text` under ScratchNameFor(path) and puts it in place with PutInPlace, so that a run
// killed half-way or a power cut leaves the previous file whole.
bool ReplaceTextFile(IFileSystem& fs, const std::string& path, const std::string& text);

// Makes the folder the current drive and directory; false when it cannot be entered.
bool EnterFolder(IFileSystem& fs, const std::string& folder);

// Clears a file's read-only mark (a copy from a CD-R keeps it): such a file can be neither
// replaced by a rename nor deleted, and a store cannot be opened by the mail client.
void ClearReadOnly(const Platform& p, const std::string& path);

// Deletes a file even when it is read-only.
void RemoveFile(const Platform& p, const std::string& path);

// Creates every missing folder of the path; true when all of them exist afterwards.
bool CreatePath(const Platform& p, const std::string& NewPath);

}  // namespace lark
