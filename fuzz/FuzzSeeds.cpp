#include "FuzzSeeds.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzEntries.h"
#include "animation/KeyframeTrack.h"
#include "animation/FilterTypes.h"
#include "filters/DepthFilterCommand.h"
#include "filters/FilterRegistry.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "support/ScriptedUserInterface.h"
#include "platform/image/ImageIo.h"
#include "platform/image/ZpicFormat.h"
#include "tools/ProjectSession.h"
#include "support/GBufferRla.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 6;

std::unique_ptr<CLayerBitmap> SceneImage() {
  auto colour = std::make_unique<rgbBitmap>(kWidth, kHeight);
  auto depth = std::make_unique<depthBitmap>(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = colour->GetLine(y) + 3 * x;
      p[0] = uint8_t(30 * x);
      p[1] = uint8_t(40 * y);
      p[2] = 128;
      // A far background with a near square in the middle.
      depth->GetLine(y)[x] = (x > 2 && x < 6 && y > 1 && y < 5) ? 10.0f + float(x) : 100.0f;
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  return image;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (out) return true;
  error = "cannot write " + path;
  return false;
}

bool SaveImage(const CLayerBitmap& image, const std::string& path, std::string& error) {
  C2DIo writer(path, kIoSaving);
  if (!writer.PrepareSaving(image, 1) || !writer.Save(image, -1)) {
    error = writer.GetError().empty() ? "cannot write " + path : writer.GetError();
    return false;
  }
  return true;
}

// One project per filter, over the scene; the first one also keyframes frame 4.
bool WriteProjectSeeds(const std::string& scene, const std::string& out, std::string& error) {
  for (const FilterEntry& filter : RegisteredFilters()) {
    const uint32_t id = filter.description.id;
    ScriptedUserInterface ui;
    ProjectSession session(ui);
    auto filters = session.Frame().GetFilters();
    for (size_t i = 0; i < filters.size(); ++i) {
      if (filters[i]->GetID() == id) ui.filterChoices.push_back(int(i));
    }
    if (!session.Document().NewProjectFrom(scene + "frame0001.tga")) {
      error = "cannot make the seed project of " + FourCCToString(id);
      return false;
    }
    ProjectData& project = session.Project();
    if (&filter == &RegisteredFilters().front()) project.Model().Track().SetKeyframe(4, project.GetFilter()->GetCurrentSettings());
    std::string path = scene + "seed.fvz";
    if (!session.Document().OnSaveDocument(path)) {
      error = session.Document().GetLastError();
      return false;
    }
    if (!WriteBytes(out + FourCCToString(id) + ".fvz", ReadBytes(path), error)) return false;
    fs::remove(path);
  }
  return true;
}

bool WriteRecordSeeds(const std::string& out, std::string& error) {
  CCustomData record;
  record.SetInt(FourCC("INT "), -7);
  record.SetUInt(FourCC("UINT"), 0xFFFFFFFEu);
  record.SetULong(FourCC("ULNG"), 1ull << 40);
  record.SetFloat(FourCC("FLT "), 2.5f);
  record.SetDouble(FourCC("DBL "), 1e12);
  record.SetString(FourCC("STR "), "frame0001.tga");
  record.SetStringArray(FourCC("ARR "), {"a", "bc", ""});
  CArchive recordOnly;
  record.Serialize(recordOnly);
  if (!WriteBytes(out + "record.bin", recordOnly.GetBytes(), error)) return false;

  // A record followed by a track with a keyframe of every settings type.
  KeyframeTrack track;
  for (uint32_t code : RegisteredSettingsTypes()) {
    CArchive withTrack;
    CCustomData(record).Serialize(withTrack);
    track.RemoveAll();
    auto settings = CreateSettingsOfType(code);
    track.SetKeyframe(0, *settings);
    track.SetKeyframe(12, *settings);
    track.Serialize(withTrack);
    if (!WriteBytes(out + "track-" + FourCCToString(code) + ".bin", withTrack.GetBytes(), error)) return false;
  }
  return true;
}

size_t ExtensionIndex(const std::string& extension) {
  for (size_t i = 0; i < FuzzImageExtensionCount(); ++i) {
    if (extension == FuzzImageExtension(i)) return i;
  }
  return 0;
}

// RLA files laid out as a 3D package stores its render channels after the colour: 8-bit colour
// with a matte and records, 16-bit colour with every render channel and straight colour.
bool WriteGBufferSeeds(const CLayerBitmap& image, const std::string& out, std::string& error) {
  CLayerBitmap withAlpha;
  withAlpha.CopyLayers(image, kRgbBitmap | kDepthBitmap);
  auto alpha = std::make_unique<alphaBitmap>(image.GetWidth(), image.GetHeight());
  for (size_t i = 0; i < alpha->GetValueCount(); ++i) alpha->GetData()[i] = uint8_t(i % 3 ? 255 : 60);
  withAlpha.AddLayer(std::move(alpha));
  const struct {
    const char* name;
    const char* extension;
    const CLayerBitmap* image;
    GBufferRlaOptions options;
  } seeds[] = {{"rpf-gbuffer-8.bin", "rpf", &withAlpha, {"Z C O E L P D", "Studio3D", 8}},
               {"rla-gbuffer-16.bin", "rla", &image, {"Z E O U N R C B I G T V W M A", "Studio3D", 16}}};
  for (const auto& seed : seeds) {
    std::string bytes = EncodeGBufferRla(*seed.image, seed.options);
    bytes.insert(bytes.begin(), char(ExtensionIndex(seed.extension)));
    if (!WriteBytes(out + seed.name, std::vector<uint8_t>(bytes.begin(), bytes.end()), error)) return false;
  }
  return true;
}

bool WriteImageSeeds(const std::string& scene, const std::string& out, std::string& error) {
  auto image = SceneImage();
  if (!WriteGBufferSeeds(*image, out, error)) return false;
  for (size_t i = 0; i < FuzzImageExtensionCount(); ++i) {
    std::string extension = FuzzImageExtension(i);
    std::string path = scene + "seed-image." + extension;
    std::string ignored;
    // Formats that cannot be written here (read only) have no seed of their own.
    if (!SaveImage(*image, path, ignored)) continue;
    std::vector<uint8_t> bytes = ReadBytes(path);
    fs::remove(path);
    bytes.insert(bytes.begin(), uint8_t(i));
    if (!WriteBytes(out + extension + ".bin", bytes, error)) return false;
  }
  return true;
}

}  // namespace

bool WriteFuzzScene(const std::string& folder, std::string& error) {
  auto image = SceneImage();
  if (!SaveImage(*image, folder + "frame0001.tga", error)) return false;
  return WriteZpic(folder + "frame0001.zpic", *image->GetLayer<depthBitmap>(), error);
}

bool WriteFuzzSeeds(const std::string& folder, std::string& error) {
  std::string root = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::string scene = root + "scene/";
  std::error_code ec;
  for (const char* sub : {"scene", "project", "record", "zpic", "image"}) fs::create_directories(root + sub, ec);
  if (ec) {
    error = "cannot create " + root + ": " + ec.message();
    return false;
  }
  if (!WriteFuzzScene(scene, error)) return false;
  if (!WriteProjectSeeds(scene, root + "project/", error)) return false;
  if (!WriteRecordSeeds(root + "record/", error)) return false;
  if (!WriteBytes(root + "zpic/scene.zpic", ReadBytes(scene + "frame0001.zpic"), error)) return false;
  if (!WriteImageSeeds(scene, root + "image/", error)) return false;
  fs::remove_all(scene, ec);
  return true;
}
