#include <gtest/gtest.h>

#include <filesystem>

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "platform/framework/Preferences.h"
#include "tools/RenderOptions.h"

TEST(RenderOptions, RemembersTheChoiceAndKeepsFramesInsideTheAnimation) {
  // What an earlier run remembered is not fresh.
  std::filesystem::remove(Preferences::FilePath());
  RenderOptions fresh(10);
  // Nothing remembered yet: the current frame, and a range over the whole animation.
  EXPECT_EQ(fresh.GetMode(), RenderRangeMode::Current);
  EXPECT_EQ(fresh.GetFirst(), 0);
  EXPECT_EQ(fresh.GetLast(), 9);
  EXPECT_FALSE(fresh.RangeEnabled());

  fresh.SetMode(RenderRangeMode::Range);
  EXPECT_TRUE(fresh.RangeEnabled());
  fresh.SetFirst(7);
  fresh.SetLast(3);
  EXPECT_EQ(fresh.GetFramesNumber(), 5);  // range 7 to 3
  fresh.SetLast(42);
  EXPECT_EQ(fresh.GetLast(), 9);
  ASSERT_TRUE(fresh.Store());

  RenderOptions again(10);
  EXPECT_EQ(again.GetMode(), RenderRangeMode::Range);
  EXPECT_EQ(again.GetFirst(), 7);
  EXPECT_EQ(again.GetLast(), 9);
  RenderRangeChoice choice = again.GetChoice();
  EXPECT_EQ(choice.mode, RenderRangeMode::Range);
  EXPECT_EQ(choice.first, 7);

  // A shorter animation clips the remembered frames.
  RenderOptions shorter(4);
  EXPECT_EQ(shorter.GetFirst(), 3);
  EXPECT_EQ(shorter.GetLast(), 3);
}

TEST(RenderOptions, RemembersFramesBeyondAnIntAsTheLastFrame) {
  CCustomData record;
  record.SetUInt(FourCC("FFRM"), 3000000000u);
  record.SetUInt(FourCC("FLST"), 4294967295u);
  record.SetUInt(FourCC("RNDM"), 4);
  ASSERT_TRUE(record.SaveToPrefs(FourCC("FOVD"), FourCC("RDRO")));
  RenderOptions options(10);
  EXPECT_EQ(options.GetFirst(), 9);
  EXPECT_EQ(options.GetLast(), 9);
  EXPECT_EQ(options.GetFramesNumber(), 1);
}
