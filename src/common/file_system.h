#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnik {

// The name under which an existing file or directory is found: the exact name first, else a
// case-insensitive (ASCII) match of the last component in its directory. Empty when none.
std::string ResolveExisting(const std::string& path);

bool FileExists(const std::string& path);       // a regular file, found as ResolveExisting does
bool DirectoryExists(const std::string& path);  // a directory, found as ResolveExisting does
// True when the directory (found as ResolveExisting does) holds at least one entry.
bool DirectoryHasEntries(const std::string& path);

// Names (not paths) of the plain files in a directory that match a DOS wildcard ("*" and "?",
// case-insensitive; "*.*" matches every name). Unsorted. Empty when the directory is missing.
std::vector<std::string> ListFiles(const std::string& directory, std::string_view pattern);
bool WildcardMatch(std::string_view pattern, std::string_view name);

bool CreateDirectory(const std::string& path);
// Creates every missing level of a directory path; true when it exists afterwards.
bool CreateDirectories(const std::string& path);
bool DeleteFile(const std::string& path);

// The current directory, without a trailing separator (except for "/").
std::string CurrentDirectory();
// Makes path the current directory; false when it cannot.
bool ChangeDirectory(const std::string& path);
// The directory holding the running executable, with a trailing "/"; empty when unknown.
std::string ExecutableDirectory();

// Writes contents to a temporary file beside path, then renames it over path, so readers
// see either the old or the new file, never a partial one. On failure reason (when given)
// receives the system's text.
bool ReplaceFile(const std::string& path, std::string_view contents, std::string* reason = nullptr);

// Reads a whole file (found as ResolveExisting does). False when it cannot be opened or read;
// reason (when given) then receives the system's text.
bool ReadWholeFile(const std::string& path, std::string& contents, std::string* reason = nullptr);

// The directory part of a path including its final separator ("" when there is none).
std::string DirectoryPart(std::string_view path);

}  // namespace tarnik
