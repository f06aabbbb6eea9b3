#include <gtest/gtest.h>

#include <regex>

#include "platform/framework/StringTable.h"

namespace {

// The printf conversions of a text, in order: a translation must keep them.
std::string Conversions(const std::string& text) {
  static const std::regex conversion("%[-+ #0-9.]*[sdifguxc]");
  std::string out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion); it != std::sregex_iterator(); ++it) {
    out += it->str();
  }
  return out;
}

const int kKnownIds[] = {2141, 2142, 2143, 2144, 2155, 2157, 2161, 2163, 2165, 2168, 2171, 2189,
                         2191, 2193, 2201, 41001, 57344};

}  // namespace

TEST(StringTable, EveryEnglishTextHasAFrenchOneWithTheSameConversions) {
  for (int id = 0; id < 70000; ++id) {
    if (!HasString(id, Language::English)) continue;
    std::string english = LoadString(Language::English, id);
    ASSERT_TRUE(HasString(id, Language::French)) << id;
    std::string french = LoadString(Language::French, id);
    EXPECT_EQ(Conversions(english), Conversions(french)) << id;
  }
  for (int id : kKnownIds) EXPECT_TRUE(HasString(id, Language::English)) << id;
}

TEST(StringTable, LanguageSwitchesAndFormatting) {
  EXPECT_EQ(LoadString(Language::English, 2155), "Depth of field");
  EXPECT_EQ(FormatString(Language::English, 2171, "Z Hue", 3, 10), "Render filter \"Z Hue\"\n(image 3 / 10)");
  EXPECT_EQ(FormatString(Language::English, 2193, "shot.tga"), "shot.tga image does not contain RGB information.");
  EXPECT_EQ(LoadString(Language::French, 2155), "Profondeur de champ");
  EXPECT_EQ(LoadString(Language::English, 123456), "");
}

TEST(StringTable, CommandLineSwitchesIgnoreCaseAndTheLastOneWins) {
  const char* both[] = {"fovara", "-FR", "project.fvz", "-Us"};
  EXPECT_EQ(LanguageFromArguments(4, both), Language::English);
  const char* french[] = {"fovara", "-us", "-fR"};
  EXPECT_EQ(LanguageFromArguments(3, french), Language::French);
  setenv("LANG", "fr_FR.UTF-8", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  const char* none[] = {"fovara"};
  EXPECT_EQ(LanguageFromArguments(1, none), Language::French);
  setenv("LANG", "C.UTF-8", 1);
  EXPECT_EQ(LanguageFromArguments(1, none), Language::English);
}

TEST(StringTable, NumbersAndSystemReasonsFollowTheLanguage) {
  EXPECT_EQ(FormatDecimal(Language::English, 2.5, 2), "2.50");
  EXPECT_EQ(LocalReason(Language::English, "cannot open /x/p.fvz: No such file or directory"),
            "cannot open /x/p.fvz: No such file or directory");
  EXPECT_EQ(FormatDecimal(Language::French, 2.5, 2), "2,50");
  EXPECT_EQ(FormatDecimal(Language::French, -1234.0, 0), "-1234");
  // A system reason is translated; any other English is left out of a French message.
  EXPECT_EQ(LocalReason(Language::French, "cannot create /ro/p.fvz.tmp12: Permission denied"), LoadString(Language::French, 64101));
  EXPECT_EQ(LocalReason(Language::French, "settings record expected"), "");
  EXPECT_EQ(AppendReason("Impossible.", LocalReason(Language::French, "4 bytes needed, 0 left")), "Impossible.");
}
