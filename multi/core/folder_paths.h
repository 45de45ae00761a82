// Names of the files the multi-session library keeps in the host user's own directory:
// the new-mail marker of a folder and the rules directory. Portable; paths are built in
// caller buffers of `size` bytes and refused (false, empty buffer) when they do not fit,
// since a cut path would name some other file.
#pragma once

#include <cstddef>

namespace qpmulti {

// Marker paths are built in a buffer of this size.
constexpr size_t kMarkerPathSize = 252;

// The marker file's name, without ".NRL", for a folder: "New-Mail" for a null or empty
// folder name; for a name beginning with "News:" (any letter case) the text after the
// first "/" that follows, or the whole text after "News:" when there is none; for any
// other folder its name. Characters that cannot stand in a file name (\ / : * ? " < > |
// and control characters) become "_": the marker stays a plain file in the user
// directory whatever the folder is called. Writes into `out`; false when it did not fit.
bool newMailMarkerName(const char* folderName, char* out, size_t size);

// The marker file of a folder: the user directory (QPBuildUserDirectory, which ends in a
// path separator), the marker name and ".NRL". The shell builds it in kMarkerPathSize
// bytes, then tests it with Exist, creates it with QPCreateFile or deletes it with
// DeleteFileA. False (empty `out`) when the user directory is empty or the path does not
// fit: the shell then treats the folder as having no marker and touches no file.
bool NewMailMarkerPath(const char* userDirectory, const char* folderName, char* out, size_t size);

// The user's own rules directory: the user directory and "RULES", with a trailing
// backslash when `withSeparator` (the form handed out) and without it (the form
// GetFileAttributesA and CreateDirectoryA get). False (empty `out`) when the user
// directory is empty or the path does not fit.
bool rulesDirectory(const char* userDirectory, bool withSeparator, char* out, size_t size);

// The pattern that finds rule files in a directory: the directory and "RULE*.INI", with a
// backslash between them when the directory does not already end in "\" or "/" (as a
// member's answer might not). For Exist. False (empty `out`) for an empty directory or a
// pattern that does not fit.
bool rulesFilePattern(const char* directory, char* out, size_t size);

}  // namespace qpmulti
