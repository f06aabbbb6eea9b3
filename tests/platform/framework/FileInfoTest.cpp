#include <gtest/gtest.h>

#include "platform/framework/FileInfo.h"

TEST(FileInfo, SplitsFolderNameAndLastExtension) {
  const CFileInfo info("/renders/seq/shot0012.z.tga");
  EXPECT_EQ(info.GetPath(), "/renders/seq/");
  EXPECT_EQ(info.GetCompleteName(), "shot0012.z.tga");
  EXPECT_EQ(info.GetNameWithoutExt(), "shot0012.z");
  EXPECT_EQ(info.GetExtension(), ".tga");

  const CFileInfo bare("shot");
  EXPECT_EQ(bare.GetPath(), "");
  EXPECT_EQ(bare.GetExtension(), "");
  EXPECT_EQ(bare.GetNameWithoutExt(), "shot");

  // A dot in a folder name is not an extension, nor is a leading dot.
  const CFileInfo dottedFolder("/v1.2/shot0001");
  EXPECT_EQ(dottedFolder.GetExtension(), "");
  EXPECT_EQ(dottedFolder.GetNameWithoutExt(), "shot0001");
  EXPECT_EQ(CFileInfo("/a/.hidden").GetNameWithoutExt(), ".hidden");
  EXPECT_EQ(CFileInfo("/a/.hidden").GetExtension(), "");
  EXPECT_EQ(CFileInfo("/a/").GetCompleteName(), "");
}

struct DigitCase {
  const char* path;
  const char* root;
  int number;
  int width;
};

TEST(FileInfo, DigitInfoFindsTheLastRunOfDigits) {
  const DigitCase cases[] = {
      {"/r/shot0012.tga", "shot", 12, 4},
      {"/r/shot_0012.tga", "shot_", 12, 4},
      {"shot12.rla", "shot", 12, 2},
      {"v2_shot0012.qel", "v2_shot", 12, 4},  // the last run is the frame
      {"0012.tga", "", 12, 4},
      {"shot_0000.tga", "shot_", 0, 4},
      {"shot_0012_final.tga", "shot__final", 12, 4},
      {"shot0012.z.tga", "shot.z", 12, 4},  // a depth picture beside its image
      {"shot.tga", "shot", -1, 0},
      {"shot", "shot", -1, 0},
      {"shot.0012", "shot", -1, 0},  // digits of the extension are no frame
      {"shot_000000000000012.tga", "shot_", 12, 15},  // leading zeros only pad
      {"shot_2147483647.tga", "shot_", 2147483647, 10},
      // Too large for a frame number (a date stamp): the name has no number, no overflow.
      {"shot_20240101123456.tga", "shot_20240101123456", -1, 0},
      {"shot_2147483648.tga", "shot_2147483648", -1, 0},
  };
  for (const DigitCase& c : cases) {
    for (int mode : {0, 1}) {
      SCOPED_TRACE(std::string(c.path) + " mode " + std::to_string(mode));
      int number = 99;
      int width = 99;
      EXPECT_EQ(CFileInfo(c.path).GetDigitInfo(number, width, mode), c.root);
      EXPECT_EQ(number, c.number);
      EXPECT_EQ(width, c.width);
    }
  }
}

TEST(FileInfo, FrameDigitsTellWhetherTheyCloseTheName) {
  EXPECT_TRUE(AnalyseFrameDigits("shot0012").atEnd);
  EXPECT_FALSE(AnalyseFrameDigits("shot0012.z").atEnd);
  EXPECT_FALSE(AnalyseFrameDigits("shot").atEnd);
}
