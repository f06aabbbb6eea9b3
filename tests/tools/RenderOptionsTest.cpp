#include <gtest/gtest.h>

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "tools/RenderOptions.h"

TEST(RenderOptions, RemembersTheChoiceAndKeepsFramesInsideTheAnimation) {
  // Nothing remembered from an earlier run of the tests.
  ASSERT_TRUE(CCustomData().SaveToPrefs(FourCC("FOVD"), FourCC("RDRO")));
  RenderOptions fresh(10);
  // Nothing remembered yet: the current frame, and a range over the whole animation.
  EXPECT_EQ(fresh.GetMode(), RenderOptions::kCurrentFrame);
  EXPECT_EQ(fresh.GetFirst(), 0);
  EXPECT_EQ(fresh.GetLast(), 9);
  EXPECT_FALSE(fresh.RangeEnabled());

  fresh.SetMode(RenderOptions::kRange);
  EXPECT_TRUE(fresh.RangeEnabled());
  fresh.SetFirst(7);
  fresh.SetLast(3);
  EXPECT_EQ(fresh.GetFramesNumber(), 5);  // range 7 to 3
  fresh.SetLast(42);
  EXPECT_EQ(fresh.GetLast(), 9);
  ASSERT_TRUE(fresh.Store());

  RenderOptions again(10);
  EXPECT_EQ(again.GetMode(), RenderOptions::kRange);
  EXPECT_EQ(again.GetFirst(), 7);
  EXPECT_EQ(again.GetLast(), 9);
  RenderRangeChoice choice = again.GetChoice();
  EXPECT_EQ(choice.mode, 4);
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
