#include <string.h>

#include <string>

#include "RegistryFixture.h"
#include "config/KeyProtection.h"
#include "config/KeyText.h"
#include "config/ProfileStore.h"

namespace {
const char kFixedId[] = "9B3D2E70-4A1C-47e5-8C2F-6D0B9E51A3C8";
}

class KeyProtectionTest : public RegistryTest {
protected:
    // The store remembers the adapter key path of its last load.
    void Attach() { LoadConfigurations(Path()); }
};

TEST_F(KeyProtectionTest, StoredIdentifierIsTheCipherKey) {
    SetSz(Path(), RegistryName(kRegCardCfgId), kFixedId);
    Attach();
    EXPECT_EQ(CString("A5532BCD49803EFF"), EncryptKeyText("0123456789", 40));
    CString plain;
    DecryptKeyText("A5532BCD49803EFF", plain, 5);
    EXPECT_EQ(CString("0123456789"), plain);
    EXPECT_EQ(kFixedId, GetSz(Path(), RegistryName(kRegCardCfgId))) << "identifier rewritten";
}

TEST_F(KeyProtectionTest, MissingIdentifierIsCreatedOnceAndKept) {
    Attach();
    ASSERT_FALSE(HasValue(Path(), RegistryName(kRegCardCfgId)));
    CString first = EncryptKeyText("00112233445566778899AABBCC", 104);
    EXPECT_EQ(32, first.GetLength());
    std::string id = GetSz(Path(), RegistryName(kRegCardCfgId));
    EXPECT_EQ(36u, id.size()) << id;
    EXPECT_EQ(first, EncryptKeyText("00112233445566778899AABBCC", 104));
    EXPECT_EQ(id, GetSz(Path(), RegistryName(kRegCardCfgId)));
    CString plain;
    DecryptKeyText(first, plain, 13);
    EXPECT_EQ(CString("00112233445566778899AABBCC"), plain);

    char buffer[kKeyBufferSize];
    EXPECT_EQ(36u, GetCipherKey(buffer));
    EXPECT_EQ(id, std::string(buffer));
}

TEST_F(KeyProtectionTest, ChangedIdentifierDeciphersStoredKeysToOtherBytes) {
    SetSz(Path(), RegistryName(kRegCardCfgId), kFixedId);
    Attach();
    CString cipher = EncryptKeyText("FFEEDDCCBBAA99887766554433221100", 128);
    SetSz(Path(), RegistryName(kRegCardCfgId), "00000000-1111-2222-3333-444444444444");
    CString plain;
    DecryptKeyText(cipher, plain, 16);
    EXPECT_EQ(32, plain.GetLength());
    EXPECT_NE(CString("FFEEDDCCBBAA99887766554433221100"), plain);
}

TEST_F(KeyProtectionTest, NoAdapterKeyMeansNoIdentifierAndAnEmptyCipherKey) {
    ClearConfigurations(); // no adapter key path remembered
    char buffer[kKeyBufferSize];
    EXPECT_EQ(0u, GetCipherKey(buffer));
    EXPECT_EQ('\0', buffer[0]);
    // Zero key bytes, as the key schedule takes an empty key.
    EXPECT_EQ(CString("58069ED78A3EAB9F"), EncryptKeyText("0123456789", 40));

    LoadConfigurations(Below("Missing").c_str());
    EXPECT_EQ(0u, GetCipherKey(buffer));
    EXPECT_FALSE(KeyExists(Below("Missing")));
}

TEST_F(KeyProtectionTest, OverlongIdentifierIsCutAndKeptAsStored) {
    std::string id(300, 'k');
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = static_cast<char>('A' + i % 23);
    SetSz(Path(), RegistryName(kRegCardCfgId), id);
    Attach();
    char buffer[kKeyBufferSize];
    EXPECT_EQ(kKeyBufferSize - 1, GetCipherKey(buffer));
    EXPECT_EQ(id.substr(0, kKeyBufferSize - 1), std::string(buffer));
    const uint8_t* full = reinterpret_cast<const uint8_t*>(id.data());
    EXPECT_EQ(EncipherKeyText(full, id.size(), "0123456789", 40), EncryptKeyText("0123456789", 40));
    EXPECT_EQ(id, GetSz(Path(), RegistryName(kRegCardCfgId))) << "stored identifier replaced";
}
