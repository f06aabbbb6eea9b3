#include <dlfcn.h>
#include <fmt/format.h>

#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/image/LibraryImage.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kModuleName = "fovara-imagelib.so";

// The folder of the binary this code is part of: the program, or the Python module.
fs::path OwnFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ImageLibrary), &info) == 0 || !info.dli_fname) return {};
  std::error_code ec;
  fs::path binary = fs::canonical(info.dli_fname, ec);
  return ec ? fs::path() : binary.parent_path();
}

// Beside the binary (a build tree's programs), in the installation's library folder as seen from
// its programs (bin/../lib/fovara) and from the Python module (lib/python3/dist-packages/../../fovara),
// and in the build tree that made this binary (tests, benchmarks).
std::vector<fs::path> Candidates() {
  std::vector<fs::path> places;
  fs::path own = OwnFolder();
  if (!own.empty()) {
    places.push_back(own / kModuleName);
    places.push_back(own.parent_path() / "lib" / "fovara" / kModuleName);
    places.push_back(own.parent_path().parent_path() / "fovara" / kModuleName);
  }
#ifdef FOVARA_IMAGE_MODULE_INSTALLED
  places.push_back(fs::path(FOVARA_IMAGE_MODULE_INSTALLED) / kModuleName);
#endif
#ifdef FOVARA_IMAGE_MODULE_BUILT
  places.push_back(fs::path(FOVARA_IMAGE_MODULE_BUILT) / kModuleName);
#endif
  return places;
}

struct Loaded {
  ImageLibraryModule* module = nullptr;
  std::string error;
};

Loaded Load() {
  std::string tried;
  for (const fs::path& place : Candidates()) {
    std::error_code ec;
    if (!fs::exists(place, ec)) continue;
    // Never closed: the library's objects live as long as the process.
    void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      const char* why = dlerror();
      return {nullptr, fmt::format("cannot load the image library ({})", why ? why : place.string())};
    }
    auto entry = reinterpret_cast<ImageLibraryModule* (*)()>(dlsym(handle, kImageLibraryEntry));
    if (!entry) return {nullptr, fmt::format("{} is not the image library's module", place.string())};
    return {entry(), {}};
  }
  return {nullptr, fmt::format("the image library's module ({}) is not installed", kModuleName)};
}

}  // namespace

ImageLibraryModule* ImageLibrary(std::string& error) {
  static std::once_flag once;
  static Loaded loaded;
  std::call_once(once, [] { loaded = Load(); });
  if (!loaded.module) error = loaded.error;
  return loaded.module;
}
