#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/framework/FileHelpers.h"
#include "support/TempFolder.h"

TEST(FileHelpers, ClassesFollowTheExtensionWhateverItsCase) {
  EXPECT_EQ(fileGetClass("/a/shot0001.rla"), kClassRla);
  EXPECT_EQ(fileGetClass("/a/shot0001.RPF"), kClassRla);
  EXPECT_EQ(fileGetClass("shot.qel"), kClassQel);
  EXPECT_EQ(fileGetClass("shot.zpic"), kClassZpic);
  EXPECT_EQ(fileGetClass("shot.Exr"), kClassExr);
  EXPECT_EQ(fileGetClass("job.fvz"), kClassProject);
  EXPECT_EQ(fileGetClass("shot0001.z.tga"), kClassPicture);
  EXPECT_EQ(fileGetClass("shot.TIF"), kClassPicture);
  EXPECT_EQ(fileGetClass("notes.txt"), kClassUnknown);
  EXPECT_EQ(fileGetClass("clip.mov"), kClassUnknown);
  EXPECT_EQ(fileGetClass("/a.rla/noext"), kClassUnknown);

  // Every extension of a class comes back to that class, and the lists do not overlap.
  for (uint32_t fileClass : {kClassRla, kClassQel, kClassZpic, kClassExr, kClassPicture, kClassProject})
    for (const std::string& extension : fileGetExtensionArray(fileClass))
      EXPECT_EQ(fileGetClass("x" + extension), fileClass) << extension;
}

TEST(FileHelpers, ExtensionListsPutTheMainOneFirst) {
  EXPECT_EQ(fileGetExtensionArray(kClassRla), (std::vector<std::string>{".rla", ".rpf"}));
  EXPECT_EQ(fileGetMainExtension(kClassQel), ".qel");
  EXPECT_EQ(fileGetMainExtension(kClassZpic), ".zpic");
  EXPECT_EQ(fileGetMainExtension(kClassUnknown), "");
  const auto all = fileGetExtensionArray(kClassAllFiles);
  for (const char* extension : {".rla", ".rpf", ".qel", ".zpic", ".exr", ".tga", ".png", ".tif", ".jpg", ".psd"})
    EXPECT_NE(std::find(all.begin(), all.end(), extension), all.end()) << extension;
  EXPECT_EQ(std::find(all.begin(), all.end(), ".fvz"), all.end());
}

TEST(FileHelpers, ExistsOnlyForRegularFiles) {
  TempFolder folder;
  const std::string file = folder.Write("a.tga", "x");
  std::filesystem::create_directory(folder.File("dir.tga"));
  EXPECT_TRUE(fileExists(file));
  EXPECT_FALSE(fileExists(folder.File("dir.tga")));
  EXPECT_FALSE(fileExists(folder.File("b.tga")));
  EXPECT_FALSE(fileExists(""));
}

TEST(FileHelpers, SplitsPathsAndFindsTheProgramFolder) {
  EXPECT_EQ(fileStripPath("/a/b/shot.tga"), "shot.tga");
  EXPECT_EQ(fileStripName("/a/b/shot.tga"), "/a/b/");
  EXPECT_EQ(fileStripName("shot.tga"), "");
  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_TRUE(PathIsRelative("images/"));
  EXPECT_TRUE(PathIsRelative("../images/"));
  EXPECT_FALSE(PathIsRelative("/images/"));

  const std::string program = GetApplicationPath();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(program));
}

TEST(FileHelpers, CanonicalisesByTheTextAlone) {
  EXPECT_EQ(PathCanonicalize("/a/b/../c/./d//"), "/a/c/d/");
  EXPECT_EQ(PathCanonicalize("/a//b"), "/a/b");
  EXPECT_EQ(PathCanonicalize("/a/b/.."), "/a/");
  EXPECT_EQ(PathCanonicalize("/a/.."), "/");
  EXPECT_EQ(PathCanonicalize("/"), "/");
  EXPECT_EQ(PathCanonicalize("a/./b/../c/"), "a/c/");
  // Climbing above the root cannot be made canonical.
  EXPECT_EQ(PathCanonicalize("/.."), "");
  EXPECT_EQ(PathCanonicalize("/a/../../b/"), "");
  EXPECT_EQ(PathCanonicalize("../b/"), "");
  EXPECT_EQ(PathCanonicalize(""), "");
}

TEST(FileHelpers, RelativeFoldersLeadBackToTheFolder) {
  struct Case {
    const char* folder;
    const char* base;
    const char* relative;
  };
  const Case cases[] = {
      {"/job/images/", "/job/project/", "../images/"},
      {"/job/images/seq/", "/job/", "images/seq/"},
      {"/job/", "/job/project/deep/", "../../"},
      {"/job/", "/job/", ""},
      {"/data/x/", "/job/project/", "../../data/x/"},
      {"/job/images", "/job/project", "../images/"},  // folders given without their separator
      {"/job//images/./", "/job/project/", "../images/"},
      {"/jobs/images/", "/job/", "../jobs/images/"},  // a common prefix of text is no common folder
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + " from " + c.base);
    const std::string relative = fileMakeRelativePath(c.folder, c.base);
    EXPECT_EQ(relative, c.relative);
    EXPECT_EQ(PathCanonicalize(WithTrailingSeparator(c.base) + relative),
              PathCanonicalize(WithTrailingSeparator(c.folder)));
  }
  // A relative folder is already relative to something and stays as it is.
  EXPECT_EQ(fileMakeRelativePath("images/", "/job/"), "images/");
  EXPECT_EQ(fileMakeRelativePath("/job/images/", "project/"), "/job/images/");
}

namespace {

// Records what is flushed, and what the folder looks like at that moment, then flushes for real.
class WatchedSync : public FileSync {
 public:
  struct Flushed {
    std::string path;
    bool isFolder;
    bool targetHeldNewBytes;  // whether the target already had the new content
    uintmax_t temporaryBytes;  // the temporary file's size then; 0 when it was gone
  };

  WatchedSync(std::string temporary, std::string target) : temporary_(std::move(temporary)), target_(std::move(target)) {}

  bool Flush(const std::string& path, bool isFolder) const override {
    std::error_code ec;
    uintmax_t size = std::filesystem::file_size(temporary_, ec);
    std::ifstream target(target_);
    std::string content((std::istreambuf_iterator<char>(target)), {});
    flushed.push_back({path, isFolder, content == "new", ec ? 0 : size});
    return FileSync::Flush(path, isFolder);
  }

  mutable std::vector<Flushed> flushed;

 private:
  std::string temporary_;
  std::string target_;
};

}  // namespace

TEST(FileHelpers, AReplacedFileIsOnDiskBeforeItTakesTheNameAndTheNameAfter) {
  TempFolder dir;
  const std::string target = dir.Write("project.fvz", "old");
  const std::string temporary = dir.Write(".project.fvz.part", "new");
  WatchedSync sync(temporary, target);
  ASSERT_EQ(ReplaceFileWith(temporary, target, sync), "");

  ASSERT_EQ(sync.flushed.size(), 2u);
  // First the data, under its temporary name, whole, while the target is still the old file.
  EXPECT_EQ(sync.flushed[0].path, temporary);
  EXPECT_FALSE(sync.flushed[0].isFolder);
  EXPECT_EQ(sync.flushed[0].temporaryBytes, 3u);
  EXPECT_FALSE(sync.flushed[0].targetHeldNewBytes);
  // Then the folder, once the name is the new file's.
  EXPECT_EQ(sync.flushed[1].path + "/", dir.Path());
  EXPECT_TRUE(sync.flushed[1].isFolder);
  EXPECT_TRUE(sync.flushed[1].targetHeldNewBytes);
  EXPECT_FALSE(std::filesystem::exists(temporary));

  // A flush that fails leaves the old file in place and the temporary one for the caller.
  struct FailingSync : FileSync {
    bool Flush(const std::string&, bool) const override { return false; }
  };
  const std::string second = dir.Write(".again.part", "newer");
  EXPECT_NE(ReplaceFileWith(second, target, FailingSync()).find("cannot flush"), std::string::npos);
  std::ifstream kept(target);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), "new");
  EXPECT_TRUE(std::filesystem::exists(second));
}
