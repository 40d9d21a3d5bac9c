#include <gtest/gtest.h>

#include <string.h>

#include "framework/CString.h"

TEST(CString, FormatGrowsBeyondAnyFixedBuffer) {
    CString s;
    std::string big(5000, 'x');
    s.Format("%s-%d", big.c_str(), 42);
    EXPECT_EQ(5003, s.GetLength());
    EXPECT_EQ('2', s.GetAt(5002));
}

TEST(CString, MidLeftAndFindStayInsideTheText) {
    CString s("\\SystemRoot\\System32\\drivers\\x.sys");
    EXPECT_EQ(1, s.Find("SystemRoot"));
    EXPECT_EQ(-1, s.Find("nope"));
    EXPECT_EQ(-1, s.Find("x", 100));
    EXPECT_STREQ("System32\\drivers\\x.sys", s.Mid(12));
    EXPECT_STREQ("", s.Mid(500));
    EXPECT_STREQ("\\Sys", s.Left(4));
    EXPECT_STREQ("", s.Mid(3, 0));
}

TEST(CString, BufferRoundTripStopsAtFirstNul) {
    CString s;
    char* p = s.GetBuffer(16);
    strcpy(p, "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    p = s.GetBuffer(10);
    memcpy(p, "0123456789", 10);
    s.ReleaseBuffer(4);
    EXPECT_STREQ("0123", s);
}

TEST(CString, CompareNoCaseAndMakeUpper) {
    CString s("Default");
    EXPECT_EQ(0, s.CompareNoCase("DEFAULT"));
    EXPECT_NE(0, s.CompareNoCase("Defaults"));
    EXPECT_NE(0, s.CompareNoCase(nullptr));
    s.MakeUpper();
    EXPECT_STREQ("DEFAULT", s);
}
