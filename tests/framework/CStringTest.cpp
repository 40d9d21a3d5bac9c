#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "framework/CString.h"

TEST(CString, FormatGrowsBeyondAnyFixedBuffer) {
    CString s;
    std::string big(5000, 'x');
    s.Format("%s-%d", big.c_str(), 42);
    EXPECT_EQ(5003, s.GetLength());
    EXPECT_EQ('2', s.GetAt(5002));
    // Around the sizes where the formatting tries again, the text that just
    // fills a buffer without its terminating zero included.
    for (size_t n : {254u, 255u, 256u, 257u, 510u, 511u, 512u, 513u, 1023u, 1024u}) {
        std::string text(n, 'y');
        text[n - 1] = 'z';
        s.Format("%s", text.c_str());
        EXPECT_EQ(text, std::string(s)) << n;
    }
}

TEST(CString, OwnTextAsArgumentIsReadBeforeItIsReplaced) {
    CString s("ab");
    s += s;
    EXPECT_STREQ("abab", s);
    s += s.c_str() + 2;
    EXPECT_STREQ("ababab", s);
    s.Format("%s|%s", s.c_str(), s.c_str());
    EXPECT_STREQ("ababab|ababab", s);
    s = s.c_str() + 7;
    EXPECT_STREQ("ababab", s);
    std::string big(600, 'q');
    s = big.c_str();
    s.Format("%s%s", s.c_str(), "!");
    EXPECT_EQ(big + "!", std::string(s));
}

TEST(CString, CopiesAreIndependentAndMovedFromIsEmpty) {
    CString a("first");
    CString b(a);
    b += "!";
    EXPECT_STREQ("first", a);
    EXPECT_STREQ("first!", b);
    a = b;
    b.MakeUpper();
    EXPECT_STREQ("first!", a);
    CString c(static_cast<CString&&>(a));
    EXPECT_STREQ("first!", c);
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_STREQ("", a);
    a = "reused";
    EXPECT_STREQ("reused", a);
    c = static_cast<CString&&>(b);
    EXPECT_STREQ("FIRST!", c);
    // Equality counts every byte, a NUL inside the text too.
    EXPECT_EQ(CString("a\0b", 3), CString("a\0b", 3));
    EXPECT_NE(CString("a\0b", 3), CString("a\0c", 3));
    EXPECT_NE(CString("a\0b", 3), "a");
    EXPECT_EQ(CString(), "");
    EXPECT_EQ(CString(nullptr), CString(""));
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
