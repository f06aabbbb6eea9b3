#include "display/ColourConfig.h"

#include <algorithm>
#include <exception>

#include <OpenColorIO/OpenColorIO.h>

namespace OCIO = OCIO_NAMESPACE;

namespace {

// One display and view of a configuration, applied on the processor's own CPU path.
class ConfigTransform : public DisplayTransform {
 public:
  ConfigTransform(OCIO::ConstCPUProcessorRcPtr processor, std::string name)
      : processor_(std::move(processor)), name_(std::move(name)) {}

  void Apply(float* rgb, size_t count) const override {
    if (count == 0) return;
    try {
      OCIO::PackedImageDesc pixels(rgb, long(count), 1, 3);
      processor_->apply(pixels);  // the library allows concurrent calls on one processor
    } catch (const std::exception&) {
      // A row the library refuses is shown as black rather than taking the window down.
      std::fill_n(rgb, 3 * count, 0.0f);
    }
  }
  std::string Name() const override { return name_; }

 private:
  OCIO::ConstCPUProcessorRcPtr processor_;
  std::string name_;
};

std::string InputSpaceOf(const OCIO::Config& config) {
  for (const char* role : {OCIO::ROLE_SCENE_LINEAR, OCIO::ROLE_DEFAULT}) {
    if (config.hasRole(role)) return role;
  }
  return {};
}

std::string Text(const char* s) { return s ? s : ""; }

}  // namespace

struct ColourConfig::Library {
  OCIO::ConstConfigRcPtr config;
};

std::string DisplayViewName(const DisplayView& choice) { return choice.display + " / " + choice.view; }

ColourConfig::ColourConfig(std::unique_ptr<Library> library) : library_(std::move(library)) {}
ColourConfig::~ColourConfig() = default;

std::unique_ptr<ColourConfig> ColourConfig::Load(const std::string& path, std::string& reason) {
  auto library = std::make_unique<Library>();
  try {
    library->config = OCIO::Config::CreateFromFile(path.c_str());
    library->config->validate();
  } catch (const std::exception& e) {
    reason = e.what();
    return nullptr;
  }
  const OCIO::Config& config = *library->config;
  std::unique_ptr<ColourConfig> loaded(new ColourConfig(std::move(library)));
  loaded->inputSpace_ = InputSpaceOf(config);
  if (loaded->inputSpace_.empty()) {
    reason = "no scene_linear or default role";
    return nullptr;
  }
  for (int d = 0; d < config.getNumDisplays(); ++d) {
    const std::string display = Text(config.getDisplay(d));
    for (int v = 0; v < config.getNumViews(display.c_str()); ++v) {
      loaded->views_.push_back({display, Text(config.getView(display.c_str(), v))});
    }
  }
  if (loaded->views_.empty()) {
    reason = "no display with a view";
    return nullptr;
  }
  const std::string display = Text(config.getDefaultDisplay());
  loaded->default_ = {display, Text(config.getDefaultView(display.c_str()))};
  bool known = false;
  for (const DisplayView& v : loaded->views_) known = known || v == loaded->default_;
  if (!known) loaded->default_ = loaded->views_.front();
  return loaded;
}

std::shared_ptr<const DisplayTransform> ColourConfig::MakeTransform(const DisplayView& choice,
                                                                    std::string& reason) const {
  try {
    auto transform = OCIO::DisplayViewTransform::Create();
    transform->setSrc(inputSpace_.c_str());
    transform->setDisplay(choice.display.c_str());
    transform->setView(choice.view.c_str());
    OCIO::ConstProcessorRcPtr processor = library_->config->getProcessor(transform);
    return std::make_shared<ConfigTransform>(processor->getDefaultCPUProcessor(), DisplayViewName(choice));
  } catch (const std::exception& e) {
    reason = e.what();
    return nullptr;
  }
}
