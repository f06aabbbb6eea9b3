#include "python/ScriptFacade.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>

#include <fmt/format.h>

#include "filters/FilterRegistry.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/FourCC.h"
#include "platform/framework/Progress.h"
#include "platform/framework/StringTable.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/ImageIo.h"
#include "project/NewProject.h"
#include "project/ProjectModel.h"
#include "python/ScriptUserInterface.h"
#include "tools/AnimationActions.h"
#include "tools/RecordText.h"
#include "project/RenderOutputName.h"
#include "filters/RenderRun.h"

namespace {

// The names fovara-render's --filter takes, from the filter registry.
uint32_t FilterId(const std::string& name) {
  if (const FilterEntry* filter = FindFilterByCliName(name)) return filter->description.id;
  throw ScriptError("unknown filter '" + name + "' (use " + FilterCliNames(", ") + ")");
}

std::string FilterNameOf(uint32_t id) {
  if (const FilterEntry* filter = FindFilter(id)) return filter->cliName;
  return FourCCToString(id);
}

// One call into the core, with a user interface of its own: its answers, and what the core
// tells the user gathered for the call's exception.
class ScriptCall {
 public:
  explicit ScriptCall(std::string subject) : subject_(std::move(subject)) {}
  ScriptCall(const ScriptCall&) = delete;
  ScriptCall& operator=(const ScriptCall&) = delete;

  ScriptUserInterface& UserInterface() { return ui_; }
  bool HasComplained() const { return !ui_.GetComplaints().empty(); }

  // Throws the first thing the core told the user, else the given reason; either names the
  // subject.
  [[noreturn]] void Fail(const std::string& reason) const {
    const auto& complaints = ui_.GetComplaints();
    std::string message = complaints.empty() ? reason : complaints.front();
    const bool named = subject_.empty() || message.find(fileStripPath(subject_)) != std::string::npos;
    throw ScriptError(named ? message : subject_ + ": " + message);
  }

 private:
  ScriptUserInterface ui_;
  std::string subject_;
};

// A render's progress, stopped when the script asks.
class ScriptProgress final : public RenderProgress {
 public:
  explicit ScriptProgress(std::function<bool()> shouldStop) : shouldStop_(std::move(shouldStop)) {}
  void Begin(int, int, int, int) override {}
  bool Step() override { return shouldStop_ && shouldStop_(); }
  void End() override {}

 private:
  std::function<bool()> shouldStop_;
};

// A stereo image must have the view asked for: the default one is no answer to that.
void CheckView(const std::string& image, const std::string& view) {
  if (view.empty()) return;
  C2DIo probe(image, kIoWithDepth);
  probe.SetView(view);
  if (probe.PrepareReading() && !probe.GetFileInfo().requestedViewFound) {
    std::string views;
    for (const auto& v : probe.GetFileInfo().views) views += (views.empty() ? "" : ", ") + v;
    throw ScriptError(image + ": has no view '" + view + "'" + (views.empty() ? "" : " (views: " + views + ")"));
  }
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec || path.empty() ? path : absolute.lexically_normal().string();
}

// --- Pixels ---

// The layer takes the values over: a frame's pixels are not copied again.
template <typename Layer, typename Value>
std::unique_ptr<Layer> LayerOf(int width, int height, std::vector<Value>&& values) {
  if (values.size() != size_t(width) * size_t(height) * Layer::kChannels) {
    throw ScriptError("pixel buffers do not match the frame's size");
  }
  return std::make_unique<Layer>(width, height, std::move(values));
}

template <typename Layer, typename Value>
std::vector<Value> ValuesOf(const Layer* layer) {
  if (!layer) return {};
  return std::vector<Value>(layer->GetData(), layer->GetData() + layer->GetValueCount());
}

std::unique_ptr<CLayerBitmap> ImageOf(FramePixels&& frame) {
  if (frame.width <= 0 || frame.height <= 0) throw ScriptError("a frame needs a width and a height");
  if (int64_t(frame.width) * frame.height > kMaxPixelCount) throw ScriptError("the frame is too large");
  const int w = frame.width;
  const int h = frame.height;
  auto image = std::make_unique<CLayerBitmap>(LayerOf<rgbBitmap>(w, h, std::move(frame.colour)));
  if (!frame.alpha.empty()) image->AddLayer(LayerOf<alphaBitmap>(w, h, std::move(frame.alpha)));
  if (!frame.depth.empty()) image->AddLayer(LayerOf<depthBitmap>(w, h, std::move(frame.depth)));
  return image;
}

FramePixels PixelsOf(const CLayerBitmap& source) {
  // Float colour is given as the 8-bit formats keep it: display bytes.
  const auto encoded = HasFloatColour(source) ? EncodeFloatLayers(source) : nullptr;
  const CLayerBitmap& image = encoded ? *encoded : source;
  FramePixels frame;
  frame.width = image.GetWidth();
  frame.height = image.GetHeight();
  frame.colour = ValuesOf<rgbBitmap, uint8_t>(image.GetLayer<rgbBitmap>());
  frame.alpha = ValuesOf<alphaBitmap, uint8_t>(image.GetLayer<alphaBitmap>());
  frame.depth = ValuesOf<depthBitmap, float>(image.GetLayer<depthBitmap>());
  return frame;
}

// --- Records ---

Record RecordOf(const CCustomData& data) {
  Record record;
  const auto json = RecordToJson(data);
  for (const auto& [key, value] : json.items()) {
    if (value.is_boolean()) record.emplace_back(key, value.get<bool>());
    else if (value.is_number_integer()) record.emplace_back(key, value.get<long long>());
    else if (value.is_number()) record.emplace_back(key, value.get<double>());
    else if (value.is_string()) record.emplace_back(key, value.get<std::string>());
    else record.emplace_back(key, value.get<std::vector<std::string>>());
  }
  return record;
}

// Values as the command line would write them, so that both take the same path.
std::string ValueText(const RecordValue& value) {
  struct {
    std::string operator()(bool b) const { return b ? "true" : "false"; }
    std::string operator()(long long v) const { return std::to_string(v); }
    std::string operator()(double v) const { return fmt::format("{}", v); }  // shortest exact form
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const std::vector<std::string>&) const { return {}; }
  } text;
  return std::visit(text, value);
}

void Assign(CCustomData& data, const Record& changes) {
  for (const auto& [key, value] : changes) {
    if (std::holds_alternative<std::vector<std::string>>(value)) throw ScriptError(key + " cannot be set");
    std::string error = SetRecordValue(data, key, ValueText(value));
    if (!error.empty()) throw ScriptError(error);
  }
}

// A diaph file named relative to the current folder is stored complete.
Record WithAbsoluteDiaph(Record changes) {
  for (auto& [key, value] : changes) {
    auto* path = std::get_if<std::string>(&value);
    if (key == "DPAT" && path && !path->empty()) *path = AbsolutePath(*path);
  }
  return changes;
}

void SetSettings(KeyframeSettings& settings, const Record& changes) {
  CCustomData data;
  settings.StoreEveryField(data);
  Assign(data, changes);
  settings.LoadRecord(data);
}

// As `fovara-render set --option`: an option the filter could not take is an error.
void SetOptions(FilterOptions& options, const Record& changes) {
  CCustomData data;
  options.StoreRecord(data);
  Assign(data, WithAbsoluteDiaph(changes));
  options.LoadRecord(data);
  CCustomData taken;
  options.StoreRecord(taken);
  for (const auto& entry : data.Entries()) {
    const auto& kept = taken.Entries();
    auto same = std::find_if(kept.begin(), kept.end(), [&](const auto& e) { return e.key == entry.key; });
    if (same == kept.end() || !(same->value == entry.value)) {
      throw ScriptError(FourCCToString(entry.key) + " could not be set: check the value");
    }
  }
}

ImageCompression CompressionOf(const std::string& name) {
  if (name == "fast") return ImageCompression::Fast;
  if (name == "small") return ImageCompression::Small;
  if (name == "none") return ImageCompression::None;
  throw ScriptError("compression is fast, small or none, not '" + name + "'");
}

// --- Rendering a project ---

FrameRange FramesOf(const RenderRequest& request, const ProjectModel& project) {
  const int lastFrame = std::max(0, project.GetLastFrame());
  if (!request.frames) return {0, lastFrame};
  auto [a, b] = *request.frames;
  if (std::min(a, b) < 0 || std::max(a, b) > lastFrame) {
    throw ScriptError(fmt::format("frames {} to {} are not within 0 to {}", a, b, lastFrame));
  }
  return {std::min(a, b), std::max(a, b)};
}

// The output file name, as fovara-render makes it: base and the extension naming the format.
std::string OutputName(const RenderRequest& request, const ProjectModel& project) {
  if (!request.format.empty() && !IsRenderOutputFormat(request.format)) {
    throw ScriptError("unknown format '" + request.format + "'");
  }
  return RenderOutputName(AbsolutePath(request.output), request.format, project);
}

}  // namespace

std::vector<std::string> FilterNames() {
  std::vector<std::string> names;
  for (const FilterEntry& filter : RegisteredFilters()) names.emplace_back(filter.cliName);
  return names;
}

FramePixels ReadFrame(const std::string& image, const std::string& depth, const std::string& view) {
  ScriptCall call(image);
  if (!fileExists(image)) throw ScriptError(image + ": no such image file");
  if (!depth.empty() && !fileExists(depth)) throw ScriptError(depth + ": no such depth file");
  CheckView(image, view);
  // The frame is read as a new project reads its first frame, the sequence reduced to it.
  ProjectModel model;
  model.Frames().SetImageView(view);
  call.UserInterface().onlyImage = fileStripPath(image);
  const auto frame = ReadFirstFrame(model, AbsolutePath(image), AbsolutePath(depth), call.UserInterface());
  if (!frame) call.Fail("cannot be read");
  return PixelsOf(*frame->image);
}

FramePixels RenderFrame(FramePixels frame, const std::string& filter, const Record& settings, const Record& options,
                        const RenderControl& control) {
  ScriptCall call("");
  const uint32_t id = FilterId(filter);
  if (frame.depth.empty()) throw ScriptError("the filters need the frame's depth");
  auto image = ImageOf(std::move(frame));
  // As a frame of a project: background depths at the farthest depth.
  auto* depth = image->GetLayer<depthBitmap>();
  depth->ReplaceBackgroundDepth(depth->GetMaxDepth());
  const DepthRange range = GetDepthRange(*image);

  // As a new project on this frame: the first keyframe from its depths, seen at frame 0.
  ProjectModel model;
  model.SetFilter(id);
  auto first = model.NewSettings();
  first->Reset(*image);
  model.Track().SetKeyframe(0, *first);
  auto frameSettings = model.SettingsAt(0, image.get(), &range);
  SetOptions(*model.Options(), options);
  SetSettings(*frameSettings, settings);
  if (call.HasComplained()) call.Fail("the settings were refused");

  ScriptProgress progress(control.shouldStop);
  UserInterfaceMessages messages(call.UserInterface());
  RenderContext context{progress, control.threads, &messages};
  auto result = RunFilter(FindFilter(id)->render, {*image, *frameSettings, *model.Options(), std::nullopt}, context);
  if (!result) call.Fail(control.shouldStop && control.shouldStop() ? "the render was stopped" : "the frame could not be rendered");
  return PixelsOf(*result);
}

std::string WriteFrame(const std::string& path, const FramePixels& frame, const std::string& compression) {
  ScriptCall call(path);
  auto image = ImageOf(FramePixels(frame));
  C2DIo output(AbsolutePath(path), kIoSaving);
  output.SetCompression(CompressionOf(compression));
  if (!output.PrepareSaving(*image, 1) || !output.Save(*image, -1)) call.Fail(output.GetError());
  return output.GetWarning();
}

// --- Projects ---

ScriptProject::ScriptProject() : model_(std::make_unique<ProjectModel>()) {}

ScriptProject::~ScriptProject() = default;

std::unique_ptr<ScriptProject> ScriptProject::Open(const std::string& path) {
  ScriptCall call(path);
  if (!std::filesystem::is_regular_file(path)) throw ScriptError(path + ": no such project file");
  std::unique_ptr<ScriptProject> project(new ScriptProject);
  const std::string complete = AbsolutePath(path);
  try {
    OpenProjectFile(complete, *project->model_);
  } catch (const ProjectFileError& e) {
    call.Fail(e.what());
  } catch (const std::exception& e) {
    call.Fail(std::string("cannot be opened: the file is damaged or of another kind (") + e.what() + ")");
  }
  const std::vector<std::string> missing = project->model_->FramesWithoutFiles();
  if (!missing.empty()) {
    std::string names;
    for (const std::string& name : missing) names += " " + name;
    call.Fail(call.UserInterface().Text(kProjectCannotOpenedImage) + names);
  }
  project->path_ = complete;
  return project;
}

std::unique_ptr<ScriptProject> ScriptProject::New(const std::string& image, const std::string& filter,
                                                  const std::string& depth, const std::string& view) {
  ScriptCall call(image);
  const uint32_t id = FilterId(filter);
  if (!fileExists(image)) throw ScriptError(image + ": no such image file");
  if (!depth.empty() && !fileExists(depth)) throw ScriptError(depth + ": no such depth file");
  CheckView(image, view);
  std::unique_ptr<ScriptProject> project(new ScriptProject);
  project->model_->Frames().SetImageView(view);
  if (!StartProject(*project->model_, AbsolutePath(image), AbsolutePath(depth), id, call.UserInterface())) {
    call.Fail("cannot make a project from it");
  }
  project->modified_ = true;
  return project;
}

std::string ScriptProject::GetFilterName() const {
  const uint32_t id = model_->GetFilterId();
  return id ? FilterNameOf(id) : std::string();
}

std::vector<std::string> ScriptProject::GetImages() const { return model_->Frames().GetImageNames(); }

int ScriptProject::GetFrameCount() const { return std::max(0, model_->GetLastFrame()) + 1; }

std::vector<int> ScriptProject::GetKeyframeFrames() const {
  const KeyframeTrack& track = model_->Track();
  std::vector<int> frames;
  for (int i = 0; i < track.GetCount(); ++i) frames.push_back(track.GetAt(i)->GetFrameNumber());
  return frames;
}

namespace {

// The settings a render of the frame takes: the keyframes blended with the frame's depths.
std::unique_ptr<KeyframeSettings> SettingsOfFrame(const ProjectModel& model, int frame, ScriptCall& call) {
  const FrameFiles files = model.GetFrameFiles(frame);
  FrameRead read = ReadFrame(files);
  if (!read.frame) call.Fail(files.imageName + ": " + read.failure);
  return model.SettingsAt(frame, read.frame->image.get(), &read.frame->range);
}

}  // namespace

Record ScriptProject::GetSettings(int frame) const {
  ScriptCall call(GetPath());
  if (frame < 0) throw ScriptError("frames count from 0");
  CCustomData data;
  SettingsOfFrame(*model_, frame, call)->StoreEveryField(data);
  return RecordOf(data);
}

void ScriptProject::SetKeyframe(int frame, const Record& changes) {
  ScriptCall call(GetPath());
  if (frame < 0) throw ScriptError("frames count from 0");
  if (model_->IsSequence() && frame > model_->GetLastFrame()) {
    throw ScriptError(fmt::format("frame {} is beyond the sequence's last frame {}", frame, model_->GetLastFrame()));
  }
  if (!model_->IsSequence() && frame > kMaxSingleImageFrame) {
    throw ScriptError(fmt::format("frame {} is beyond the last frame of a single image's animation, {}", frame,
                                  kMaxSingleImageFrame));
  }
  auto settings = SettingsOfFrame(*model_, frame, call);
  SetSettings(*settings, changes);
  model_->Track().SetKeyframe(frame, *settings);
  modified_ = true;
}

void ScriptProject::RemoveKeyframe(int frame) {
  ScriptCall call(GetPath());
  KeyframeTrack& track = model_->Track();
  if (frame == 0) throw ScriptError("frame 0 keeps its keyframe: every later frame starts from it");
  if (track.FindKeyframe(frame) == -1) throw ScriptError(fmt::format("frame {} is not a keyframe", frame));
  track.RemoveKeyframe(frame);
  modified_ = true;
}

Record ScriptProject::GetOptions() const {
  ScriptCall call(GetPath());
  CCustomData data;
  model_->Options()->StoreRecord(data);
  return RecordOf(data);
}

void ScriptProject::SetOptions(const Record& changes) {
  ScriptCall call(GetPath());
  ::SetOptions(*model_->Options(), changes);
  if (call.HasComplained()) call.Fail("the options were refused");
  modified_ = true;
}

void ScriptProject::Save(const std::string& path) {
  ScriptCall call(path.empty() ? GetPath() : path);
  if (path.empty() && GetPath().empty()) throw ScriptError("a new project is saved under a path first");
  const std::string complete = AbsolutePath(path.empty() ? GetPath() : path);
  const std::string failure = SaveProjectFile(*model_, complete);
  if (!failure.empty()) call.Fail("cannot be saved: " + failure);
  path_ = complete;
  modified_ = false;
}

RenderReport ScriptProject::Render(const RenderRequest& request, const RenderControl& control) {
  ScriptCall call(GetPath());
  const ProjectModel& project = *model_;
  const FrameRange range = FramesOf(request, project);
  const std::string outputName = OutputName(request, project);
  std::error_code ec;
  std::filesystem::create_directories(CFileInfo(outputName).GetPath(), ec);
  C2DIo output(outputName, kIoSaving);
  output.SetNumberWidth(project.GetOutputNumberWidth());
  output.SetCompression(CompressionOf(request.compression));
  // The first frame tells what the files will hold (alpha, float colour).
  const FrameFiles firstFiles = project.GetFrameFiles(range.first);
  std::shared_ptr<const Frame> first = ReadFrame(firstFiles).frame;
  if (!first) call.Fail(firstFiles.imageName + " cannot be read");
  if (!output.PrepareSaving(*first->image, range.last - range.first + 1)) call.Fail(output.GetError());

  RenderReport report;
  bool stopAsked = false;
  RenderJob job;
  job.first = range.first;
  job.last = range.last;
  job.output = &output;
  job.skipExisting = request.skipExisting;
  job.language = call.UserInterface().GetLanguage();
  job.firstRead = std::move(first);
  job.onFrameDone = [&](int index, int count, const std::string& file, bool kept) {
    report.files.push_back(file);
    if (!stopAsked && control.onFrame && !control.onFrame(index, count, file, kept)) stopAsked = true;
  };
  ScriptProgress progress([&] { return stopAsked || (control.shouldStop && control.shouldStop()); });
  UserInterfaceMessages messages(call.UserInterface());
  RenderContext context{progress, control.threads, &messages};
  RenderOutcome outcome = RunRenderJob(project, std::move(job), context);
  report.rendered = outcome.rendered;
  report.kept = outcome.skipped;
  report.cancelled = outcome.cancelled;
  if (!outcome.saveError.empty()) throw ScriptError(outcome.saveError);
  if (outcome.failed > 0 || call.HasComplained()) call.Fail("some frames could not be rendered");
  return report;
}
