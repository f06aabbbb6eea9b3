#pragma once
// What scripts reach of the program: frames as plain pixel buffers, one-frame renders, and
// projects opened, changed, saved and rendered to files, each through the same core calls
// fovara-render makes. The Python module is a thin layer over this file and nothing here
// knows Python, so a change in the core touches this file alone.
//
// Every failure throws ScriptError with one line naming the file concerned. Calls share no
// state: each has a user interface of its own, so calls on two threads run at once (two renders
// of two frames, say). A project is one object: one thread at a time changes it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class ProjectModel;

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One frame in memory, row 0 first, as the filters see it.
struct FramePixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> colour;  // R, G, B a pixel, premultiplied by alpha
  std::vector<uint8_t> alpha;   // a byte a pixel; empty when the frame has none
  std::vector<float> depth;     // a float a pixel, larger is farther; empty when there is none
};

// Settings and options by record key ("DMIN", "COLR", ...), in the record's order.
using RecordValue = std::variant<bool, long long, double, std::string, std::vector<std::string>>;
using Record = std::vector<std::pair<std::string, RecordValue>>;

// How a caller follows and stops a render.
struct RenderControl {
  // After each frame is written or kept: its place in the range from 1, the range's size,
  // the file, whether it was kept. Returning false stops the render after that frame.
  std::function<bool(int, int, const std::string&, bool)> onFrame;
  // Polled while a frame renders; true stops it (the frame is not written).
  std::function<bool()> shouldStop;
  int threads = 0;  // 0: every core
};

// Which frames of a project to render, and where to.
struct RenderRequest {
  std::optional<std::pair<int, int>> frames;  // first and last, from 0; nothing: all
  std::string output;  // output base name, its extension naming the format; "": the project's
  std::string format;  // "png", "exr", ...; "": the output name's, else the images'
  bool skipExisting = false;
  std::string compression = "fast";  // fast, small or none
};

struct RenderReport {
  int rendered = 0;
  int kept = 0;
  bool cancelled = false;
  std::vector<std::string> files;  // every frame's file, written or kept, in order
};

// A frame as a project reads it: the display window, the depth found beside the image by its
// name (or the given depth file), the depth rules, background at the farthest depth.
FramePixels ReadFrame(const std::string& image, const std::string& depth, const std::string& view);

// One frame rendered by the filter ("dof", "zsat", "zlum", "zhue", "fog") with its settings
// reset from the frame's depth range and then changed by key, as `fovara-render new`, `set`
// and `render` do. The result holds colour and, when the frame has one, alpha.
FramePixels RenderFrame(FramePixels frame, const std::string& filter, const Record& settings,
                        const Record& options, const RenderControl& control);

// Writes a frame as fovara-render writes its frames (format by extension). Returns a note on
// what the format could not keep, "" when none.
std::string WriteFrame(const std::string& path, const FramePixels& frame, const std::string& compression);

// The filter names scripts use.
std::vector<std::string> FilterNames();

class ScriptProject {
 public:
  static std::unique_ptr<ScriptProject> Open(const std::string& path);
  // A project made from an image (any frame of a numbered sequence), not yet saved.
  static std::unique_ptr<ScriptProject> New(const std::string& image, const std::string& filter,
                                            const std::string& depth, const std::string& view);
  ~ScriptProject();
  ScriptProject(const ScriptProject&) = delete;
  ScriptProject& operator=(const ScriptProject&) = delete;

  std::string GetPath() const { return path_; }
  std::string GetFilterName() const;
  std::vector<std::string> GetImages() const;
  int GetFrameCount() const;
  bool IsModified() const { return modified_; }

  std::vector<int> GetKeyframeFrames() const;
  // The settings of a frame: its keyframe's, else those interpolated between keyframes.
  Record GetSettings(int frame) const;
  // Makes the frame a keyframe, starting from its settings, then changes the given keys.
  void SetKeyframe(int frame, const Record& changes);
  // Frame 0 stays: every other frame starts from it.
  void RemoveKeyframe(int frame);
  Record GetOptions() const;
  void SetOptions(const Record& changes);

  // "" saves under the project's own path.
  void Save(const std::string& path);
  RenderReport Render(const RenderRequest& request, const RenderControl& control);

 private:
  ScriptProject();

  std::unique_ptr<ProjectModel> model_;
  std::string path_;  // "" for a new project not yet saved
  bool modified_ = false;
};
