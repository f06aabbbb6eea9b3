#include "FuzzEntries.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "FuzzSeeds.h"
#include "animation/KeyframeTrack.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "platform/image/ImageIo.h"
#include "platform/image/ZpicFormat.h"
#include "tools/ProjectSession.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kImageExtensions[] = {"tga", "png", "tif", "jpg", "bmp", "exr",
                                            "rla", "rpf", "hdr", "qel", "zpic"};

std::string MakeWorkspace() {
  std::string pattern = (fs::temp_directory_path() / "fovara-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("fovara fuzz: cannot create a workspace");
    std::abort();
  }
  std::string folder = pattern + "/";
  // Preferences (the recent-file list) stay inside the workspace.
  setenv("FOVARA_CONFIG_HOME", (folder + "config").c_str(), 1);
  std::string error;
  if (!WriteFuzzScene(folder, error)) {
    std::fprintf(stderr, "fovara fuzz: %s\n", error.c_str());
    std::abort();
  }
  return folder;
}

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  std::string path = FuzzWorkspace() + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  return path;
}

// Reads a record or throws; writing it again must give bytes that read back to themselves.
template <typename Readable>
void CheckRoundTrip(Readable& read) {
  CArchive first;
  read.Serialize(first);
  CArchive again(first.GetBytes());
  Readable copy;
  copy.Serialize(again);
  CArchive second;
  copy.Serialize(second);
  if (first.GetBytes() != second.GetBytes()) std::abort();
}

void AskEveryType(const CCustomData& record) {
  for (const CCustomData::Entry& entry : record.Entries()) {
    (void)record.GetInt(entry.key, 0);
    (void)record.GetUInt(entry.key, 0);
    (void)record.GetULong(entry.key, 0);
    (void)record.GetFloat(entry.key, 0);
    (void)record.GetDouble(entry.key, 0);
    (void)record.GetString(entry.key, "");
    (void)record.GetStringArray(entry.key, {});
  }
}

// Settings at each keyframe, between them and far beyond both ends.
void InterpolateEverywhere(const KeyframeTrack& track) {
  if (track.GetCount() == 0) return;
  for (int i = 0; i < track.GetCount(); ++i) {
    auto out = track.GetAt(i)->Clone();
    int frame = track.GetAt(i)->GetFrameNumber();
    for (int probe : {frame, frame / 2 + 1, INT32_MAX, INT32_MIN, 0}) track.GetSettingsAt(*out, probe, nullptr, nullptr);
  }
}

}  // namespace

const std::string& FuzzWorkspace() {
  static const std::string folder = MakeWorkspace();
  return folder;
}

bool FuzzProjectFile(const uint8_t* data, size_t size) {
  std::string path = WriteInput("input.fvz", data, size);
  ScriptedUserInterface ui;
  ProjectSession session(ui);
  return session.Document().OnOpenDocument(path);
}

bool FuzzSettingsRecord(const uint8_t* data, size_t size) {
  CArchive archive(std::vector<uint8_t>(data, data + size));
  CCustomData record;
  try {
    record.Serialize(archive);
  } catch (const ArchiveError&) {
    return false;
  }
  AskEveryType(record);
  CheckRoundTrip(record);
  if (archive.Remaining() == 0) return true;
  KeyframeTrack track;
  try {
    track.Serialize(archive);
  } catch (const ArchiveError&) {
    return false;
  }
  InterpolateEverywhere(track);
  CheckRoundTrip(track);
  return true;
}

bool FuzzZpicFile(const uint8_t* data, size_t size) {
  std::string path = WriteInput("input.zpic", data, size);
  std::string error;
  ZpicHeader header;
  bool headerRead = ReadZpicHeader(path, header, error);
  auto depth = ReadZpic(path, error);
  if (depth && !headerRead) std::abort();  // the reader took what its header check refused
  return depth != nullptr;
}

bool FuzzImageFile(const uint8_t* data, size_t size) {
  if (size == 0) return false;
  std::string path = WriteInput(std::string("input.") + FuzzImageExtension(data[0] % FuzzImageExtensionCount()),
                                data + 1, size - 1);
  (void)rlaIO::HasChannels(path, kDepthBitmap);
  C2DIo reader(path, kIoWithDepth);
  if (!reader.PrepareReading()) return false;
  reader.SetNeededBitmapSize(reader.GetFileWidth(), reader.GetFileHeight());
  auto image = reader.Read();
  return image != nullptr;
}

size_t FuzzImageExtensionCount() { return std::size(kImageExtensions); }
const char* FuzzImageExtension(size_t index) { return kImageExtensions[index]; }
