#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "agent/DriverPath.h"

namespace {
std::string Compose(const char* module, const char* base, const char* ext,
                    const char* prefix = "") {
    char out[260];
    if (!ComposeDriverFilePath(module, base, ext, prefix, out, sizeof out))
        return "<failed>";
    return out;
}
} // namespace

TEST(DriverFilePath, DriverFileIsBesideTheLibraryUnderItsOwnName) {
    EXPECT_EQ("C:\\PROGRA~1\\WAVEDESK\\NXPROTO.SYS",
              Compose("C:\\PROGRA~1\\WAVEDESK\\NXLIB32.DLL", "NXPROTO", ".SYS"));
    EXPECT_EQ("C:\\NXPROTO4.SYS", Compose("C:\\NXLIB32.DLL", "NXPROTO4", ".SYS"));
    // The 95-family driver file is opened as a device.
    EXPECT_EQ("\\\\.\\C:\\WIN\\NXPROTO.VXD",
              Compose("C:\\WIN\\NXLIB32.DLL", "NXPROTO", ".VXD", "\\\\.\\"));
}

TEST(DriverFilePath, MissingDotOrSeparatorsAreSupplied) {
    EXPECT_EQ("D:\\X\\NXPROTO.SYS", Compose("D:\\X\\NXLIB32.DLL", "NXPROTO", "SYS"));
    EXPECT_EQ("D:/x/NXPROTO.SYS", Compose("D:/x/NXLIB32.DLL", "NXPROTO", ".SYS"));
    EXPECT_EQ("\\\\srv\\share\\NXPROTO.SYS",
              Compose("\\\\srv\\share\\NXLIB32.DLL", "NXPROTO", ".SYS"));
}

TEST(DriverFilePath, TooLongResultFailsInsteadOfOverrunning) {
    std::string dir = "C:\\" + std::string(250, 'A') + "\\NXLIB32.DLL";
    char out[260];
    memset(out, 'Z', sizeof out);
    EXPECT_FALSE(ComposeDriverFilePath(dir.c_str(), "NXPROTO", ".SYS", "", out, sizeof out));
    EXPECT_EQ('\0', out[0]);
    char small[8];
    EXPECT_FALSE(
        ComposeDriverFilePath("C:\\NXLIB32.DLL", "NXPROTO", ".SYS", "", small, sizeof small));
    EXPECT_FALSE(ComposeDriverFilePath(nullptr, "NXPROTO", ".SYS", "", out, sizeof out));
}

TEST(AdapterNameInput, NameTooLongForTheDriverIsRefusedNotTruncated) {
    EXPECT_EQ(strlen("\\Device\\{GUID}") + 1, AdapterNameInputLength("\\Device\\{GUID}"));
    std::string longest(kMaxAdapterNameInput - 1, 'n');
    EXPECT_EQ(static_cast<size_t>(kMaxAdapterNameInput), AdapterNameInputLength(longest.c_str()));
    std::string tooLong(kMaxAdapterNameInput, 'n');
    EXPECT_EQ(0u, AdapterNameInputLength(tooLong.c_str()));
    EXPECT_EQ(0u, AdapterNameInputLength(std::string(5000, 'n').c_str()));
    EXPECT_EQ(0u, AdapterNameInputLength(nullptr));
    EXPECT_EQ(1u, AdapterNameInputLength(""));
}
