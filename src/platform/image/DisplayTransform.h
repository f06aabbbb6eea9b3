#pragma once
// How the screen shows floating-point colour when a colour configuration chooses it: a display
// and view that turn straight linear light into display values. Without one, the sRGB curve of
// FloatLayers.h is used.

#include <cstddef>
#include <string>

class DisplayTransform {
 public:
  virtual ~DisplayTransform() = default;
  // count pixels of straight linear RGB (three floats each) become display values, in place;
  // 0..1 is what the screen shows. Called from any thread, on rows of one picture at once.
  virtual void Apply(float* rgb, size_t count) const = 0;
  // The display and view, as the user chose them ("sRGB / Film").
  virtual std::string Name() const = 0;
};
