#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/FileVersion.h"

namespace {

std::string TempDir() {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return dir;
}

std::string OwnPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// A file with no version resource, last written at the given local time.
bool WriteFileAt(const std::string& path, WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(f, "plain", 5, &written, nullptr);
    SYSTEMTIME st = {y, mo, 0, d, h, mi, s, 0};
    FILETIME local, utc;
    bool ok = SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc) &&
              SetFileTime(f, nullptr, nullptr, &utc);
    CloseHandle(f);
    return ok;
}

} // namespace

TEST(FileVersionAndDate, VersionResourceReadWithoutLeadingZerosAndDateFilled) {
    CString version = "old", date;
    EXPECT_TRUE(GetFileVersionAndDate(OwnPath().c_str(), version, date));
    EXPECT_STREQ("1.0.2.15", version.c_str());
    EXPECT_EQ(20, date.GetLength()) << date.c_str(); // "07 Mar 2002 14:05:09"
}

TEST(FileVersionAndDate, FileWithoutVersionKeepsVersionAndShowsItsLocalDate) {
    std::string path = TempDir() + "wd_noversion.txt";
    ASSERT_TRUE(WriteFileAt(path, 2002, 3, 7, 14, 5, 9));
    CString version = "9.9.9.9", date = "stale";
    EXPECT_FALSE(GetFileVersionAndDate(path.c_str(), version, date));
    EXPECT_STREQ("9.9.9.9", version.c_str());
    EXPECT_STREQ("07 Mar 2002 14:05:09", date.c_str());
    DeleteFileA(path.c_str());
}

TEST(FileVersionAndDate, MissingFileGivesFalseUnchangedVersionEmptyDate) {
    CString version = "1.2.3.4", date = "stale";
    EXPECT_FALSE(GetFileVersionAndDate((TempDir() + "wd_no_such_file.sys").c_str(), version, date));
    EXPECT_STREQ("1.2.3.4", version.c_str());
    EXPECT_STREQ("", date.c_str());
}

TEST(FileVersionAndDate, OverlongPathDoesNotOverrunAndReadsNothing) {
    std::string path = TempDir() + std::string(400, 'x') + ".sys";
    CString version = "1.2.3.4", date = "stale";
    EXPECT_FALSE(GetFileVersionAndDate(path.c_str(), version, date));
    EXPECT_STREQ("1.2.3.4", version.c_str());
    EXPECT_STREQ("", date.c_str());
}

TEST(FileVersionAndDate, PathOfExactly259CharactersIsStillRead) {
    std::string dir = TempDir() + "wd_long_" + std::string(120, 'd');
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + "\\";
    path += std::string(259 - path.size(), 'f');
    ASSERT_EQ(259u, path.size());
    if (!WriteFileAt(path, 2010, 12, 31, 23, 59, 58))
        GTEST_SKIP() << "the file system refused a 259-character path";
    CString version, date;
    EXPECT_FALSE(GetFileVersionAndDate(path.c_str(), version, date));
    EXPECT_STREQ("31 Dec 2010 23:59:58", date.c_str());
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(FileVersionAndDate, WildcardPathIsNotTakenForAMatchingFile) {
    CString version, date;
    std::string pattern = OwnPath();
    pattern.replace(pattern.size() - 5, 1, "?"); // "...tes?.exe"
    EXPECT_FALSE(GetFileVersionAndDate(pattern.c_str(), version, date));
    EXPECT_STREQ("", date.c_str());
}

TEST(FileVersionAndDate, ProgramFileCarriesTheVersionTheAboutPageShows) {
    std::string path = OwnPath();
    path = path.substr(0, path.rfind('\\') + 1) + "wavedesk.exe";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "wavedesk.exe is not built beside the tests";
    CString version, date;
    EXPECT_TRUE(GetFileVersionAndDate(path.c_str(), version, date));
    EXPECT_STREQ("1.0.0.1", version.c_str());
}
