#include "platform/PlatformRules.h"

PlatformKind SelectPlatformKind(uint32_t platformId, uint32_t majorVersion) {
    switch (platformId) {
    case 2: // VER_PLATFORM_WIN32_NT
        return majorVersion < 5 ? PlatformKind::NT4 : PlatformKind::NT5;
    case 1: // VER_PLATFORM_WIN32_WINDOWS
        return PlatformKind::Win9x;
    default:
        return PlatformKind::Unsupported;
    }
}

CString StripSystemRoot(const CString& imagePath) {
    static const char kRoot[] = "SystemRoot";
    int at = imagePath.Find(kRoot);
    if (at < 0)
        return imagePath;
    // "SystemRoot" and the one separator after it.
    return imagePath.Mid(at + static_cast<int>(sizeof kRoot - 1) + 1);
}

void CopyEditedConfiguration(const CConfigRecord& edited, CConfigRecord& stored) {
    stored.connectionType = edited.connectionType;
    stored.networkName = edited.networkName;
    stored.powerManagement = edited.powerManagement;
    stored.enableTurbo = edited.enableTurbo;
    stored.enableSecurity = edited.enableSecurity;
    if (!edited.enableSecurity)
        return;
    stored.uniqueKeyLength = edited.uniqueKeyLength;
    stored.uniqueKey = edited.uniqueKey;
    for (int i = 0; i < 4; ++i) {
        stored.sharedKey[i] = edited.sharedKey[i];
        stored.sharedKeyLength[i] = edited.sharedKeyLength[i];
    }
    stored.defaultKey = edited.defaultKey;
}

CString FormatFileVersion(uint32_t ms, uint32_t ls) {
    CString text;
    text.Format("%d.%d.%d.%d", static_cast<int>(ms >> 16), static_cast<int>(ms & 0xFFFF),
                static_cast<int>(ls >> 16), static_cast<int>(ls & 0xFFFF));
    return text;
}

CString FormatFileDate(const FileDateParts& d) {
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    CString text;
    if (d.month < 1 || d.month > 12)
        return text;
    text.Format("%02d %s %04d %02d:%02d:%02d", d.day, kMonths[d.month - 1], d.year, d.hour,
                d.minute, d.second);
    return text;
}
