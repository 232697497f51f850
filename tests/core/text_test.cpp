#include <gtest/gtest.h>

#include <tuple>

#include "framework/core/Text.h"
#include "records/Record.h"

using namespace fw;

TEST(Text, CoordinateTextIsTheExactStoredValue) {
  const std::pair<int32_t, const char*> cases[] = {{4885661, "48.85661"},
                                                   {-12241942, "-122.41942"},
                                                   {4550000, "45.5"},
                                                   {-125000, "-1.25"},
                                                   {0, "0"},
                                                   {1, "0.00001"},
                                                   {-1, "-0.00001"},
                                                   {-2147483648, "-21474.83648"},
                                                   {2147483647, "21474.83647"},
                                                   {100000, "1"},
                                                   {-100000, "-1"},
                                                   {123, "0.00123"}};
  for (auto [v, want] : cases) EXPECT_EQ(records::CoordinateText(v), want) << v;
}

TEST(Text, StrOfDoubleNeverUsesAnExponentOrTheLocale) {
  EXPECT_EQ(Str(1e-7), "0.0000001");
  EXPECT_EQ(Str(1e21), "1000000000000000000000");
  EXPECT_EQ(Str(-0.0), "0");
  EXPECT_EQ(Str(int64_t{-42}), "-42");
}

TEST(Text, ValReadsHexAfterAmpersandH) {
  EXPECT_EQ(Val(std::string_view("&h1B")), 27);
  EXPECT_EQ(Val(std::string_view("&hff")), 255);
  EXPECT_EQ(Val(std::string_view("&H0A")), 10);
  EXPECT_EQ(Val(std::string_view("&h")), 0);
  EXPECT_EQ(Val(std::string_view("&hG1")), 0);
  EXPECT_EQ(Val(std::string_view("&h1G")), 1);
  EXPECT_EQ(Val(std::string_view("12.5xyz")), 12.5);
  EXPECT_EQ(Val(std::u32string_view(U"&h7F")), 127);
}

TEST(Text, MidLenChrHex) {
  EXPECT_EQ(Mid(std::u32string_view(U"abcdef"), 2, 3), U"bcd");
  EXPECT_EQ(Mid(std::u32string_view(U"abc"), 3, 5), U"c");
  EXPECT_EQ(Mid(std::u32string_view(U"abc"), 4, 1), U"");
  EXPECT_EQ(Mid(std::u32string_view(U"abc"), 1, 0), U"");
  EXPECT_EQ(Len(U"é€"), 2);
  EXPECT_EQ(LenB("\xC3\xA9"), 2);
  EXPECT_EQ(Chr(13), "\r");
  EXPECT_EQ(Chr(0xE9), "\xC3\xA9");
  EXPECT_EQ(Hex(4), "4");
  EXPECT_EQ(Hex(255), "FF");
  EXPECT_EQ(Hex(0), "0");
}

TEST(Text, GroupedThousandsAndCDblReadsItBack) {
  const std::pair<double, const char*> cases[] = {{0, "0"},
                                                  {999, "999"},
                                                  {1000, "1\u00a0000"},
                                                  {25000000, "25\u00a0000\u00a0000"},
                                                  {8589934592.0, "8\u00a0589\u00a0934\u00a0592"}};
  for (auto [v, want] : cases) {
    EXPECT_EQ(GroupedThousands(v), want);
    EXPECT_EQ(CDbl(GroupedThousands(v)), v);
  }
}

TEST(Text, CountsTakeTheSingularBelowTwo) {
  const std::tuple<uint64_t, const char*, const char*> cases[] = {{0, "octet", "0 octet"},
                                                                  {1, "octet", "1 octet"},
                                                                  {2, "octet", "2 octets"},
                                                                  {1000, "octet", "1\u00a0000 octets"},
                                                                  {1, "enregistrement", "1 enregistrement"},
                                                                  {2, "enregistrement", "2 enregistrements"}};
  for (auto [n, unit, want] : cases) EXPECT_EQ(Counted(n, unit), want) << n;
}

TEST(Text, Windows1252CoversAllByteValues) {
  EXPECT_EQ(Windows1252ToUtf8("Caf\xE9"), "Café");
  EXPECT_EQ(Windows1252ToUtf8("\x80\x92\x9C"), "€’œ");
  for (int b = 0; b < 256; ++b) {
    const char32_t c = Windows1252ToUnicode(static_cast<uint8_t>(b));
    if (b < 0x80 || b >= 0xA0) {
      EXPECT_EQ(c, static_cast<char32_t>(b));
    }
    // No two bytes give one character, so nothing stored is hidden.
    for (int o = 0; o < b; ++o) EXPECT_NE(Windows1252ToUnicode(static_cast<uint8_t>(o)), c);
    EXPECT_EQ(Utf8ToU32(Windows1252ToUtf8(std::string(1, static_cast<char>(b)))), std::u32string(1, c));
  }
}
