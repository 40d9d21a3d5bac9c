#include <gtest/gtest.h>

#include "adapter/StatusText.h"
#include "platform/ResourceText.h"
#include "res/resource.h"

// The domain table names string identifiers; the string table must hold the
// matching texts, or the About page shows the wrong region.
TEST(StringTable, RegulatoryDomainTableAndStringTableAgree) {
    struct {
        uint32_t code;
        const char* name;
    } const cases[] = {{0x10, "FCC (US)"}, {0x20, "DOC (Canada)"}, {0x30, "ETSI"},
                       {0x31, "Spain"},    {0x32, "France"},       {0x40, "MKK (Japan)"},
                       {0x41, "<unknown>"}};
    for (const auto& c : cases)
        EXPECT_STREQ(c.name, LoadResourceText(RegulatoryDomainNameId(c.code)).c_str()) << c.code;
    CString format = LoadResourceText(IDS_DOMAIN_FORMAT);
    EXPECT_STREQ("0x30 ETSI", FormatRegulatoryDomainText(format.c_str(), 0x30, "ETSI").c_str());
}

TEST(StringTable, MissingStringGivesEmptyText) {
    EXPECT_STREQ("", LoadResourceText(58999).c_str());
}
