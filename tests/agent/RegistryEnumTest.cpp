// Adapter registry enumeration per family, against fixtures written under
// the family's class key in the test prefix (removed again afterwards).
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "agent/W32N.h"
#include "tests/support/WineFamily.h"

namespace {

// Writes subkeys with string (or other) values under the class key and
// deletes them at the end.
class Fixture {
public:
    explicit Fixture(const char* classPath) : classPath_(classPath) {}
    ~Fixture() {
        HKEY cls;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, classPath_.c_str(), 0, KEY_ALL_ACCESS, &cls) ==
            ERROR_SUCCESS) {
            for (const std::string& k : created_)
                RegDeleteKeyA(cls, k.c_str());
            RegCloseKey(cls);
        }
    }
    bool Add(const std::string& subkey, const std::map<std::string, std::string>& values,
             const std::map<std::string, DWORD>& dwords = {}) {
        HKEY key;
        std::string path = classPath_ + "\\" + subkey;
        LONG r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr);
        // Wine keeps NetworkCards volatile; its children must be too.
        if (r == ERROR_CHILD_MUST_BE_VOLATILE)
            r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (r != ERROR_SUCCESS)
            return false;
        created_.push_back(subkey);
        for (const auto& v : values)
            RegSetValueExA(key, v.first.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(v.second.c_str()),
                           static_cast<DWORD>(v.second.size() + 1));
        for (const auto& v : dwords)
            RegSetValueExA(key, v.first.c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&v.second), sizeof v.second);
        RegCloseKey(key);
        return true;
    }

private:
    std::string classPath_;
    std::vector<std::string> created_;
};

struct Fields {
    std::string description, title, name;
};

Fields BySubkey(const char* subkey, DWORD expectedResult = 0) {
    W32N_ADAPTER_INFO info;
    memset(&info, 'X', sizeof info);
    EXPECT_EQ(expectedResult, W32N_GetAdapterRegistryInfoBySubkey(&info, subkey)) << subkey;
    return {info.description, info.title, info.name};
}

// Names reached by First/Next up to 259, and the records found.
std::map<std::string, Fields> EnumerateAll(int* calls) {
    std::map<std::string, Fields> found;
    W32N_ADAPTER_INFO info;
    DWORD r = W32N_GetFirstAdapterRegistryInfo(&info);
    *calls = 1;
    while (r != ERROR_NO_MORE_ITEMS && *calls < 1000) {
        EXPECT_EQ(0u, r);
        found[info.name] = {info.description, info.title, info.name};
        r = W32N_GetNextAdapterRegistryInfo(&info);
        ++*calls;
    }
    return found;
}

DWORD SubkeyCount(const char* path) {
    HKEY key;
    DWORD count = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    return count;
}

#define AS(family)                                                                                 \
    if (!InFamilyChild()) {                                                                        \
        EXPECT_EQ(0, RunTestAs(family));                                                           \
        return;                                                                                    \
    }

} // namespace

TEST(RegistryEnum95, DescriptionTitleAndInstanceKeyFollowThe95Layout) {
    AS("win98");
    Fixture f(W32N_GetNetCardRegistryPath());
    std::string longText(300, 'L');
    ASSERT_TRUE(f.Add("0900", {{"DriverDesc", "Net Card"}}));
    ASSERT_TRUE(f.Add("0901", {}));
    ASSERT_TRUE(f.Add("0902", {}, {{"DriverDesc", 7}}));
    ASSERT_TRUE(f.Add("0903", {{"DriverDesc", longText}}));

    Fields a = BySubkey("0900");
    EXPECT_EQ("Net Card", a.description);
    EXPECT_EQ("[900] Net Card", a.title);
    EXPECT_EQ("0900", a.name);
    Fields b = BySubkey("0901");
    EXPECT_EQ("Unknown", b.description);
    EXPECT_EQ("[901] Unknown", b.title);
    EXPECT_EQ("Unknown", BySubkey("0902").description) << "a non-string value was taken";
    Fields d = BySubkey("0903");
    EXPECT_EQ("Unknown", d.description) << "a value longer than the field was taken";
    Fields missing = BySubkey("0999");
    EXPECT_EQ("Unknown", missing.description);
    EXPECT_EQ("[999] Unknown", missing.title);
    EXPECT_EQ("0999", missing.name);
}

TEST(RegistryEnum95, LongSubkeyOrValueIsCutToTheFieldNeverOverruns) {
    AS("win95");
    Fixture f(W32N_GetNetCardRegistryPath());
    std::string desc(259, 'D'); // the longest value that fits with its NUL
    ASSERT_TRUE(f.Add("0904", {{"DriverDesc", desc}}));
    struct {
        W32N_ADAPTER_INFO info;
        char guard[32];
    } area;
    memset(&area, 'G', sizeof area);
    EXPECT_EQ(0u, W32N_GetAdapterRegistryInfoBySubkey(&area.info, "0904"));
    EXPECT_EQ(desc, area.info.description);
    EXPECT_EQ(259u, strlen(area.info.title)) << "\"[904] \" + 259 characters must be cut";
    EXPECT_EQ(0, strncmp(area.info.title, "[904] DDD", 9));
    std::string subkey(300, '7');
    EXPECT_EQ(0u, W32N_GetAdapterRegistryInfoBySubkey(&area.info, subkey.c_str()));
    EXPECT_EQ(259u, strlen(area.info.name));
    for (char g : area.guard)
        ASSERT_EQ('G', g) << "wrote past the record";
}

TEST(RegistryEnumNt4, ServiceNameDescriptionAndTitleWithFallbacks) {
    AS("nt40");
    Fixture f(W32N_GetNetCardRegistryPath());
    ASSERT_TRUE(f.Add("90", {{"ServiceName", "DOVIZ9"}, {"Description", "Card"}}));
    ASSERT_TRUE(f.Add("91", {{"ServiceName", "E1"}, {"Description", "D"}, {"Title", "[1] T"}}));
    Fields a = BySubkey("90");
    EXPECT_EQ("DOVIZ9", a.name);
    EXPECT_EQ("Card", a.description);
    EXPECT_EQ("Card", a.title) << "without Title the description is the title";
    EXPECT_EQ("[1] T", BySubkey("91").title);
    Fields missing = BySubkey("99");
    EXPECT_EQ("Unknown", missing.name);
    EXPECT_EQ("Unknown", missing.description);
    EXPECT_EQ("Unknown", missing.title);
}

TEST(RegistryEnumNt4, FirstAndNextVisitEveryNetworkCardThenEndWith259AndRestart) {
    AS("nt40");
    const char* path = W32N_GetNetCardRegistryPath();
    EXPECT_STREQ("Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", path);
    Fixture f(path);
    ASSERT_TRUE(f.Add("90", {{"ServiceName", "DOVIZ9"}, {"Description", "Card"}}));
    ASSERT_TRUE(f.Add("91", {{"ServiceName", "E1"}, {"Description", "D"}, {"Title", "[1] T"}}));
    int calls = 0;
    std::map<std::string, Fields> found = EnumerateAll(&calls);
    EXPECT_EQ(SubkeyCount(path) + 1, static_cast<DWORD>(calls));
    ASSERT_EQ(1u, found.count("DOVIZ9"));
    EXPECT_EQ("Card", found["DOVIZ9"].description);
    EXPECT_EQ("Card", found["DOVIZ9"].title);
    ASSERT_EQ(1u, found.count("E1"));
    EXPECT_EQ("[1] T", found["E1"].title);
    W32N_ADAPTER_INFO info;
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), W32N_GetNextAdapterRegistryInfo(&info))
        << "the cursor keeps advancing past the end";
    EXPECT_EQ(0u, W32N_GetFirstAdapterRegistryInfo(&info));
    W32N_ADAPTER_INFO byIndex;
    EXPECT_EQ(0u, W32N_GetAdapterRegistryInfoBySubkeyIndex(&byIndex, 0));
    EXPECT_STREQ(byIndex.name, info.name) << "First did not restart at subkey 0";
    EXPECT_STREQ(byIndex.title, info.title);
}

TEST(RegistryEnum2000, InstanceIdAndDescriptionWithNonAdapterSubkeys) {
    AS("winxp");
    Fixture f(W32N_GetNetCardRegistryPath());
    ASSERT_TRUE(f.Add("0900", {{"NetCfgInstanceID", "{11111111-2222-3333-4444-555555555555}"},
                               {"DriverDesc", "Drv"},
                               {"Description", "Other"}}));
    ASSERT_TRUE(f.Add("0901", {{"Description", "Only"}}));
    ASSERT_TRUE(f.Add("ZZProps", {}));
    Fields a = BySubkey("0900");
    EXPECT_EQ("{11111111-2222-3333-4444-555555555555}", a.name);
    EXPECT_EQ("Drv", a.description);
    EXPECT_EQ("Drv", a.title);
    Fields b = BySubkey("0901");
    EXPECT_EQ("Unknown", b.name);
    EXPECT_EQ("Only", b.description);
    Fields props = BySubkey("ZZProps");
    EXPECT_EQ("Unknown", props.name);
    EXPECT_EQ("Unknown", props.description);
    EXPECT_EQ("Unknown", props.title);
    EXPECT_EQ("Unknown", BySubkey("NoSuchKey").title);
}

TEST(RegistryEnum2000, EnumerationVisitsEverySubkeyThenEndsWith259AndRestarts) {
    AS("win2k");
    const char* path = W32N_GetNetCardRegistryPath();
    Fixture f(path);
    ASSERT_TRUE(f.Add("0900", {{"NetCfgInstanceID", "{A}"}, {"DriverDesc", "Drv"}}));
    ASSERT_TRUE(f.Add("0901", {{"DriverDesc", "Second"}}));
    int calls = 0;
    std::map<std::string, Fields> found = EnumerateAll(&calls);
    EXPECT_EQ(SubkeyCount(path) + 1, static_cast<DWORD>(calls));
    ASSERT_EQ(1u, found.count("{A}"));
    EXPECT_EQ("Drv", found["{A}"].description);
    W32N_ADAPTER_INFO info;
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), W32N_GetNextAdapterRegistryInfo(&info))
        << "the cursor keeps advancing past the end";
    EXPECT_EQ(0u, W32N_GetFirstAdapterRegistryInfo(&info));
    W32N_ADAPTER_INFO byIndex;
    EXPECT_EQ(0u, W32N_GetAdapterRegistryInfoBySubkeyIndex(&byIndex, 0));
    EXPECT_STREQ(byIndex.name, info.name) << "First did not restart at subkey 0";
    EXPECT_STREQ(byIndex.description, info.description);
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS),
              W32N_GetAdapterRegistryInfoBySubkeyIndex(&byIndex, SubkeyCount(path)));
}

TEST(RegistryEnum95, EnumerationEndsWith259) {
    AS("win98");
    const char* path = W32N_GetNetCardRegistryPath();
    Fixture f(path);
    ASSERT_TRUE(f.Add("0905", {{"DriverDesc", "Net Card"}}));
    int calls = 0;
    std::map<std::string, Fields> found = EnumerateAll(&calls);
    EXPECT_EQ(SubkeyCount(path) + 1, static_cast<DWORD>(calls));
    ASSERT_EQ(1u, found.count("0905"));
    EXPECT_EQ("[905] Net Card", found["0905"].title);
}
