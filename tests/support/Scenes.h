#pragma once
// Scene generators shared by every test area: layered images made from functions, a scene of
// planes at known depths, and writers of image and depth files in every supported format.
// Writers throw std::runtime_error (with the reason) when a file cannot be written, so a test
// that uses them fails with a message instead of testing a missing file.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/image/ImageIo.h"
#include "platform/image/LayerBitmap.h"

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

using ColourFn = std::function<Rgb(int x, int y)>;
using DepthFn = std::function<float(int x, int y)>;
using AlphaFn = std::function<uint8_t(int x, int y)>;

// A layered image: a colour layer from colour, a depth layer from depth, and an alpha layer when
// withAlpha (from alpha, or opaque when alpha is empty). An empty colour or depth function
// leaves that layer out.
std::unique_ptr<CLayerBitmap> MakeImage(int width, int height, const ColourFn& colour, const DepthFn& depth = {},
                                        bool withAlpha = false, const AlphaFn& alpha = {});

// The colour of pixel (x, y) of a layer, and its alpha.
Rgb PixelColour(const CLayerBitmap& image, int x, int y);
uint8_t PixelAlpha(const CLayerBitmap& image, int x, int y);

// --- The planes scene ---
// A far plane filling the frame (blue and white checks), a mid plane (red and yellow stripes)
// over the left half, and a near green disc on the right that overlaps nothing else. Depths are
// constant per part, so every pixel's depth is known.

enum class ScenePart { Far, Mid, Near };

struct PlanesSceneOptions {
  float farDepth = 100.0f;
  float midDepth = 40.0f;
  float nearDepth = 10.0f;
  // When set, the far plane holds this background marker (1e30f, infinity) instead of farDepth.
  std::optional<float> backgroundDepth;
  bool withAlpha = false;
  uint8_t farAlpha = 0;  // alpha of the far plane, whose colour is premultiplied by it; the mid
                         // plane and the disc are opaque
};

struct ScenePoint {
  int x = 0;
  int y = 0;
};

ScenePart PlanesScenePartAt(int width, int height, int x, int y);
// A pixel well inside a part (at least two pixels from its edges when the image allows).
ScenePoint PlanesScenePoint(int width, int height, ScenePart part);
Rgb PlanesSceneColour(int width, int height, int x, int y);
float PlanesSceneDepth(const PlanesSceneOptions& options, ScenePart part);
std::unique_ptr<CLayerBitmap> MakePlanesScene(int width, int height, const PlanesSceneOptions& options = {});

// --- Writers ---

// Through the program's own writer: colour (or grey) [+ alpha] [+ depth when the format keeps it].
void WriteImage(const std::string& path, const CLayerBitmap& image);
// A depth companion file (.zpic, .qel, .rla, .rpf, .exr) holding the depth only, as the program
// writes it.
void WriteDepthOnly(const std::string& path, const depthBitmap& depth);
// A grey depth picture ("shot.z.tga"): linear from the nearest to the farthest depth, background
// black when light is near, white when light is far.
void WriteDepthPicture(const std::string& path, const depthBitmap& depth, bool lightIsNear);

// How the files written below store their depth, as various renderers do.
struct DepthFileOptions {
  bool negativeZ = false;  // stores -depth (camera-space Z looking down -Z)
  // Stored instead of the farthest depth and of background depths (1e30f, infinity); with
  // negativeZ it is stored negated too.
  std::optional<float> backgroundMarker;
  // OpenEXR: "ViewLayer.Combined.R/G/B/A" and "ViewLayer.Depth.Z".
  bool multilayer = false;
  // OpenEXR: the depth channel in a second part of a multi-part file.
  bool depthInSeparatePart = false;
  // Overrides the depth channel's name ("Depth.V", "depth"); empty: "Z" or the multilayer name.
  std::string depthChannel;
  bool withColour = true;  // false: depth only (RLA keeps black colour beside it)
  // RLA: colour as 32-bit floats holding the 8-bit values divided by 255, as production
  // pipelines write it (the matte stays 8-bit).
  bool floatColour = false;
  // OpenEXR: the 8-bit colour is marked as an 8-bit picture (as the program marks what it writes
  // from bytes), so it reads back as those bytes; false: a float render, read as float colour.
  bool markEightBit = true;
};

// Written directly with the image library, independently of the program's writer: 8-bit colour
// [+ alpha] and 32-bit float Z. A ".rpf" name gets RLA content.
void WriteRlaWithDepth(const std::string& path, const CLayerBitmap& image, const DepthFileOptions& options = {});
// Written directly with the image library: linear half colour [+ alpha] and float depth.
void WriteExrWithDepth(const std::string& path, const CLayerBitmap& image, const DepthFileOptions& options = {});

// --- Sequences ---

struct SequenceOptions {
  PlanesSceneOptions scene;
  // Frame k (counted from 0) has every object depth moved back by k * depthStep.
  float depthStep = 1.0f;
  // How .rla, .rpf and .exr files store depth.
  DepthFileOptions depthFile;
};

// The scene of frame k of a sequence.
PlanesSceneOptions SequenceFrameScene(const SequenceOptions& options, int k);

// Writes count frames numbered from firstNumber with digits digits: root0007.tga and so on in
// folder (which ends with a separator). depthExt names the companion depth files (".zpic",
// ".qel", ".rla", ".rpf", ".exr", or a picture ending such as ".z.tga" for depth pictures with
// light near); an empty depthExt makes the images carry their own depth (imageExt ".rla", ".rpf",
// ".exr" or ".qel"). Returns the image names, without folder, in frame order.
std::vector<std::string> WriteSequence(const std::string& folder, const std::string& root, int firstNumber,
                                       int count, int digits, const std::string& imageExt,
                                       const std::string& depthExt, int width, int height,
                                       const SequenceOptions& options = {});

// --- Reading ---

// The file as the program reads it (flags kIoOnePicture or kIoWithDepth); null when it cannot be
// read, with the reader's message in *error when given.
std::unique_ptr<CLayerBitmap> ReadLayered(const std::string& path, int flags = kIoWithDepth,
                                          std::string* error = nullptr);
// The same as the screen and the 8-bit formats show it: float colour and alpha as display bytes.
std::unique_ptr<CLayerBitmap> ReadShown(const std::string& path, int flags = kIoWithDepth);
