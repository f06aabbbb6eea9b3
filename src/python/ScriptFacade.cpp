#include "python/ScriptFacade.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <regex>

#include <fmt/format.h>
#include <tbb/global_control.h>

#include "tools/AnimationActions.h"
#include "tools/RecordText.h"
#include "filters/DepthFilterCommand.h"
#include "filters/FilterRegistry.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/FourCC.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/Progress.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/ImageIo.h"
#include "tools/ProjectSession.h"
#include "python/ScriptUserInterface.h"
#include "tools/RenderOutputName.h"
#include "tools/RenderRun.h"

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

ScriptUserInterface& TheUserInterface() {
  static ScriptUserInterface ui;
  static const bool installed = [] {
    SetLanguage(LanguageFromArguments(0, nullptr));
    InstallUserInterface(&ui);
    return true;
  }();
  (void)installed;
  return ui;
}

std::recursive_mutex& CoreMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

// One call into the core: taken alone, with the user interface's answers and messages of its
// own (what an outer call had is put back afterwards, for calls made from a render's callback).
class ScriptCall {
 public:
  explicit ScriptCall(std::string subject) : lock_(CoreMutex()), ui_(TheUserInterface()), subject_(std::move(subject)) {
    saved_ = ui_;
    ui_.Clear();
    ui_.shouldStop = nullptr;
    ui_.onlyImage.clear();
    ui_.filterChoice = -1;
  }
  ~ScriptCall() { ui_ = saved_; }
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
  std::unique_lock<std::recursive_mutex> lock_;
  ScriptUserInterface& ui_;
  ScriptUserInterface saved_;
  std::string subject_;
};

// A stereo image must have the view asked for: the default one is no answer to that.
void CheckView(const std::string& image, const std::string& view) {
  if (view.empty()) return;
  C2DIo probe(image, kIoWithDepth);
  probe.SetView(view);
  if (probe.PrepareReading() == 1 && !probe.GetFileInfo().requestedViewFound) {
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

template <typename Layer, typename Value>
std::unique_ptr<Layer> LayerOf(int width, int height, const std::vector<Value>& values) {
  auto layer = std::make_unique<Layer>(width, height);
  if (values.size() != layer->GetValueCount()) throw ScriptError("pixel buffers do not match the frame's size");
  std::copy(values.begin(), values.end(), layer->GetData());
  return layer;
}

template <typename Layer, typename Value>
std::vector<Value> ValuesOf(const Layer* layer) {
  if (!layer) return {};
  return std::vector<Value>(layer->GetData(), layer->GetData() + layer->GetValueCount());
}

std::unique_ptr<CLayerBitmap> ImageOf(const FramePixels& frame) {
  if (frame.width <= 0 || frame.height <= 0) throw ScriptError("a frame needs a width and a height");
  if (int64_t(frame.width) * frame.height > kMaxPixelCount) throw ScriptError("the frame is too large");
  auto image = std::make_unique<CLayerBitmap>(LayerOf<rgbBitmap>(frame.width, frame.height, frame.colour));
  if (!frame.alpha.empty()) image->AddLayer(LayerOf<alphaBitmap>(frame.width, frame.height, frame.alpha));
  if (!frame.depth.empty()) image->AddLayer(LayerOf<depthBitmap>(frame.width, frame.height, frame.depth));
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
void SetOptions(DepthFilterCommand& filter, const Record& changes) {
  CCustomData data;
  filter.StoreOptions(data);
  Assign(data, WithAbsoluteDiaph(changes));
  filter.LoadOptions(data);
  CCustomData taken;
  filter.StoreOptions(taken);
  for (const auto& entry : data.Entries()) {
    const auto& kept = taken.Entries();
    auto same = std::find_if(kept.begin(), kept.end(), [&](const auto& e) { return e.key == entry.key; });
    if (same == kept.end() || !(same->value == entry.value)) {
      throw ScriptError(FourCCToString(entry.key) + " could not be set: check the value");
    }
  }
}

DepthFilterCommand* FindFilter(ProjectSession& session, uint32_t id) {
  for (DepthFilterCommand* filter : FilterCommands(session.Frame())) {
    if (filter->GetID() == id) return filter;
  }
  throw ScriptError("filter " + FourCCToString(id) + " is not available");
}

ImageCompression CompressionOf(const std::string& name) {
  if (name == "fast") return ImageCompression::Fast;
  if (name == "small") return ImageCompression::Small;
  if (name == "none") return ImageCompression::None;
  throw ScriptError("compression is fast, small or none, not '" + name + "'");
}

std::unique_ptr<tbb::global_control> ThreadLimit(int threads) {
  if (threads <= 0) return nullptr;
  return std::make_unique<tbb::global_control>(tbb::global_control::max_allowed_parallelism, size_t(threads));
}

// --- Rendering a project ---

FrameRange FramesOf(const RenderRequest& request, const ProjectData& project) {
  const int lastFrame = std::max(0, project.GetTrack().GetLastFrame());
  if (!request.frames) return {0, lastFrame};
  auto [a, b] = *request.frames;
  if (std::min(a, b) < 0 || std::max(a, b) > lastFrame) {
    throw ScriptError(fmt::format("frames {} to {} are not within 0 to {}", a, b, lastFrame));
  }
  return {std::min(a, b), std::max(a, b)};
}

// The output file name, as fovara-render makes it: base and the extension naming the format.
std::string OutputName(const RenderRequest& request, ProjectData& project) {
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
  ProjectSession session;
  ProjectData& project = session.Project();
  project.Frames().SetImageView(view);
  call.UserInterface().onlyImage = fileStripPath(image);
  if (!project.IdentifyDepthFiles(AbsolutePath(image), AbsolutePath(depth)) || !project.GetCurrentImage()) {
    call.Fail("cannot be read");
  }
  return PixelsOf(*project.GetCurrentImage());
}

FramePixels RenderFrame(FramePixels frame, const std::string& filter, const Record& settings, const Record& options,
                        const RenderControl& control) {
  ScriptCall call("");
  const uint32_t id = FilterId(filter);
  if (frame.depth.empty()) throw ScriptError("the filters need the frame's depth");
  auto image = ImageOf(frame);
  frame = {};  // the copy is what renders
  // As a frame of a project: background depths at the farthest depth.
  auto* depth = image->GetLayer<depthBitmap>();
  depth->ReplaceBackgroundDepth(depth->GetMaxDepth());

  ProjectSession session;
  ProjectData& project = session.Project();
  project.SetCurrentImage(std::move(image));
  DepthFilterCommand* command = FindFilter(session, id);
  if (!project.ActivateFilter(command)) call.Fail("the filter cannot start on this frame");
  SetOptions(*command, options);
  auto frameSettings = command->GetCurrentSettings().Clone();
  project.GetTrack().GetSettingsAt(*frameSettings, 0);
  SetSettings(*frameSettings, settings);
  if (call.HasComplained()) call.Fail("the settings were refused");

  call.UserInterface().shouldStop = control.shouldStop;
  auto limit = ThreadLimit(control.threads);
  // The script's stop request is the Cancel of the user interface's progress.
  UserInterfaceProgress progress;
  auto result = command->RenderFrame(*frameSettings, 1, 1, progress);
  if (!result) call.Fail(control.shouldStop && control.shouldStop() ? "the render was stopped" : "the frame could not be rendered");
  return PixelsOf(*result);
}

std::string WriteFrame(const std::string& path, const FramePixels& frame, const std::string& compression) {
  ScriptCall call(path);
  auto image = ImageOf(frame);
  C2DIo output(AbsolutePath(path), kIoSaving);
  output.SetCompression(CompressionOf(compression));
  if (output.PrepareSaving(*image, 1) != 1 || !output.Save(*image, -1)) call.Fail(output.GetError());
  return output.GetWarning();
}

// --- Projects ---

ScriptProject::ScriptProject() : session_(std::make_unique<ProjectSession>()) {}

ScriptProject::~ScriptProject() {
  std::lock_guard lock(CoreMutex());
  session_.reset();
}

std::unique_ptr<ScriptProject> ScriptProject::Open(const std::string& path) {
  ScriptCall call(path);
  if (!std::filesystem::is_regular_file(path)) throw ScriptError(path + ": no such project file");
  std::unique_ptr<ScriptProject> project(new ScriptProject);
  CFovaraDoc& document = project->session_->Document();
  if (!document.OnOpenDocument(AbsolutePath(path))) {
    call.Fail(document.GetLastError().empty() ? "cannot be opened" : document.GetLastError());
  }
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
  auto filters = project->session_->Frame().GetFilters();
  for (size_t i = 0; i < filters.size(); ++i) {
    if (filters[i]->GetID() == id) call.UserInterface().filterChoice = int(i);
  }
  project->session_->Project().Frames().SetImageView(view);
  if (!project->session_->Document().NewProjectFrom(AbsolutePath(image), AbsolutePath(depth))) {
    call.Fail("cannot make a project from it");
  }
  return project;
}

std::string ScriptProject::GetPath() const { return session_->Document().GetPathName(); }

std::string ScriptProject::GetFilterName() const {
  DepthFilterCommand* filter = CurrentFilterCommand(session_->Project());
  return filter ? FilterNameOf(filter->GetID()) : std::string();
}

std::vector<std::string> ScriptProject::GetImages() const { return session_->Project().GetImageNames(); }

int ScriptProject::GetFrameCount() const { return std::max(0, session_->Project().GetTrack().GetLastFrame()) + 1; }

bool ScriptProject::IsModified() const { return session_->Document().IsProjectModified(); }

std::vector<int> ScriptProject::GetKeyframeFrames() const {
  const KeyframeTrack& track = session_->Project().GetTrack();
  std::vector<int> frames;
  for (int i = 0; i < track.GetCount(); ++i) frames.push_back(track.GetAt(i)->GetFrameNumber());
  return frames;
}

Record ScriptProject::GetSettings(int frame) const {
  ScriptCall call(GetPath());
  if (frame < 0) throw ScriptError("frames count from 0");
  ProjectData& project = session_->Project();
  auto settings = project.GetFilter()->GetCurrentSettings().Clone();
  project.GetTrack().GetSettingsAt(*settings, frame);
  CCustomData data;
  settings->StoreEveryField(data);
  return RecordOf(data);
}

void ScriptProject::SetKeyframe(int frame, const Record& changes) {
  ScriptCall call(GetPath());
  ProjectData& project = session_->Project();
  KeyframeTrack& track = project.GetTrack();
  if (frame < 0) throw ScriptError("frames count from 0");
  if (track.GetMode() == kSequenceMode && frame > track.GetLastFrame()) {
    throw ScriptError(fmt::format("frame {} is beyond the sequence's last frame {}", frame, track.GetLastFrame()));
  }
  if (track.GetMode() != kSequenceMode && frame > kMaxSingleImageFrame) {
    throw ScriptError(fmt::format("frame {} is beyond the last frame of a single image's animation, {}", frame,
                                  kMaxSingleImageFrame));
  }
  DepthFilterCommand* filter = CurrentFilterCommand(project);
  auto settings = filter->GetCurrentSettings().Clone();
  track.GetSettingsAt(*settings, frame);
  SetSettings(*settings, changes);
  track.SetKeyframe(frame, *settings);
  // The filter renders what the track now gives for the frame it is on.
  filter->GoToFrame(track.GetCurrentFrame());
  project.NotifyChanged(kChangeModifiedOnly);
}

void ScriptProject::RemoveKeyframe(int frame) {
  ScriptCall call(GetPath());
  ProjectData& project = session_->Project();
  KeyframeTrack& track = project.GetTrack();
  if (frame == 0) throw ScriptError("frame 0 keeps its keyframe: every later frame starts from it");
  if (track.FindKeyframe(frame) == -1) throw ScriptError(fmt::format("frame {} is not a keyframe", frame));
  track.RemoveKeyframe(frame);
  project.GetFilter()->GoToFrame(track.GetCurrentFrame());
  project.NotifyChanged(kChangeModifiedOnly);
}

Record ScriptProject::GetOptions() const {
  ScriptCall call(GetPath());
  CCustomData data;
  CurrentFilterCommand(session_->Project())->StoreOptions(data);
  return RecordOf(data);
}

void ScriptProject::SetOptions(const Record& changes) {
  ScriptCall call(GetPath());
  ProjectData& project = session_->Project();
  ::SetOptions(*CurrentFilterCommand(project), changes);
  if (call.HasComplained()) call.Fail("the options were refused");
  project.NotifyChanged(kChangeModifiedOnly);
}

void ScriptProject::Save(const std::string& path) {
  ScriptCall call(path.empty() ? GetPath() : path);
  if (path.empty() && GetPath().empty()) throw ScriptError("a new project is saved under a path first");
  CFovaraDoc& document = session_->Document();
  if (!document.OnSaveDocument(AbsolutePath(path.empty() ? GetPath() : path))) {
    call.Fail("cannot be saved: " + document.GetLastError());
  }
}

RenderReport ScriptProject::Render(const RenderRequest& request, const RenderControl& control) {
  ScriptCall call(GetPath());
  ProjectData& project = session_->Project();
  const FrameRange range = FramesOf(request, project);
  const std::string outputName = OutputName(request, project);
  std::error_code ec;
  std::filesystem::create_directories(CFileInfo(outputName).GetPath(), ec);
  C2DIo output(outputName, kIoSaving);
  output.SetNumberWidth(OutputNumberWidth(project));
  output.SetCompression(CompressionOf(request.compression));
  if (output.PrepareSaving(*project.GetCurrentImage(), range.last - range.first + 1) != 1) call.Fail(output.GetError());

  RenderReport report;
  bool stopAsked = false;
  RenderJob job;
  job.first = range.first;
  job.last = range.last;
  job.output = &output;
  job.skipExisting = request.skipExisting;
  job.keepLastResult = false;
  job.onFrameDone = [&](int index, int count, const std::string& file, bool kept) {
    report.files.push_back(file);
    if (!stopAsked && control.onFrame && !control.onFrame(index, count, file, kept)) stopAsked = true;
  };
  call.UserInterface().shouldStop = [&] { return stopAsked || (control.shouldStop && control.shouldStop()); };
  auto limit = ThreadLimit(control.threads);
  RenderOutcome outcome = RunRenderJob(project, job);
  report.rendered = outcome.rendered;
  report.kept = outcome.skipped;
  report.cancelled = outcome.cancelled;
  if (!outcome.saveError.empty()) throw ScriptError(outcome.saveError);
  if (call.HasComplained()) call.Fail("some frames could not be rendered");
  return report;
}
