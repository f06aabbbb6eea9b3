#pragma once
// The program's own questions: the depth picture's type and the depth view's mode, the filter
// list, the render range, the colour chooser. They belong to the program, not to the generic
// user-interface seam (platform/framework/UserInterface.h: messages, files, progress), so they
// are declared here, beside their lowest callers. Every user interface that can ask them (the
// desktop program's, the console's, the Python module's, the tests' scripted one) implements
// this interface beside UserInterface.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Bitmap;
class depthBitmap;

struct FilterChoiceItem {
  std::string name;
  std::string description;
  std::string requiredLayers;  // "RGB Color\nZ Buffer\n"
  float version = 1.0f;
  uint32_t id = 0;  // the filter command's id, which picks its picture
};

// The frames the render options dialog offers (the numbers are the dialog's record's).
enum class RenderRangeMode { First = 0, Last = 1, Current = 2, All = 3, Range = 4 };
constexpr int kRenderRangeModeCount = 5;

// What the render options dialog gives back.
struct RenderRangeChoice {
  RenderRangeMode mode = RenderRangeMode::Current;
  int first = 0;  // for a range, as edited (any order)
  int last = 0;
  // Escape or the window's close button: nothing is rendered.
  bool cancelled = false;
};

// What the depth-mode dialog gives back.
struct DepthModeChoice {
  int choice = 1;      // 1 grey, 2 coloured
  int curve = 0;       // 0 exponential, 1 linear
  float gamma = 0.2f;  // shape of the exponential curve
};

class UserInterface;

class ProgramDialogs {
 public:
  virtual ~ProgramDialogs() = default;

  // The Z-Buffer type question on a depth picture: 0 light areas near, 1 light areas far.
  virtual int AskDepthType(const Bitmap& picture) = 0;
  // The filter list: index of the chosen filter, or -1.
  virtual int ChooseFilter(const std::vector<FilterChoiceItem>& filters) = 0;
  // The render options dialog for an animation of frameCount frames.
  virtual RenderRangeChoice AskRenderRange(int frameCount) = 0;
  // The Z-Buffer mode dialog on a depth layer.
  virtual DepthModeChoice AskDepthMode(const depthBitmap& depth) = 0;
  // Colour chooser; colours as 0x00BBGGRR.
  virtual std::optional<uint32_t> ChooseColour(uint32_t initial) = 0;
};

// A user interface's dialogs; when it has none, silent answers: light far, no filter, the
// current frame, grey depth, no colour.
ProgramDialogs& Dialogs(UserInterface& ui);
