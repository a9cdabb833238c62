#include "common/info_format.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace zor {
namespace {

// Written by Windows: CR LF, the platform's own spacing, comments and the rest of what turns up.
constexpr char kAwkward[] =
    "; written by hand\r\n"
    "orphan=before any section\r\n"
    "\r\n"
    "[Main]\r\n"
    "  Build = B10.1022.1  \r\n"
    "\r\n"
    "[VALUE]\r\n"
    "Cmd=1\r\n"
    "SaveTime=86399.900000\r\n"
    "Total\t=\t0.000001\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Quoted=\"a b\"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "Total=999\r\n"
    "[setting]\r\n"
    "Adv=01\r\n"
    "[Value]\r\n"
    "Phase=4\r\n"
    "[ Spaced ]\r\n"
    "k=inside spaced\r\n"
    "[Broken\r\n"
    "[Tail]\r\n"
    "Last=no newline";

TEST(ProfileFormat, ReadsAsTheProfileFunctions) {
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"Main", "Build", "B10.1022.1"},
      {"MAIN", "build", "B10.1022.1"},
      {" Main ", " Build ", "B10.1022.1"},
      {"VALUE", "cmd", "1"},
      {"value", "savetime", "86399.900000"},
      {"VALUE", "Total", "0.000001"},  // the first of a repeated key wins
      {"VALUE", "Empty", ""},
      {"VALUE", "NoEquals", std::nullopt},
      {"VALUE", "Quoted", "\"a b\""},  // quotes are the reader's business
      {"VALUE", "Phase", std::nullopt},  // only the first section of a name counts
      {"SETTING", "Adv", "01"},
      {"Spaced", "k", "inside spaced"},  // blanks inside the brackets do not count
      {" Spaced ", "k", "inside spaced"},
      {"Tail", "Last", "no newline"},
      {"", "orphan", "before any section"},
      {"Main", "orphan", std::nullopt},
      {"Missing", "Build", std::nullopt},
      {"VALUE", "", std::nullopt},
      {"VALUE", "Missing", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    const auto value = FindProfileValue(kAwkward, c.section, c.key);
    ASSERT_EQ(value.has_value(), c.expected.has_value());
    if (value) {
      EXPECT_EQ(*value, *c.expected);
    }
  }
}

TEST(ProfileFormat, LineBreaksOfEveryKind) {
  EXPECT_EQ(FindProfileValue("[A]\nk=lf\n", "A", "k"), "lf");
  EXPECT_EQ(FindProfileValue("[A]\rk=cr\r", "A", "k"), "cr");
  EXPECT_EQ(FindProfileValue("\xEF\xBB\xBF[A]\r\nk=v\r\n", "A", "k"), "v");
  EXPECT_EQ(FindProfileValue("[A]\r\nk=v\x1a", "A", "k"), "v");  // ^Z counts as a blank
  EXPECT_EQ(FindProfileValue(std::string("[A]\nk=ab\0cd\n", 12), "A", "k"), "ab");
  // A lone CR ends its line even where the other lines end in CR LF or LF.
  constexpr char kMixed[] = "[A]\r\nk=v\rj=w\r\nl=x\n[B]\rm=y\r\n";
  EXPECT_EQ(FindProfileValue(kMixed, "A", "k"), "v");
  EXPECT_EQ(FindProfileValue(kMixed, "A", "j"), "w");
  EXPECT_EQ(FindProfileValue(kMixed, "A", "l"), "x");
  EXPECT_EQ(FindProfileValue(kMixed, "B", "m"), "y");
  EXPECT_EQ(SetProfileValue(kMixed, "A", "k", "1"), "[A]\r\nk=1\rj=w\r\nl=x\n[B]\rm=y\r\n");
  EXPECT_EQ(SetProfileValue(kMixed, "A", "new", "2"), "[A]\r\nk=v\rj=w\r\nl=x\nnew=2\r\n[B]\rm=y\r\n");
}

// Notepad's "Unicode": UTF-16 with a byte-order mark, read as text and written back the same way.
TEST(ProfileFormat, Utf16FilesRoundTrip) {
  std::string le;
  const int units[] = {0xFEFF, '[', 'A', ']', '\r', '\n', 'k', '=', 'v', 0xE9, 0xD83D, 0xDE00, 0xD800};
  for (int unit : units) {
    le += static_cast<char>(unit & 0xFF);
    le += static_cast<char>(unit >> 8);
  }
  TextEncoding encoding = TextEncoding::kBytes;
  const std::string text = DecodeProfileFile(le, encoding);
  EXPECT_EQ(encoding, TextEncoding::kUtf16Le);
  // e-acute, a surrogate pair, and a lone surrogate at the end, each kept.
  EXPECT_EQ(text, "[A]\r\nk=v\xC3\xA9\xF0\x9F\x98\x80\xED\xA0\x80");
  EXPECT_EQ(FindProfileValue(text, "A", "k"), "v\xC3\xA9\xF0\x9F\x98\x80\xED\xA0\x80");
  EXPECT_EQ(EncodeProfileFile(text, encoding), le);

  const std::string be("\xFE\xFF\0k\0=\0""1", 8);
  EXPECT_EQ(DecodeProfileFile(be, encoding), "k=1");
  EXPECT_EQ(encoding, TextEncoding::kUtf16Be);
  EXPECT_EQ(EncodeProfileFile("k=1", encoding), be);

  // UTF-8 with its mark, and bytes, stand as they are; a byte outside UTF-8 is written as its own
  // character.
  EXPECT_EQ(DecodeProfileFile("\xEF\xBB\xBF[A]\r\n", encoding), "\xEF\xBB\xBF[A]\r\n");
  EXPECT_EQ(encoding, TextEncoding::kUtf8);
  EXPECT_EQ(DecodeProfileFile("[A]\r\n", encoding), "[A]\r\n");
  EXPECT_EQ(encoding, TextEncoding::kBytes);
  EXPECT_EQ(EncodeProfileFile("\xE9", TextEncoding::kUtf16Le), std::string("\xFF\xFE\xE9\0", 4));
  // An odd last byte is no character, but is written back.
  std::string odd;
  EXPECT_EQ(DecodeProfileFile(std::string("\xFF\xFEk\0=", 5), encoding, &odd), "k");
  EXPECT_EQ(EncodeProfileFile("k", encoding, odd), std::string("\xFF\xFEk\0=", 5));
}

TEST(ProfileFormat, CutsQuotesAndCapacity) {
  struct Case {
    const char* raw;
    size_t capacity;
    const char* expected;
  };
  const Case cases[] = {
      {"86399.900000", 255, "86399.900000"},
      {"86399.900000", 6, "86399"},
      {"abc", 0, ""},
      {"abc", 1, ""},
      {"abc", 3, "ab"},
      {"abc", 4, "abc"},
      {"\"a b\"", 255, "a b"},
      {"'x'", 255, "x"},
      {"\"\"", 255, ""},
      {"\"", 255, "\""},
      {"\"mixed'", 255, "\"mixed'"},
      {"\"abcdef\"", 4, "abc"},
      {"\"abcdef\"", 7, "abcdef"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.raw) + " capacity " + std::to_string(c.capacity));
    EXPECT_EQ(CutProfileValue(c.raw, c.capacity), c.expected);
  }
}

TEST(ProfileFormat, ReplacesInPlaceKeepingEveryOtherByte) {
  const std::string file = "; note\r\n[VALUE]\r\n  Cmd = 1  \r\nTotal=5\r\n\r\n[TIME]\r\nYEAR=2009\r\n";
  EXPECT_EQ(SetProfileValue(file, "value", "cmd", "0"),
            "; note\r\n[VALUE]\r\n  Cmd=0  \r\nTotal=5\r\n\r\n[TIME]\r\nYEAR=2009\r\n");
  EXPECT_EQ(SetProfileValue("[A]\nk=1\nj=2\n", "A", "k", "  7"), "[A]\nk=7\nj=2\n");
  EXPECT_EQ(SetProfileValue("[A]\r\nflag\r\n", "A", "FLAG", "1"), "[A]\r\nflag=1\r\n");
  // Only the first of a repeated key changes, the one reads find.
  EXPECT_EQ(SetProfileValue("[A]\r\nk=1\r\nk=2\r\n", "A", "k", "3"), "[A]\r\nk=3\r\nk=2\r\n");
}

TEST(ProfileFormat, AddsKeysSectionsAndFiles) {
  struct Case {
    const char* before;
    const char* after;
  };
  // Each case writes [VALUE] Cmd=1.
  const Case cases[] = {
      {"", "[VALUE]\r\nCmd=1\r\n"},
      {"[Main]\r\nBuild=x\r\n", "[Main]\r\nBuild=x\r\n[VALUE]\r\nCmd=1\r\n"},
      {"[Main]\r\nBuild=x", "[Main]\r\nBuild=x\r\n[VALUE]\r\nCmd=1\r\n"},
      {"[VALUE]\r\nTotal=1\r\n\r\n[TIME]\r\n", "[VALUE]\r\nTotal=1\r\nCmd=1\r\n\r\n[TIME]\r\n"},
      {"[VALUE]\r\n\r\n[TIME]\r\n", "[VALUE]\r\nCmd=1\r\n\r\n[TIME]\r\n"},
      {"[value]\r\nTotal=1", "[value]\r\nTotal=1\r\nCmd=1\r\n"},
      {"[VALUE]\r\nx=1\r\n[VALUE]\r\ny=2\r\n", "[VALUE]\r\nx=1\r\nCmd=1\r\n[VALUE]\r\ny=2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    const std::string after = SetProfileValue(c.before, "VALUE", "Cmd", "1");
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(FindProfileValue(after, "VALUE", "cmd"), "1");
  }
}

TEST(ProfileFormat, AddedLinesKeepTheFileReadable) {
  // A file of lone CRs gets lone CRs: one LF would join all the lines before it into one.
  const std::string crOnly = SetProfileValue("[Main]\rBuild=x\r", "VALUE", "Cmd", "1");
  EXPECT_EQ(crOnly, "[Main]\rBuild=x\r[VALUE]\rCmd=1\r");
  const std::string again = SetProfileValue(crOnly, "Main", "Other", "2");
  EXPECT_EQ(again, "[Main]\rBuild=x\rOther=2\r[VALUE]\rCmd=1\r");
  EXPECT_EQ(FindProfileValue(again, "Main", "Build"), "x");
  EXPECT_EQ(FindProfileValue(again, "VALUE", "Cmd"), "1");
  // Lone CRs after the last LF end lines only while no LF follows them.
  const std::string tail = SetProfileValue("a=1\n[S]\rk=2", "VALUE", "Cmd", "1");
  EXPECT_EQ(tail, "a=1\n[S]\rk=2\r[VALUE]\rCmd=1\r");
  EXPECT_EQ(FindProfileValue(tail, "S", "k"), "2");
  // Keys before the first header go after a byte-order mark, never in front of it.
  EXPECT_EQ(SetProfileValue("\xEF\xBB\xBF[Main]\r\n", "", "orphan", "1"), "\xEF\xBB\xBForphan=1\r\n[Main]\r\n");
  EXPECT_EQ(SetProfileValue("\xEF\xBB\xBF", "Main", "Build", "x"), "\xEF\xBB\xBF[Main]\r\nBuild=x\r\n");
}

TEST(ProfileFormat, RefusesEntriesThatWouldChangeOtherLines) {
  EXPECT_TRUE(IsWritableEntry("VALUE", "Cmd", "1"));
  EXPECT_TRUE(IsWritableEntry("VALUE", "Cmd", ""));
  EXPECT_TRUE(IsWritableEntry("VALUE", "Cmd", "a=b [c]"));
  EXPECT_FALSE(IsWritableEntry("VALUE", "Cmd", "1\r\n[Main]"));
  EXPECT_FALSE(IsWritableEntry("VALUE", "a=b", "1"));
  EXPECT_FALSE(IsWritableEntry("VALUE", "[Main]", "1"));
  EXPECT_FALSE(IsWritableEntry("VA]LUE", "Cmd", "1"));
  EXPECT_FALSE(IsWritableEntry("VALUE", " ", "1"));
  EXPECT_TRUE(IsWritableEntry("", "Cmd", "1"));  // the lines before the first header
  EXPECT_FALSE(IsWritableEntry("VALUE", std::string_view("C\0d", 3), "1"));
}

}  // namespace
}  // namespace zor
