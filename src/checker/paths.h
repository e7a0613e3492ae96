#pragma once
// Windows paths as the check handles them: UTF-8, '\' or '/' between names.

#include <string>


namespace lumavale::check {

// The plug-in's own file name, as its version information gives it; a copy may be
// called anything.
inline constexpr char kPluginFileName[] = "Lumavale.asi";

// The folder part of a path, with its final separator; empty when there is none.
inline std::string FolderOf(const std::string& path) {
  const std::size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

// The name part of a path: all of it after its folder part.
inline std::string NameOf(const std::string& path) { return path.substr(FolderOf(path).size()); }

// The folder above `folder` (which ends in a separator), or empty at a drive's root.
inline std::string ParentOf(const std::string& folder) {
  if (folder.size() < 2) return {};
  const std::size_t last = folder.find_last_of("\\/", folder.size() - 2);
  if (last == std::string::npos) return {};
  // "C:\" has no parent; "\\server\share\" is as far up as a share goes.
  const std::string parent = folder.substr(0, last + 1);
  return parent.size() < 3 || parent == "\\\\" ? std::string() : parent;
}

// Whether two paths name the same file or folder, as the system says: a drive letter
// mapped onto a folder, a link, a short name or other letter case name the same one.
// Where the system cannot tell (a path that names nothing yet), its folder is asked
// and the names are compared as Windows compares them.
bool SamePlace(const std::string& a, const std::string& b);

}  // namespace lumavale::check
