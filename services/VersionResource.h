#pragma once
// Which version strings a program file is asked for, and on Windows the
// reading of its VERSIONINFO resource with the Win32 version functions. No Qt
// here, so the Windows test program can carry a resource and read it back.

#include <map>
#include <string>

// The one string table that is read: U.S. English, Windows Latin 1.
inline constexpr const char* VersionTableId = "040904E4";
inline constexpr const char* VersionValueNames[] = {"ProductName", "FileVersion", "Comments", "CompanyName"};

#ifdef _WIN32
// The values of VersionValueNames in the table VersionTableId of FileName's
// version resource, each cut at its first NUL (blanks are left to the caller).
// A value the table lacks is missing from the map; the map is empty when the
// file has no such resource or cannot be read.
std::map<std::string, std::wstring> ReadWin32VersionStrings(const std::wstring& FileName);
#endif
