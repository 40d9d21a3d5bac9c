#include <gtest/gtest.h>

#include "adapter/StatusText.h"
#include "ui/AboutPageRules.h"

TEST(AboutTexts, EachFieldIsItsLabelAndValue) {
    const uint8_t mac[6] = {0x00, 0x03, 0x7F, 0x0A, 0xBB, 0xCC};
    AboutPageSources s;
    s.strategyExists = true;
    s.regulatoryDomain = FormatRegulatoryDomainText("0x%02x %s", 0x30, "ETSI");
    s.driverVersion = "5.0.1.2";
    s.driverDate = "07 Mar 2002 14:05:09";
    s.permanentAddress = mac;
    s.fileVersion = "1.0.0.1";
    s.fileDate = "01 Feb 2003 09:00:00";
    AboutPageTexts t = ComposeAboutTexts(s);
    EXPECT_STREQ("Device Name: VELNORA KX750 802.11a Wireless Adapter", t.deviceName.c_str());
    EXPECT_STREQ("Regional Domain: 0x30 ETSI", t.regulatoryDomain.c_str());
    EXPECT_STREQ("Driver Version: 5.0.1.2", t.driverVersion.c_str());
    EXPECT_STREQ("Driver Date: 07 Mar 2002 14:05:09", t.driverDate.c_str());
    EXPECT_STREQ("MAC Address: 00-03-7F-0A-BB-CC", t.macAddress.c_str());
    EXPECT_STREQ("Version: 1.0.0.1", t.version.c_str());
    EXPECT_STREQ("Date: 01 Feb 2003 09:00:00", t.date.c_str());
}

TEST(AboutTexts, NeverOpenedAdapterShowsDriverLabelsAlone) {
    AboutPageSources s;
    s.strategyExists = true;
    s.regulatoryDomain = FormatRegulatoryDomainText("0x%02x %s", 0, "<unknown>");
    const uint8_t zero[6] = {};
    s.permanentAddress = zero;
    AboutPageTexts t = ComposeAboutTexts(s);
    EXPECT_STREQ("Driver Version: ", t.driverVersion.c_str());
    EXPECT_STREQ("Driver Date: ", t.driverDate.c_str());
    EXPECT_STREQ("Regional Domain: 0x00 <unknown>", t.regulatoryDomain.c_str());
    EXPECT_STREQ("MAC Address: 00-00-00-00-00-00", t.macAddress.c_str());
    s.permanentAddress = nullptr;
    EXPECT_STREQ("MAC Address: ", ComposeAboutTexts(s).macAddress.c_str());
}

TEST(AboutTexts, WithoutStrategyEveryFieldIsBlank) {
    AboutPageSources s;
    s.regulatoryDomain = "0x30 ETSI";
    s.fileVersion = "1.0.0.1";
    AboutPageTexts t = ComposeAboutTexts(s);
    for (const CString* text : {&t.deviceName, &t.regulatoryDomain, &t.driverVersion, &t.driverDate,
                                &t.macAddress, &t.version, &t.date})
        EXPECT_TRUE(text->IsEmpty());
}
