#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/Array.h"

namespace {

// Counts the live instances, so that a copy or destruction too few or too
// many shows.
struct Tracked {
    static int live;
    std::string text;
    explicit Tracked(const char* t = "") : text(t) { ++live; }
    Tracked(const Tracked& other) : text(other.text) { ++live; }
    Tracked(Tracked&& other) noexcept : text(std::move(other.text)) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
};
int Tracked::live = 0;

} // namespace

TEST(Array, ItemsKeepTheirValuesAndOrderAcrossGrowth) {
    {
        Array<Tracked> a;
        EXPECT_TRUE(a.empty());
        for (int i = 0; i < 100; ++i)
            a.push_back(Tracked(std::to_string(i).c_str()));
        ASSERT_EQ(100u, a.size());
        EXPECT_EQ(100, Tracked::live);
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(std::to_string(i), a[i].text);
        EXPECT_EQ("99", a.back().text);
        int n = 0;
        for (const Tracked& t : a)
            EXPECT_EQ(std::to_string(n++), t.text);
        a.resize(3);
        EXPECT_EQ(3, Tracked::live);
        a.resize(5, Tracked("pad"));
        EXPECT_EQ("2", a[2].text);
        EXPECT_EQ("pad", a[4].text);
        a.clear();
        EXPECT_EQ(0, Tracked::live);
        a.push_back(Tracked("again"));
        EXPECT_EQ("again", a[0].text);
    }
    EXPECT_EQ(0, Tracked::live);
}

TEST(Array, OwnItemAddedOrUsedAsFillWhileGrowingIsCopiedWhole) {
    Array<std::string> a;
    a.push_back(std::string(100, 'a'));
    for (int i = 0; i < 20; ++i)
        a.push_back(a[0]); // growth moves the item being copied
    for (const std::string& s : a)
        EXPECT_EQ(std::string(100, 'a'), s);
    a.resize(200, a[1]);
    EXPECT_EQ(std::string(100, 'a'), a[199]);
}

TEST(Array, CopiesAreIndependentAndMovesTakeTheItems) {
    Array<std::string> a(3, "x");
    Array<std::string> b(a);
    b[0] = "changed";
    b.push_back("more");
    EXPECT_EQ("x", a[0]);
    EXPECT_EQ(3u, a.size());
    a = b;
    EXPECT_EQ("changed", a[0]);
    EXPECT_EQ(4u, a.size());
    Array<std::string> c(std::move(a));
    EXPECT_EQ(4u, c.size());
    EXPECT_TRUE(a.empty());
    a = std::move(c);
    EXPECT_EQ("more", a[3]);

    Array<std::unique_ptr<int>> owners;
    for (int i = 0; i < 10; ++i)
        owners.push_back(std::unique_ptr<int>(new int(i)));
    Array<std::unique_ptr<int>> taken(std::move(owners));
    EXPECT_EQ(9, *taken[9]);

    Array<unsigned char> bytes(64, 0);
    EXPECT_EQ(64u, bytes.size());
    EXPECT_EQ(0, bytes.data()[63]);
}
