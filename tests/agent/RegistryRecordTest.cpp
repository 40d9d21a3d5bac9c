#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "agent/RegistryRecord.h"

namespace {
// A record with a guard after it, filled with a marker, so overruns show.
struct Guarded {
    AdapterRegistryInfo record;
    char guard[64];
    Guarded() { memset(this, 'G', sizeof *this); }
    bool GuardIntact() const {
        for (char c : guard)
            if (c != 'G')
                return false;
        return true;
    }
};
} // namespace

TEST(RegistryText, LongTextIsCutToFitNeverOverrunsTheField) {
    Guarded g;
    std::string text(300, 'd');
    CopyRegistryText(g.record.description, text.c_str());
    EXPECT_EQ(259u, strlen(g.record.description));
    EXPECT_EQ('G', g.record.title[0]) << "the next field was written";
    CopyRegistryText(g.record.name, text.c_str());
    EXPECT_EQ(259u, strlen(g.record.name));
    EXPECT_TRUE(g.GuardIntact());
    CopyRegistryText(g.record.name, nullptr);
    EXPECT_STREQ("", g.record.name);
}

TEST(InstanceTitle, TitleIsTheDecimalSubkeyInBracketsThenTheDescription) {
    char title[NX_REGISTRY_TEXT_SIZE];
    FormatInstanceTitle(title, "0002", "Net Card");
    EXPECT_STREQ("[2] Net Card", title);
    FormatInstanceTitle(title, "0010", "Unknown");
    EXPECT_STREQ("[10] Unknown", title);
    FormatInstanceTitle(title, "Properties", "X");
    EXPECT_STREQ("[0] X", title);
    FormatInstanceTitle(title, "-12", "X");
    EXPECT_STREQ("[-12] X", title);
    FormatInstanceTitle(title, "-99999999999999999999", "X");
    EXPECT_STREQ("[-2147483648] X", title);
}

TEST(InstanceTitle, LongDescriptionOrSubkeyIsCutNeverOverruns) {
    Guarded g;
    std::string description(300, 'D');
    CopyRegistryText(g.record.description, description.c_str());
    std::string subkey(300, '9');
    Fill95Record(g.record, subkey.c_str(), Values95{true, description.c_str()});
    EXPECT_EQ(259u, strlen(g.record.title));
    EXPECT_EQ(0, strncmp(g.record.title, "[2147483647] DDD", 16)) << g.record.title;
    EXPECT_EQ('G', g.record.name[0]);
    EXPECT_TRUE(g.GuardIntact());
}

TEST(InstanceNumber, OverflowingSubkeyNumberIsSaturatedNotUndefined) {
    EXPECT_EQ(2, InstanceNumber("0002"));
    EXPECT_EQ(12, InstanceNumber("  12abc"));
    EXPECT_EQ(-3, InstanceNumber("-3"));
    EXPECT_EQ(2147483647, InstanceNumber("99999999999999999999"));
    EXPECT_EQ(-2147483647 - 1, InstanceNumber("-99999999999999999999"));
    EXPECT_EQ(0, InstanceNumber(nullptr));
}

TEST(Record95, MissingDescriptionOrSubkeyFallsBackToUnknown) {
    AdapterRegistryInfo r{};
    CopyRegistryText(r.name, "0003");
    Fill95Record(r, "0003", Values95{true, "Net Card"});
    EXPECT_STREQ("Net Card", r.description);
    EXPECT_STREQ("[3] Net Card", r.title);
    EXPECT_STREQ("0003", r.name);
    Fill95Record(r, "0003", Values95{true, nullptr});
    EXPECT_STREQ("Unknown", r.description);
    EXPECT_STREQ("[3] Unknown", r.title);
    Fill95Record(r, "0004", Values95{false, "ignored"});
    EXPECT_STREQ("Unknown", r.description);
    EXPECT_STREQ("[4] Unknown", r.title);
    EXPECT_STREQ("0003", r.name) << "the open name is the caller's subkey";
}

TEST(RecordNt4, TitleFallsBackToDescriptionAndUnopenedKeyIsAllUnknown) {
    AdapterRegistryInfo r{};
    FillNt4Record(r, ValuesNt4{true, "DOVIZ1", "Card", nullptr});
    EXPECT_STREQ("DOVIZ1", r.name);
    EXPECT_STREQ("Card", r.description);
    EXPECT_STREQ("Card", r.title);
    FillNt4Record(r, ValuesNt4{true, nullptr, nullptr, "T"});
    EXPECT_STREQ("Unknown", r.name);
    EXPECT_STREQ("Unknown", r.description);
    EXPECT_STREQ("T", r.title);
    FillNt4Record(r, ValuesNt4{false, "x", "y", "z"});
    EXPECT_STREQ("Unknown", r.name);
    EXPECT_STREQ("Unknown", r.description);
    EXPECT_STREQ("Unknown", r.title);
}

TEST(Record2000, DescriptionPrefersDriverDescThenDescription) {
    AdapterRegistryInfo r{};
    Fill2000Record(r, Values2000{true, "{G}", "Drv", "Desc"});
    EXPECT_STREQ("{G}", r.name);
    EXPECT_STREQ("Drv", r.description);
    EXPECT_STREQ("Drv", r.title);
    Fill2000Record(r, Values2000{true, nullptr, nullptr, "Desc"});
    EXPECT_STREQ("Unknown", r.name);
    EXPECT_STREQ("Desc", r.description);
    EXPECT_STREQ("Desc", r.title);
    Fill2000Record(r, Values2000{true, nullptr, nullptr, nullptr});
    EXPECT_STREQ("Unknown", r.title);
    Fill2000Record(r, Values2000{false, "{G}", "Drv", "Desc"});
    EXPECT_STREQ("Unknown", r.name);
    EXPECT_STREQ("Unknown", r.description);
    EXPECT_STREQ("Unknown", r.title);
}
