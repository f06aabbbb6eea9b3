#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "platform/framework/FileIo.h"
#include "support/TempFolder.h"

namespace {

void Touch(const TempFolder& folder, std::initializer_list<const char*> names) {
  for (const char* name : names) folder.Write(name, "x");
}

std::vector<std::string> List(const std::string& chosen,
                              const std::function<bool(const std::string&)>& keep = nullptr) {
  std::vector<std::string> names = {"stale entry"};
  EXPECT_TRUE(CFileIo::GetFileList(chosen, keep, names));
  return names;
}

}  // namespace

TEST(FindMatchingFile, MatchesTheNumberWhateverItsPadding) {
  TempFolder folder;
  Touch(folder, {"shot0012.qel", "shot7.qel", "shot00100.qel", "shot0012.rla", "shotB0013.qel",
                 "take0013.qel", "shot.qel"});
  const std::string& f = folder.Path();
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 12), f + "shot0012.qel");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".rla", 12), f + "shot0012.rla");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 7), f + "shot7.qel");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 100), f + "shot00100.qel");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", -1), f + "shot.qel");
  // Another root or another number is no match, even when one is a prefix of the other.
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 13), "");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 1), "");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".zpic", 12), "");
  EXPECT_EQ(CFileIo::FindMatchingFile(f + "missing/", "shot", ".qel", 12), "");
  // A folder given without its separator still gives a usable path.
  EXPECT_EQ(CFileIo::FindMatchingFile(f.substr(0, f.size() - 1), "shot", ".qel", 7), f + "shot7.qel");
}

TEST(FindMatchingFile, ExtensionCaseIsIgnoredButAnExactCaseWins) {
  TempFolder folder;
  Touch(folder, {"shot0005.QEL", "shot0006.qel", "shot0006.QEL"});
  const std::string& f = folder.Path();
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 5), f + "shot0005.QEL");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".qel", 6), f + "shot0006.qel");
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "shot", ".QEL", 6), f + "shot0006.QEL");
  // The root is a file name and keeps its case.
  EXPECT_EQ(CFileIo::FindMatchingFile(f, "SHOT", ".qel", 5), "");
}

TEST(FindMatchingFile, PrefersFourDigitsWhenSeveralPaddingsExist) {
  TempFolder folder;
  Touch(folder, {"shot12.qel", "shot00012.qel", "shot0012.qel", "shot012.qel"});
  EXPECT_EQ(CFileIo::FindMatchingFile(folder.Path(), "shot", ".qel", 12), folder.File("shot0012.qel"));
}

TEST(FindMatchingFile, FindsDepthPicturesWhoseDigitsPrecedeASecondDot) {
  // "shot0012.z.tga" analyses to root "shot.z", number 12, extension ".tga".
  TempFolder folder;
  Touch(folder, {"shot0011.z.tga", "shot0012.z.tga", "shot0012.tga"});
  EXPECT_EQ(CFileIo::FindMatchingFile(folder.Path(), "shot.z", ".tga", 12),
            folder.File("shot0012.z.tga"));
  EXPECT_EQ(CFileIo::FindMatchingFile(folder.Path(), "shot", ".tga", 12), folder.File("shot0012.tga"));
}

TEST(FindMatchingFile, FindsTheOneFrameAmongHundreds) {
  TempFolder folder;
  for (int i = 1; i <= 400; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "shot%04d.qel", i);
    folder.Write(name, "");
    std::snprintf(name, sizeof name, "shot%04d.tga", i);
    folder.Write(name, "");
  }
  EXPECT_EQ(CFileIo::FindMatchingFile(folder.Path(), "shot", ".qel", 237), folder.File("shot0237.qel"));
  EXPECT_EQ(CFileIo::FindMatchingFile(folder.Path(), "shot", ".qel", 401), "");
}

TEST(FindMatchingFile, IgnoresFolders) {
  TempFolder folder;
  std::filesystem::create_directory(folder.File("shot0003.qel"));
  EXPECT_EQ(CFileIo::FindMatchingFile(folder.Path(), "shot", ".qel", 3), "");
}

TEST(GetFileList, ListsTheSequenceInFrameOrder) {
  TempFolder folder;
  Touch(folder, {"shot10.tga", "shot9.tga", "shot100.TGA", "shot0011.tga", "shot.tga",
                 "shot10.rla", "take10.tga", "v2_shot12.tga", "shot10.z.tga"});
  // Same root and extension, with digits: numbers sort as numbers (9, 10, 11, 100).
  EXPECT_EQ(List(folder.File("shot10.tga")),
            (std::vector<std::string>{"shot9.tga", "shot10.tga", "shot0011.tga", "shot100.TGA"}));
  EXPECT_EQ(List(folder.File("shot10.z.tga")), (std::vector<std::string>{"shot10.z.tga"}));
}

TEST(GetFileList, TheFilterSeesCompletePathsAndDecides) {
  TempFolder folder;
  Touch(folder, {"shot0001.tga", "shot0002.tga", "shot0003.tga"});
  std::set<std::string> asked;
  const auto names = List(folder.File("shot0002.tga"), [&](const std::string& path) {
    asked.insert(path);
    return path != folder.File("shot0002.tga");
  });
  EXPECT_EQ(names, (std::vector<std::string>{"shot0001.tga", "shot0003.tga"}));  // the chosen one too
  EXPECT_EQ(asked, (std::set<std::string>{folder.File("shot0001.tga"), folder.File("shot0002.tga"),
                                          folder.File("shot0003.tga")}));
}

TEST(GetFileList, AFileWithoutDigitsListsItselfAlone) {
  TempFolder folder;
  Touch(folder, {"still.tga", "still1.tga"});
  EXPECT_EQ(List(folder.File("still.tga")), (std::vector<std::string>{"still.tga"}));
  EXPECT_TRUE(List(folder.File("still.tga"), [](const std::string&) { return false; }).empty());
}

TEST(GetFileList, FailsWhenTheFolderCannotBeRead) {
  TempFolder folder;
  const std::string file = folder.Write("plain.txt", "x");
  std::vector<std::string> names = {"stale"};
  EXPECT_FALSE(CFileIo::GetFileList(folder.File("missing/shot0001.tga"), nullptr, names));
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(CFileIo::GetFileList(file + "/shot0001.tga", nullptr, names));
}
