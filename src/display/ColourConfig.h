#pragma once
// A colour configuration file (OpenColorIO): its displays and views, and the transform from
// its scene-linear space to one of them, for the screen's picture of floating-point colour.
// Only the desktop program links the library; it reads a configuration only when one is named.

#include <memory>
#include <string>
#include <vector>

#include "platform/image/DisplayTransform.h"

struct DisplayView {
  std::string display;
  std::string view;
  bool operator==(const DisplayView&) const = default;
};

// "display / view", as the menu and the status bar name it.
std::string DisplayViewName(const DisplayView& choice);

class ColourConfig {
 public:
  // Reads and checks the file; null with the reason when it cannot be used (missing, malformed,
  // no display, no scene-linear or default space).
  static std::unique_ptr<ColourConfig> Load(const std::string& path, std::string& reason);
  ~ColourConfig();
  ColourConfig(const ColourConfig&) = delete;
  ColourConfig& operator=(const ColourConfig&) = delete;

  // Every display's views, display by display, in the file's order.
  const std::vector<DisplayView>& Views() const { return views_; }
  // The file's default display and its default view.
  const DisplayView& Default() const { return default_; }
  // The space the program's linear light is taken as: the scene_linear role, else the default one.
  const std::string& InputSpace() const { return inputSpace_; }

  // The transform from the input space to a display and view; null with the reason when the
  // file cannot make it (a view naming a space that is not defined, a missing look file).
  std::shared_ptr<const DisplayTransform> MakeTransform(const DisplayView& choice, std::string& reason) const;

 private:
  struct Library;
  explicit ColourConfig(std::unique_ptr<Library> library);

  std::unique_ptr<Library> library_;
  std::vector<DisplayView> views_;
  DisplayView default_;
  std::string inputSpace_;
};
