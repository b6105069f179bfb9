#include "data/cp1252.h"

#include <gtest/gtest.h>

namespace kolvaro {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const auto back = Utf8ToCp1252(Cp1252ToUtf8(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Cp1252, KnownCharacters) {
    const struct {
        const char* bytes;
        const char* utf8;
    } cases[] = {
        {"M\xfcller", "Müller"},
        {"Stra\xdf"
         "e",
         "Straße"},
        {"\x80", "€"},
        {"\x8a\x9a\x8e\x9e", "ŠšŽž"},
        {"\x84\x93\x94", "„“”"},
        {"\x96\x97", "–—"},
        {"\x81\x8d\x8f\x90\x9d", "\u0081\u008d\u008f\u0090\u009d"},
        {"\xa0", "\u00a0"},
        {"\xff", "ÿ"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252ToUtf8(c.bytes), c.utf8) << c.utf8;
        EXPECT_EQ(Utf8ToCp1252(c.utf8), std::optional<std::string>(c.bytes)) << c.utf8;
    }
}

TEST(Cp1252, RefusesWhatItCannotHold) {
    for (const char* text : {
             "Łukasz",            // a letter outside the code page
             "\u0080",            // a control character that the code page gives to the euro sign
             "日本",              //
             "😀",                 // outside the basic plane
             "\xc3",              // cut-off sequence
             "\xc3\x28",          // bad continuation byte
             "\xc0\xaf",          // overlong form
             "\xed\xa0\x80",      // surrogate
             "\xf4\x90\x80\x80",  // past U+10FFFF
             "\xff",
         }) {
        EXPECT_FALSE(Utf8ToCp1252(text).has_value()) << text;
    }
}

}  // namespace
}  // namespace kolvaro
