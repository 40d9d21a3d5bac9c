#include <string.h>

#include <string>

#include "RegistryFixture.h"
#include "config/RegistryKey.h"

namespace {
const char kProbe[] = "Probe"; // a value of the tests' own, not a stored name
}

class RegistryKeyTest : public RegistryTest {};

TEST_F(RegistryKeyTest, OpenOrCreateWhileHoldingAKeyFailsAndKeepsTheHeldHandle) {
    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    HKEY held = key.Handle();
    EXPECT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, Path()));
    EXPECT_EQ(0, key.Create(HKEY_LOCAL_MACHINE, Below("Other").c_str(), nullptr));
    EXPECT_EQ(held, key.Handle());
    EXPECT_FALSE(KeyExists(Below("Other")));
}

TEST_F(RegistryKeyTest, FailedOpenLeavesNoHandle) {
    CRegistryKey key;
    EXPECT_EQ(0, key.Open(HKEY_LOCAL_MACHINE, Below("Missing").c_str()));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(0, key.Close()) << "nothing to close";
}

TEST_F(RegistryKeyTest, ChildOperationsNeedAKeyAndAnEmptyChild) {
    CRegistryKey key;
    CRegistryKey child;
    DWORD disposition = 0;
    EXPECT_EQ(0, key.OpenChild("X", child));
    EXPECT_EQ(0, key.CreateChild("X", &disposition, child));
    EXPECT_FALSE(child.IsOpen());

    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    ASSERT_EQ(1, key.CreateChild("Child", &disposition, child));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    EXPECT_EQ(0, key.OpenChild("Child", child)) << "child already holds a key";
    EXPECT_EQ(1, child.Close());
    EXPECT_FALSE(child.IsOpen());
    ASSERT_EQ(1, key.CreateChild("Child", &disposition, child));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    child.Close();
    EXPECT_EQ(1, key.OpenChild("Child", child));
}

TEST_F(RegistryKeyTest, DwordQueryTakesOnlyFourByteDwordsByName) {
    const char text[] = "5";
    const BYTE binary[4] = {1, 2, 3, 4};
    const WORD shortValue = 7;
    SetRaw(Path(), "Text", REG_SZ, text, sizeof text);
    SetRaw(Path(), "Binary", REG_BINARY, binary, sizeof binary);
    SetRaw(Path(), "Short", REG_DWORD, &shortValue, sizeof shortValue);
    SetRaw(Path(), "Long", REG_BINARY, "123456789", 9);
    SetDw(Path(), kProbe, 42);

    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    DWORD v = 99;
    EXPECT_EQ(0, key.QueryDword("Text", v));
    EXPECT_EQ(0, key.QueryDword("Binary", v));
    EXPECT_EQ(0, key.QueryDword("Short", v));
    EXPECT_EQ(0, key.QueryDword("Long", v));
    EXPECT_EQ(0, key.QueryDword("Missing", v));
    EXPECT_EQ(0, key.QueryDword(nullptr, v));
    EXPECT_EQ(99u, v) << "a failed query changed the value";
    EXPECT_EQ(1, key.QueryDword(kProbe, v));
    EXPECT_EQ(42u, v);
}

TEST_F(RegistryKeyTest, StringQueryTakesOnlyRegSzAndKeepsTheTextOnFailure) {
    DWORD number = 5;
    SetRaw(Path(), "Number", REG_DWORD, &number, sizeof number);
    SetRaw(Path(), "Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    SetRaw(Path(), "Binary", REG_BINARY, "abc", 4);

    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    CString text("old");
    EXPECT_EQ(0, key.QueryString("Number", text));
    EXPECT_EQ(0, key.QueryString("Expand", text));
    EXPECT_EQ(0, key.QueryString("Binary", text));
    EXPECT_EQ(0, key.QueryString("Missing", text));
    EXPECT_EQ(0, key.QueryString(nullptr, text));
    EXPECT_EQ(CString("old"), text);
}

TEST_F(RegistryKeyTest, UnterminatedTextEndsAtItsSizeAndOversizedTextIsRefused) {
    SetRaw(Path(), "NoZero", REG_SZ, "abcdef", 3);
    // The registry adds the zero itself when the byte after the counted data
    // is one, so the byte after must not be.
    std::string full(CRegistryKey::kTextBufferSize + 1, 'x');
    SetRaw(Path(), "FullNoZero", REG_SZ, full.data(), CRegistryKey::kTextBufferSize);
    std::string fits(CRegistryKey::kTextBufferSize - 1, 'y');
    SetSz(Path(), "Fits", fits);
    SetSz(Path(), "TooLong", std::string(CRegistryKey::kTextBufferSize, 'z'));
    SetSz(Path(), "Huge", std::string(5000, 'h'));
    SetRaw(Path(), "Embedded", REG_SZ, "ab\0cd", 6);

    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    CString text;
    ASSERT_EQ(1, key.QueryString("NoZero", text));
    EXPECT_EQ(CString("abc"), text);
    // 1024 bytes without a zero fill the data buffer: nothing terminates them
    // but the byte the holder adds.
    ASSERT_EQ(1, key.QueryString("FullNoZero", text));
    EXPECT_EQ(static_cast<int>(CRegistryKey::kTextBufferSize), text.GetLength());
    ASSERT_EQ(1, key.QueryString("Fits", text));
    EXPECT_EQ(CString(fits.c_str()), text);
    text = "old";
    EXPECT_EQ(0, key.QueryString("TooLong", text)) << "1024 characters and the zero: 1025 bytes";
    EXPECT_EQ(0, key.QueryString("Huge", text));
    EXPECT_EQ(CString("old"), text);
    ASSERT_EQ(1, key.QueryString("Embedded", text));
    EXPECT_EQ(CString("ab"), text);
}

TEST_F(RegistryKeyTest, WritesUseDwordAndRegSzWithoutCountingTheTerminator) {
    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    EXPECT_EQ(1, key.SetString(kProbe, "abc"));
    EXPECT_EQ(1, key.SetDword("Number", 0x12345678));
    EXPECT_EQ(0, key.SetString(nullptr, "x"));
    EXPECT_EQ(0, key.SetDword(nullptr, 1));

    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(GetRaw(Path(), kProbe, data, type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("abc"), std::string(data.c_str()));
    EXPECT_EQ(0x12345678u, GetDw(Path(), "Number"));

    CString back;
    ASSERT_EQ(1, key.QueryString(kProbe, back));
    EXPECT_EQ(CString("abc"), back);
    EXPECT_EQ(1, key.SetString(kProbe, ""));
    ASSERT_EQ(1, key.QueryString(kProbe, back));
    EXPECT_TRUE(back.IsEmpty());
    // The registry supplies a terminator that follows the counted bytes
    // itself, so only an empty text shows the count: no bytes at all.
    ASSERT_TRUE(GetRaw(Path(), kProbe, data, type));
    EXPECT_EQ(0u, data.size()) << "the terminator was counted";
}

TEST_F(RegistryKeyTest, EnumerationVisitsEveryChildOnceThenStops) {
    MakeKey(Below("A"));
    MakeKey(Below("B"));
    MakeKey(Below("C"));
    CRegistryKey key;
    CString name;
    EXPECT_EQ(0, key.EnumChild(0, name)) << "no key held";
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    std::string seen;
    DWORD i = 0;
    while (key.EnumChild(i, name)) {
        seen += name.c_str();
        ++i;
    }
    EXPECT_EQ(3u, i);
    EXPECT_EQ(3u, seen.size());
    EXPECT_NE(std::string::npos, seen.find('A'));
    EXPECT_NE(std::string::npos, seen.find('B'));
    EXPECT_NE(std::string::npos, seen.find('C'));
}

TEST_F(RegistryKeyTest, DeleteValueNeedsAKeyAndAnExistingValue) {
    SetDw(Path(), kProbe, 1);
    CRegistryKey key;
    EXPECT_EQ(0, key.DeleteValue(kProbe));
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    EXPECT_EQ(1, key.DeleteValue(kProbe));
    EXPECT_FALSE(HasValue(Path(), kProbe));
    EXPECT_EQ(0, key.DeleteValue(kProbe));
}

TEST_F(RegistryKeyTest, DeleteValueRefusesNullAndEmptyNamesAndKeepsTheDefaultValue) {
    SetRaw(Path(), nullptr, REG_SZ, "default", 8);
    SetDw(Path(), kProbe, 1);
    CRegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
    EXPECT_EQ(0, key.DeleteValue(nullptr));
    EXPECT_EQ(0, key.DeleteValue(""));
    EXPECT_EQ("default", GetSz(Path(), nullptr)) << "the key's default value was deleted";
    EXPECT_TRUE(HasValue(Path(), kProbe));
}

TEST_F(RegistryKeyTest, DestructorClosesTheKey) {
    HKEY raw = nullptr;
    {
        CRegistryKey key;
        ASSERT_EQ(1, key.Open(HKEY_LOCAL_MACHINE, Path()));
        raw = key.Handle();
    }
    // The handle is gone: using it fails.
    DWORD type = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegQueryValueExA(raw, kProbe, nullptr, &type, nullptr, nullptr));
}
