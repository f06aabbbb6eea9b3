#include "platform/image/ImageIo.h"

#include <fmt/format.h>

#include <filesystem>
#include <new>
#include <stdexcept>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageFormats.h"
#include "platform/image/ImageReader.h"
#include "platform/image/ImageWriter.h"
#include "platform/image/PixelConversion.h"
#include "platform/image/TemporaryFile.h"
#include "platform/image/ZpicFormat.h"

namespace fs = std::filesystem;

namespace {

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::unique_ptr<CLayerBitmap> ReadZpicImage(const std::string& path, std::string& error) {
  auto depth = ReadZpic(path, error);
  if (!depth) return nullptr;
  ReadDepthChannel(depth->GetData(), depth->GetValueCount());
  return std::make_unique<CLayerBitmap>(std::move(depth));
}

bool ProbeFile(const std::string& path, const ImageFileFormat& format, const std::string& view, ImageFileInfo& info,
               std::string& error) {
  if (!format.IsZpic()) return ProbeImageFile(path, format, view, info, error);
  ZpicHeader header;
  if (!ReadZpicHeader(path, header, error)) return false;
  info.width = header.width;
  info.height = header.height;
  info.data = {0, 0, header.width, header.height};
  info.channels.depth = {0, 0};
  info.takenChannels = {"depth"};
  info.requestedViewFound = view.empty();
  return true;
}

}  // namespace

C2DIo::C2DIo(std::string fileName, int flags) : fileName_(std::move(fileName)), flags_(flags) {}

C2DIo::~C2DIo() = default;

void C2DIo::SetError(const std::string& file, const std::string& reason) {
  error_ = (file.empty() ? std::string("(no file name)") : NameOf(file)) + ": " + reason;
}

bool C2DIo::FileDialogBox(UserInterface& ui, int dialogFlags) {
  FileRequest request;
  request.fileClass = kClassAllFiles;
  request.flags = dialogFlags;
  request.proposedPath = fileName_;
  auto chosen = flags_ == kIoSaving ? ui.ChooseFileToSave(request) : ui.ChooseFileToOpen(request);
  if (!chosen || chosen->empty()) return false;
  fileName_ = *chosen;
  prepared_ = false;
  return true;
}

// --- Reading ---

bool C2DIo::CheckReadableFile() {
  if (fileName_.empty()) {
    SetError(fileName_, "no file given");
    return false;
  }
  std::error_code ec;
  fs::file_status status = fs::status(fileName_, ec);
  if (!fs::exists(status)) {
    SetError(fileName_, "file does not exist");
    return false;
  }
  if (fs::is_directory(status)) {
    SetError(fileName_, "is a folder, not an image file");
    return false;
  }
  if (!fs::is_regular_file(status)) {
    SetError(fileName_, "is not a regular file");
    return false;
  }
  return true;
}

bool C2DIo::PrepareReading() {
  prepared_ = false;
  error_.clear();
  formatName_.clear();
  fileWidth_ = fileHeight_ = 0;
  fileInfo_ = {};
  if (!CheckReadableFile()) return false;
  auto format = FindReadableFormat(fileName_);
  if (!format) {
    std::string ext = FileExtension(fileName_);
    SetError(fileName_, ext.empty() ? "no extension names the image format" : "unknown image format ." + ext);
    return false;
  }
  ImageFileInfo info;
  std::string reason;
  if (!ProbeFile(fileName_, *format, view_, info, reason)) {
    SetError(fileName_, reason);
    return false;
  }
  formatName_ = format->name;
  fileWidth_ = info.width;
  fileHeight_ = info.height;
  fileInfo_ = info;
  prepared_ = true;
  return true;
}

void C2DIo::SetNeededBitmapSize(int width, int height) {
  neededWidth_ = width;
  neededHeight_ = height;
}

std::unique_ptr<CLayerBitmap> C2DIo::Read() {
  if (!prepared_ && !PrepareReading()) return nullptr;
  auto format = FindReadableFormat(fileName_);
  std::string reason;
  std::unique_ptr<CLayerBitmap> image;
  try {
    if (format->IsZpic()) {
      image = ReadZpicImage(fileName_, reason);
    } else {
      LayersToRead layers = flags_ == kIoDepthFile ? LayersToRead::DepthFile
                            : (flags_ & 2)        ? LayersToRead::All
                                                  : LayersToRead::Picture;
      image = ReadImageFile(fileName_, *format, layers, view_, reason);
    }
  } catch (const std::bad_alloc&) {
    reason = fmt::format("not enough memory for an image of {} x {}", fileWidth_, fileHeight_);
  } catch (const std::length_error&) {
    reason = "image too large";
  }
  if (!image) SetError(fileName_, reason);
  return image;
}

// --- Saving ---

bool C2DIo::PrepareSaving(const CLayerBitmap& image, int frameCount) {
  error_.clear();
  warning_.clear();
  auto format = FindWritableFormat(fileName_);
  if (!format) {
    std::string ext = FileExtension(fileName_);
    SetError(fileName_, ext.empty() ? "no extension names the image format" : "cannot write ." + ext + " files");
    return false;
  }
  fs::path folder = fs::path(fileName_).parent_path();
  std::error_code ec;
  if (!folder.empty() && !fs::is_directory(folder, ec)) {
    SetError(fileName_, "the folder " + folder.string() + " does not exist");
    return false;
  }
  SaveContent content;
  std::string reason;
  if (!PlanSave(*format, image, content, reason)) {
    SetError(fileName_, reason);
    return false;
  }
  if (!content.warning.empty()) warning_ = NameOf(fileName_) + ": " + content.warning;
  formatName_ = format->name;
  frameCount_ = frameCount;
  return true;
}

std::string C2DIo::GetFrameFileName(int number) const {
  if (number < 0) return fileName_;
  fs::path path(fileName_);
  std::string ext = path.extension().string();
  std::string stem = fileName_.substr(0, fileName_.size() - ext.size());
  return stem + fmt::format("{:0{}d}", number, std::max(numberWidth_, 1)) + ext;
}

bool C2DIo::Save(const CLayerBitmap& image, int number) {
  error_.clear();
  warning_.clear();
  std::string target = GetFrameFileName(number);
  auto format = FindWritableFormat(target);
  if (!format) {
    SetError(target, "cannot write ." + FileExtension(target) + " files");
    return false;
  }
  SaveContent content;
  content.fullFloat = fullFloat_;
  std::string reason;
  if (!PlanSave(*format, image, content, reason)) {
    SetError(target, reason);
    return false;
  }
  if (!content.warning.empty()) warning_ = NameOf(target) + ": " + content.warning;

  TemporaryFile temporary(target);
  if (!WriteImageFile(temporary.Path(), *format, content, reason, compression_) || !temporary.Commit(reason)) {
    SetError(target, reason);
    return false;
  }
  return true;
}

// --- Header queries ---

int rlaIO::HasChannels(const std::string& fileName, uint32_t layerType) {
  auto format = FindReadableFormat(fileName);
  std::error_code ec;
  if (!format || !fs::is_regular_file(fileName, ec)) return 0;
  ImageFileInfo info;
  std::string reason;
  if (!ProbeFile(fileName, *format, "", info, reason)) return 0;
  const ChannelPlan& c = info.channels;
  switch (layerType) {
    case kDepthBitmap: return c.depth ? 1 : 0;
    case kRgbBitmap: return c.HasColour() ? 1 : 0;
    case kGreyBitmap: return c.grey ? 1 : 0;
    case kAlphaBitmap: return c.alpha ? 1 : 0;
    default: return 0;
  }
}
