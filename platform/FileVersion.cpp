#include "platform/FileVersion.h"

#include <windows.h>

#include <string.h>

#include "framework/Array.h"
#include "platform/PlatformRules.h"

namespace {

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE)
            FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

bool ReadVersion(char* path, CString& version) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return false;
    Array<unsigned char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data()))
        return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(block.data(), root, reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return false;
    version = FormatFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
    return true;
}

CString ReadDate(const char* path) {
    // The file's own status (as FindFirstFile reports it, present on every
    // family), not the directory entry of a wildcard match.
    if (strpbrk(path, "*?"))
        return CString();
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path, &data));
    if (!find.Valid())
        return CString();
    FILETIME local;
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !FileTimeToSystemTime(&local, &t))
        return CString();
    return FormatFileDate({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

} // namespace

bool GetFileVersionAndDate(const CString& path, CString& version, CString& date) {
    date.Empty();
    char buffer[MAX_PATH];
    if (path.GetLength() >= MAX_PATH)
        return false; // would not fit; a cut path would name another file
    memcpy(buffer, path.c_str(), static_cast<size_t>(path.GetLength()) + 1);
    bool found = ReadVersion(buffer, version);
    date = ReadDate(buffer);
    return found;
}
