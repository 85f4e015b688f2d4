// Path and folder helpers: existence tests, file listing, path splitting, folder creation.
// (Declarations agreed with the callers in settings, discovery, backup and restore;
// the file-system services fill in the definitions.)
#pragma once

#include <string>
#include <vector>

namespace lark {

class App;

// True when DName names an existing folder (a trailing "\" is optional; "" is the root of
// the current drive). Never fails: any error of the search gives false.
bool DirExists(App& app, std::string DName);
bool DirExists2(App& app, std::string DName);

// True when the search for Pathname finds a file (or, with IsFolder, also a folder).
bool PathExists(App& app, const std::string& Pathname, bool IsFolder = false);

// Names of the plain files matching Mask, in file-system order; also left in
// app.state.foundFiles. Nothing matched: one empty entry.
std::vector<std::string> FileList(App& app, const std::string& Mask);

std::string DirectoryFromFile(const std::string& FullPath);
std::string NameFromFullPath(const std::string& FullPath);

// Creates every missing folder of the path; true when all of them exist afterwards.
bool MakeFolder(App& app, std::string pathToCreate);
bool CreatePath(App& app, const std::string& NewPath);

}  // namespace lark
