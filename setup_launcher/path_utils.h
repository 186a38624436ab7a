#pragma once
// In-place edits of a path; the result is never longer than the input.

// Drops one trailing backslash.
void RemoveTrailingSlash(char* pchText);
// Keeps the drive and directory of a file's full name, without a trailing
// backslash ('\' and '/' both separate directories).
void GetFilePath(char* pchPath);

// `pchDirectory`, a backslash unless it ends with '\' or '/', and `pchName`,
// cut to `uSize` - 1 characters.
void MakeFilePath(char* pchResult, unsigned uSize, const char* pchDirectory, const char* pchName);

// Whether path splitting finds a drive ("X:" at the start) or a directory
// (anything up to a '\\' or '/') in the name.
bool HasDriveOrDirectory(const char* pchName);
