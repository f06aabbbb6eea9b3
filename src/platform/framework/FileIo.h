#pragma once
// Finding files: frames of a sequence and their companion files.

#include <functional>
#include <string>
#include <vector>

namespace CFileIo {

// While a scope lives, each folder is listed once and each search of a folder is answered
// from one index: a sequence of thousands of frames is matched in a single pass instead of
// one listing per frame. An operation that only reads folders (finding a new project's
// frames, checking a reopened project's files) opens one; the cache ends with the outermost
// scope. Scopes belong to one thread, the user-interface thread.
class ListingScope {
 public:
  ListingScope();
  ~ListingScope();
  ListingScope(const ListingScope&) = delete;
  ListingScope& operator=(const ListingScope&) = delete;
};

// The existing file in folder whose name is root + number + extension, where the number
// may be written with any count of leading zeros ("shot" 12 ".qel" finds shot12.qel,
// shot0012.qel or shot00012.qel; an exact width of the digits is preferred). A number of -1
// looks for root + extension alone. Returns the complete path, or "" when there is none.
// The extension compares without regard to case.
std::string FindMatchingFile(const std::string& folder, const std::string& root,
                             const std::string& extension, int number);

// The sequence listing of a chosen file: every file in its folder with the same root, the
// same extension and frame digits (the chosen one included), sorted by frame number, names
// without folder. A file without digits lists itself alone. The filter receives complete
// paths and keeps a file when it answers true. Returns false when the folder cannot be read.
bool GetFileList(const std::string& chosenFile, const std::function<bool(const std::string&)>& keep,
                 std::vector<std::string>& names);

}  // namespace CFileIo
