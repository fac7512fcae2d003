#include "services/VersionResource.h"

#ifdef _WIN32

#include <cstring>
#include <cwchar>
#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

std::wstring Widen(const char* Text)
{
    return std::wstring(Text, Text + std::strlen(Text));
}

}  // namespace

std::map<std::string, std::wstring> ReadWin32VersionStrings(const std::wstring& FileName)
{
    std::map<std::string, std::wstring> Values;
    DWORD Ignored = 0;
    const DWORD Size = GetFileVersionInfoSizeW(FileName.c_str(), &Ignored);
    if (Size == 0)
        return Values;
    std::vector<BYTE> Buffer(Size);
    if (!GetFileVersionInfoW(FileName.c_str(), 0, Size, Buffer.data()))
        return Values;
    for (const char* Name : VersionValueNames) {
        const std::wstring Query = L"\\StringFileInfo\\" + Widen(VersionTableId) + L"\\" + Widen(Name);
        LPVOID Value = nullptr;
        UINT Length = 0;
        if (!VerQueryValueW(Buffer.data(), Query.c_str(), &Value, &Length) || !Value)
            continue;
        const auto* Text = static_cast<const wchar_t*>(Value);
        Values[Name] = std::wstring(Text, wcsnlen(Text, Length));
    }
    return Values;
}

#endif  // _WIN32
