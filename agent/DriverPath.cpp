#include "DriverPath.h"

#include <string.h>

#include <string>

bool ComposeDriverFilePath(const char* modulePath, const char* base, const char* ext,
                           const char* prefix, char* out, size_t outSize) {
    if (!out || outSize == 0)
        return false;
    out[0] = '\0';
    if (!modulePath || !base || !ext || !prefix)
        return false;

    std::string path(modulePath);
    std::string drive;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        drive = path.substr(0, 2);
        start = 2;
    }
    std::string dir;
    size_t lastSep = path.find_last_of("\\/");
    if (lastSep != std::string::npos && lastSep >= start)
        dir = path.substr(start, lastSep - start + 1);

    std::string result(prefix);
    result += drive;
    result += dir;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        result += '\\';
    result += base;
    if (*ext != '\0' && *ext != '.')
        result += '.';
    result += ext;
    if (result.size() + 1 > outSize)
        return false;
    memcpy(out, result.c_str(), result.size() + 1);
    return true;
}

size_t AdapterNameInputLength(const char* name) {
    if (!name)
        return 0;
    size_t n = 0;
    while (n < kMaxAdapterNameInput && name[n] != '\0')
        ++n;
    if (n >= kMaxAdapterNameInput)
        return 0;
    return n + 1;
}
