#pragma once
// Small file helpers: existence, classes by extension, path splitting and relative folders.
// Folders are held with a trailing separator.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/framework/FourCC.h"

constexpr uint32_t kClassAllFiles = FourCC("ALLF");  // every readable picture or depth file
constexpr uint32_t kClassRla = FourCC("RLA ");       // .rla, .rpf
constexpr uint32_t kClassQel = FourCC("ZFIL");       // .qel, the program's layered image file
constexpr uint32_t kClassZpic = FourCC("ZPIC");      // .zpic, raw depth buffer
constexpr uint32_t kClassExr = FourCC("EXR ");       // .exr
constexpr uint32_t kClassPicture = FourCC("PICT");   // every other picture the image library reads
constexpr uint32_t kClassProject = FourCC("FVZP");   // .fvz
constexpr uint32_t kClassUnknown = 0;

bool fileExists(const std::string& path);
// The class of a file by its extension (case ignored).
uint32_t fileGetClass(const std::string& path);
// Extensions of a class, with their dots, main one first.
std::vector<std::string> fileGetExtensionArray(uint32_t fileClass);
std::string fileGetMainExtension(uint32_t fileClass);
// Name without folder.
std::string fileStripPath(const std::string& path);
// Folder with its trailing separator ("" when none).
std::string fileStripName(const std::string& path);
// folder made relative to base (both folders); the result ends with a separator, "" when
// equal. A folder that is already relative, or on no common root, is returned unchanged.
std::string fileMakeRelativePath(const std::string& folder, const std::string& base);
// The folder of the running program, with its trailing separator.
std::string GetApplicationPath();
bool PathIsRelative(const std::string& path);
// A path made complete against the process's current folder, "." and ".." steps removed;
// a complete path and "" are returned as they are.
std::string fileMakeAbsolute(const std::string& path);
// Removes "." and ".." steps and doubled separators, by the text alone (links are not
// followed); a trailing separator is kept. Returns "" when the path climbs above its root
// (for a relative path, above its start), so that callers can fall back to what they had.
std::string PathCanonicalize(const std::string& path);
// Appends the trailing separator when missing (and leaves "" as it is).
std::string WithTrailingSeparator(const std::string& folder);

// How a replaced file reaches the disk. The program uses this one; tests watch the order of
// the flushes through their own.
class FileSync {
 public:
  virtual ~FileSync() = default;
  // Flushes a file's data, or a folder's entries, to disk; false when that could not be done.
  virtual bool Flush(const std::string& path, bool isFolder) const;
};

// Puts a completely written temporary file in place of target: its data is flushed to disk
// first, it takes the permissions of the file it replaces, and the rename is made durable.
// Returns "" on success, else the reason; the temporary file is then left for the caller.
std::string ReplaceFileWith(const std::string& temporary, const std::string& target,
                            const FileSync& sync = FileSync());
