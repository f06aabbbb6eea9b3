// A new project and the opening of its project file over a long image sequence: both list the
// sequence's folder and find every frame's depth file.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "filters/DepthFilterCommand.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "platform/image/ImageIo.h"
#include "platform/image/ZpicFormat.h"
#include "tools/ProjectSession.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrames = 3000;

// shot0001.png ... with shot0001.zpic ..., written once per process.
const std::string& SequenceFolder() {
  static const std::string folder = [] {
    std::string pattern = (fs::temp_directory_path() / "fovara-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a folder");
    std::string root = pattern + "/";
    setenv("FOVARA_CONFIG_HOME", (root + "config").c_str(), 1);
    auto colour = std::make_unique<rgbBitmap>(8, 8);
    auto depth = std::make_unique<depthBitmap>(8, 8);
    for (int i = 0; i < 64; ++i) depth->GetData()[i] = 10.0f + float(i);
    std::string error;
    if (!WriteZpic(root + "shot0001.zpic", *depth, error)) throw std::runtime_error(error);
    CLayerBitmap image(std::move(colour));
    C2DIo writer(root + "shot0001.png", kIoSaving);
    if (!writer.PrepareSaving(image, 1) || !writer.Save(image, -1)) throw std::runtime_error(writer.GetError());
    for (int frame = 2; frame <= kFrames; ++frame) {
      char name[32];
      std::snprintf(name, sizeof name, "shot%04d", frame);
      fs::copy_file(root + "shot0001.png", root + name + ".png");
      fs::copy_file(root + "shot0001.zpic", root + name + ".zpic");
    }
    return root;
  }();
  return folder;
}

bool NewProject(ProjectSession& session, ScriptedUserInterface& ui) {
  auto filters = session.Frame().GetFilters();
  for (size_t i = 0; i < filters.size(); ++i) {
    if (filters[i]->GetID() == FourCC("FXDS")) ui.filterChoices.push_back(int(i));
  }
  return session.Document().NewProjectFrom(SequenceFolder() + "shot0001.png");
}

void BM_NewProjectOverASequence(benchmark::State& state) {
  SequenceFolder();
  for (auto _ : state) {
    ScriptedUserInterface ui;
    ProjectSession session(ui);
    if (!NewProject(session, ui) || session.Project().Model().GetImageCount() != kFrames) {
      state.SkipWithError("the sequence was not found");
      break;
    }
  }
  state.counters["frames"] = kFrames;
}

void BM_OpenProjectOverASequence(benchmark::State& state) {
  std::string project = SequenceFolder() + "shot.fvz";
  {
    ScriptedUserInterface ui;
    ProjectSession session(ui);
    if (!NewProject(session, ui) || !session.Document().OnSaveDocument(project)) {
      state.SkipWithError("the project could not be made");
      return;
    }
  }
  for (auto _ : state) {
    ScriptedUserInterface ui;
    ProjectSession session(ui);
    if (!session.Document().OnOpenDocument(project) || session.Project().Model().GetImageCount() != kFrames) {
      state.SkipWithError("the project did not open");
      break;
    }
  }
  state.counters["frames"] = kFrames;
}

}  // namespace

BENCHMARK(BM_NewProjectOverASequence)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenProjectOverASequence)->Unit(benchmark::kMillisecond)->Iterations(3);
