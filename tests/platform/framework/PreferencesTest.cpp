#include <gtest/gtest.h>

#include "platform/framework/Preferences.h"

TEST(Preferences, ValuesAndTheRecentListPersist) {
  ASSERT_TRUE(Preferences::SetValue("settings", "dir", "/work/shots/"));
  EXPECT_EQ(Preferences::GetValue("settings", "dir", ""), "/work/shots/");
  EXPECT_EQ(Preferences::GetValue("settings", "other", "none"), "none");

  for (const char* p : {"a.fvz", "b.fvz", "c.fvz", "d.fvz", "e.fvz", "b.fvz"}) {
    ASSERT_TRUE(Preferences::AddRecentFile(p));
  }
  // Newest first, no duplicates, four at most.
  EXPECT_EQ(Preferences::GetRecentFiles(), (std::vector<std::string>{"b.fvz", "e.fvz", "d.fvz", "c.fvz"}));
  // Other values survive the list's updates.
  EXPECT_EQ(Preferences::GetValue("settings", "dir", ""), "/work/shots/");
}
