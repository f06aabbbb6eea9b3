// The image library's module: what the programs ask of the library, behind one exported function.

#include <OpenImageIO/imageio.h>

#include "platform/image/LibraryImage.h"
#include "platform/image/library/LibraryPicture.h"
#include "platform/image/library/LibraryWriter.h"

namespace {

class Module final : public ImageLibraryModule {
 public:
  std::unique_ptr<LibraryImage> NewImage() override { return std::make_unique<LibraryPicture>(); }
  std::string ExtensionList() override { return OIIO::get_string_attribute("extension_list"); }
  std::string OutputFormatList() override { return OIIO::get_string_attribute("output_format_list"); }
  bool KeepsAlpha(const std::string& plugin) override {
    auto output = OIIO::ImageOutput::create(plugin);
    return output && output->supports("alpha");
  }
  bool Write(const std::string& path, const ImageFileFormat& format, const SaveContent& content,
             ImageCompression compression, std::string& error) override {
    return WriteWithLibrary(path, format, content, compression, error);
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) ImageLibraryModule* FovaraImageLibraryModule() {
  static Module module;
  return &module;
}
