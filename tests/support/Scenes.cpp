#include "support/Scenes.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "platform/image/FloatLayers.h"
#include "platform/image/PixelConversion.h"
#include "platform/image/RlaRowEnds.h"

namespace {

// --- Layers from functions ---

std::unique_ptr<rgbBitmap> MakeColour(int width, int height, const ColourFn& colour) {
  auto layer = std::make_unique<rgbBitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = layer->GetLine(y);
    for (int x = 0; x < width; ++x) {
      Rgb c = colour(x, y);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
  }
  return layer;
}

template <typename Layer, typename Fn>
std::unique_ptr<Layer> MakeSingleChannel(int width, int height, const Fn& value) {
  auto layer = std::make_unique<Layer>(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = layer->GetLine(y);
    for (int x = 0; x < width; ++x) row[x] = value(x, y);
  }
  return layer;
}

// --- Planes scene geometry ---

struct PlanesGeometry {
  int midLeft, midRight, midTop, midBottom;  // half-open rectangle
  int discX, discY, discRadius;
  int checkSize;

  PlanesGeometry(int w, int h)
      : midLeft(w / 8), midRight(w / 2), midTop(h / 4), midBottom(3 * h / 4),
        discX(3 * w / 4), discY(h / 2), discRadius(std::max(1, std::min(w / 5, h / 3))),
        checkSize(std::max(2, std::min(w, h) / 8)) {}

  double DiscDistance(int x, int y) const { return std::hypot(double(x - discX), double(y - discY)); }
  bool InDisc(int x, int y) const { return DiscDistance(x, y) <= discRadius; }
  bool InMid(int x, int y) const { return x >= midLeft && x < midRight && y >= midTop && y < midBottom; }
};

// --- Writing with the image library directly ---

// sRGB-encoded byte to linear light, written out here rather than taken from the program so that
// files made for tests do not share the reader's assumptions.
float FixtureLinear(double c) { return float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4)); }

struct FixtureChannel {
  std::string name;
  OIIO::TypeDesc type;
  std::function<float(int x, int y)> value;
};
using FixturePart = std::vector<FixtureChannel>;

OIIO::ImageSpec FixtureSpec(int width, int height, const FixturePart& part, const std::string& partName,
                            bool eightBitPicture) {
  OIIO::ImageSpec imageSpec(width, height, int(part.size()), part[0].type);
  imageSpec.channelnames.clear();
  for (int c = 0; c < int(part.size()); ++c) {
    imageSpec.channelnames.push_back(part[c].name);
    imageSpec.channelformats.push_back(part[c].type);
    if (part[c].name == "A") imageSpec.alpha_channel = c;
    if (part[c].name == "Z") imageSpec.z_channel = c;
  }
  if (!partName.empty()) imageSpec.attribute("oiio:subimagename", partName);
  imageSpec.attribute("oiio:UnassociatedAlpha", 1);
  if (eightBitPicture) imageSpec.attribute(kPictureAttribute, kEightBitPicture);
  return imageSpec;
}

std::vector<float> FixturePixels(int width, int height, const FixturePart& part) {
  std::vector<float> pixels(size_t(width) * height * part.size());
  size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (const auto& ch : part) pixels[i++] = ch.value(x, y);
    }
  }
  return pixels;
}

void WriteFixture(const std::string& path, const std::string& plugin, int width, int height,
                  const std::vector<FixturePart>& parts, bool eightBitPicture = false) {
  auto out = OIIO::ImageOutput::create(plugin);
  if (!out) throw std::runtime_error("no " + plugin + " writer");
  std::vector<OIIO::ImageSpec> specs;
  for (size_t p = 0; p < parts.size(); ++p) {
    specs.push_back(FixtureSpec(width, height, parts[p], parts.size() > 1 ? "part" + std::to_string(p) : "",
                                eightBitPicture));
  }
  bool ok = out->open(path, int(specs.size()), specs.data());
  for (size_t p = 0; ok && p < parts.size(); ++p) {
    if (p > 0) ok = out->open(path, specs[p], OIIO::ImageOutput::AppendSubimage);
    std::vector<float> pixels = FixturePixels(width, height, parts[p]);
    ok = ok && out->write_image(OIIO::TypeDesc::FLOAT, pixels.data());
  }
  ok = out->close() && ok;
  if (!ok) throw std::runtime_error(path + ": " + out->geterror());
}

// The depth a file stores for a depth of the image.
std::function<float(int, int)> StoredDepth(const depthBitmap& depth, const DepthFileOptions& options) {
  float farthest = depth.GetMaxDepth();
  return [&depth, farthest, options](int x, int y) {
    float d = depth.GetPixelDepth(x, y);
    if (options.backgroundMarker && (IsBackgroundDepth(d) || d == farthest)) d = *options.backgroundMarker;
    return options.negativeZ ? -d : d;
  };
}

const depthBitmap& RequireDepth(const CLayerBitmap& image, const std::string& path) {
  const depthBitmap* depth = image.GetLayer<depthBitmap>();
  if (!depth) throw std::runtime_error(path + ": the image has no depth layer to write");
  return *depth;
}

// Layers hold colour premultiplied by alpha in its encoded values. Byte files store those bytes
// as they are (RLA keeps premultiplied colour); linear files store alpha x the linear value of the
// straight colour, as renderers write them.
std::function<float(int, int)> ColourValue(const CLayerBitmap& image, int k, bool linear) {
  const rgbBitmap* colour = image.GetLayer<rgbBitmap>();
  const alphaBitmap* alpha = image.GetLayer<alphaBitmap>();
  if (!colour) return [](int, int) { return 0.0f; };
  return [colour, alpha, k, linear](int x, int y) {
    uint8_t v = colour->GetLine(y)[3 * x + k];
    if (!linear) return v / 255.0f;
    uint8_t a = alpha ? alpha->GetLine(y)[x] : 255;
    if (a == 0 || a == 255) return FixtureLinear(v / 255.0);
    return float(a / 255.0 * FixtureLinear(double(v) / a));
  };
}

std::function<float(int, int)> AlphaValue(const alphaBitmap& alpha) {
  return [&alpha](int x, int y) { return alpha.GetLine(y)[x] / 255.0f; };
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

void Save(const std::string& path, const CLayerBitmap& image) {
  C2DIo io(path, kIoSaving);
  if (!io.PrepareSaving(image, 1) || !io.Save(image, -1)) throw std::runtime_error(io.GetError());
}

std::string Numbered(const std::string& root, int number, int digits, const std::string& ext) {
  std::string n = std::to_string(number);
  if (int(n.size()) < digits) n.insert(0, size_t(digits) - n.size(), '0');
  return root + n + ext;
}

// Writes one frame's depth file of the given ending.
void WriteDepthCompanion(const std::string& path, const std::string& depthExt, const CLayerBitmap& frame,
                         const DepthFileOptions& fileOptions) {
  std::string ext = Lower(depthExt);
  DepthFileOptions depthOnly = fileOptions;
  depthOnly.withColour = false;
  if (ext == ".rla" || ext == ".rpf") {
    WriteRlaWithDepth(path, frame, depthOnly);
  } else if (ext == ".exr") {
    WriteExrWithDepth(path, frame, depthOnly);
  } else if (ext == ".zpic" || ext == ".qel") {
    WriteDepthOnly(path, RequireDepth(frame, path));
  } else {
    WriteDepthPicture(path, RequireDepth(frame, path), true);
  }
}

}  // namespace

std::unique_ptr<CLayerBitmap> MakeImage(int width, int height, const ColourFn& colour, const DepthFn& depth,
                                        bool withAlpha, const AlphaFn& alpha) {
  auto image = std::make_unique<CLayerBitmap>();
  if (colour) image->AddLayer(MakeColour(width, height, colour));
  if (depth) image->AddLayer(MakeSingleChannel<depthBitmap>(width, height, depth));
  if (withAlpha) {
    AlphaFn a = alpha ? alpha : [](int, int) { return uint8_t(255); };
    image->AddLayer(MakeSingleChannel<alphaBitmap>(width, height, a));
  }
  return image;
}

Rgb PixelColour(const CLayerBitmap& image, int x, int y) {
  if (HasFloatColour(image)) return PixelColour(*EncodeFloatLayers(*image.Crop(kColourMask | kAlphaMask, {x, y, 1, 1})), 0, 0);
  const rgbBitmap* colour = image.GetLayer<rgbBitmap>();
  if (!colour) throw std::logic_error("the image has no colour layer");
  const uint8_t* p = colour->GetLine(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

uint8_t PixelAlpha(const CLayerBitmap& image, int x, int y) {
  if (const auto* floatAlpha = image.GetLayer<alphaFloatBitmap>()) return UnitToByte(floatAlpha->GetLine(y)[x]);
  const alphaBitmap* alpha = image.GetLayer<alphaBitmap>();
  if (!alpha) throw std::logic_error("the image has no alpha layer");
  return alpha->GetLine(y)[x];
}

ScenePart PlanesScenePartAt(int width, int height, int x, int y) {
  PlanesGeometry g(width, height);
  if (g.InDisc(x, y)) return ScenePart::Near;
  if (g.InMid(x, y)) return ScenePart::Mid;
  return ScenePart::Far;
}

ScenePoint PlanesScenePoint(int width, int height, ScenePart part) {
  PlanesGeometry g(width, height);
  switch (part) {
    case ScenePart::Near: return {g.discX, g.discY};
    case ScenePart::Mid: return {(g.midLeft + g.midRight) / 2, (g.midTop + g.midBottom) / 2};
    case ScenePart::Far: break;
  }
  return {(g.midLeft + g.midRight) / 2, g.midTop / 2};
}

Rgb PlanesSceneColour(int width, int height, int x, int y) {
  PlanesGeometry g(width, height);
  switch (PlanesScenePartAt(width, height, x, y)) {
    case ScenePart::Near: {
      double t = g.DiscDistance(x, y) / g.discRadius;
      return {30, uint8_t(250 - 130 * t), 60};
    }
    case ScenePart::Mid:
      return (y / 3) % 2 ? Rgb{240, 200, 40} : Rgb{200, 40, 40};
    case ScenePart::Far:
      break;
  }
  return ((x / g.checkSize + y / g.checkSize) % 2) ? Rgb{230, 230, 240} : Rgb{40, 70, 170};
}

float PlanesSceneDepth(const PlanesSceneOptions& options, ScenePart part) {
  switch (part) {
    case ScenePart::Near: return options.nearDepth;
    case ScenePart::Mid: return options.midDepth;
    case ScenePart::Far: break;
  }
  return options.backgroundDepth.value_or(options.farDepth);
}

std::unique_ptr<CLayerBitmap> MakePlanesScene(int width, int height, const PlanesSceneOptions& options) {
  // With alpha, colour is held premultiplied: the far plane's colour is scaled by its alpha.
  auto colour = [=](int x, int y) {
    Rgb c = PlanesSceneColour(width, height, x, y);
    if (!options.withAlpha || PlanesScenePartAt(width, height, x, y) != ScenePart::Far) return c;
    auto scale = [&](uint8_t v) { return uint8_t((v * options.farAlpha + 127) / 255); };
    return Rgb{scale(c.r), scale(c.g), scale(c.b)};
  };
  return MakeImage(
      width, height, colour,
      [=](int x, int y) { return PlanesSceneDepth(options, PlanesScenePartAt(width, height, x, y)); },
      options.withAlpha,
      [=](int x, int y) {
        return PlanesScenePartAt(width, height, x, y) == ScenePart::Far ? options.farAlpha : uint8_t(255);
      });
}

void WriteImage(const std::string& path, const CLayerBitmap& image) { Save(path, image); }

void WriteDepthOnly(const std::string& path, const depthBitmap& depth) {
  CLayerBitmap image(depth.Copy());
  Save(path, image);
}

void WriteDepthPicture(const std::string& path, const depthBitmap& depth, bool lightIsNear) {
  std::unique_ptr<Bitmap> grey = depth.GetDepthPicture(kGreyBitmap, 1, 1.0f);
  if (!lightIsNear) {
    auto* g = static_cast<g8Bitmap*>(grey.get());
    for (size_t i = 0; i < g->GetValueCount(); ++i) g->GetData()[i] = uint8_t(255 - g->GetData()[i]);
  }
  CLayerBitmap image(std::move(grey));
  Save(path, image);
}

void WriteRlaWithDepth(const std::string& path, const CLayerBitmap& image, const DepthFileOptions& options) {
  const depthBitmap& depth = RequireDepth(image, path);
  FixturePart part;
  for (int k = 0; k < 3; ++k) {
    auto value = options.withColour ? ColourValue(image, k, false) : [](int, int) { return 0.0f; };
    part.push_back({std::string(1, "RGB"[k]), options.floatColour ? OIIO::TypeDesc::FLOAT : OIIO::TypeDesc::UINT8,
                    value});
  }
  const alphaBitmap* alpha = image.GetLayer<alphaBitmap>();
  if (alpha && options.withColour) part.push_back({"A", OIIO::TypeDesc::UINT8, AlphaValue(*alpha)});
  part.push_back({"Z", OIIO::TypeDesc::FLOAT, StoredDepth(depth, options)});
  int width = image.GetWidth();
  WriteFixture(path, "rla", width, image.GetHeight(), {part});
  // The library's RLA writer gets some row ends wrong; see RlaRowEnds.h.
  std::vector<bool> byteChannels;
  for (const auto& ch : part) byteChannels.push_back(ch.type == OIIO::TypeDesc::UINT8);
  std::string error;
  bool repaired = RepairRlaRowEnds(path, width, image.GetHeight(), byteChannels, [&](int y, int c) {
    return uint8_t(std::lround(part[c].value(width - 1, y) * 255.0f));
  }, error);
  if (!repaired) throw std::runtime_error(path + ": " + error);
}

void WriteExrWithDepth(const std::string& path, const CLayerBitmap& image, const DepthFileOptions& options) {
  const depthBitmap& depth = RequireDepth(image, path);
  std::string layer = options.multilayer ? "ViewLayer.Combined." : "";
  std::string depthName = !options.depthChannel.empty() ? options.depthChannel
                          : options.multilayer          ? "ViewLayer.Depth.Z"
                                                        : "Z";
  FixturePart colour;
  if (options.withColour && image.GetLayer<rgbBitmap>()) {
    for (int k = 0; k < 3; ++k) {
      colour.push_back({layer + std::string(1, "RGB"[k]), OIIO::TypeDesc::HALF, ColourValue(image, k, true)});
    }
    if (const alphaBitmap* alpha = image.GetLayer<alphaBitmap>()) {
      colour.push_back({layer + "A", OIIO::TypeDesc::HALF, AlphaValue(*alpha)});
    }
  }
  FixtureChannel z{depthName, OIIO::TypeDesc::FLOAT, StoredDepth(depth, options)};
  std::vector<FixturePart> parts;
  if (colour.empty()) {
    parts = {{z}};
  } else if (options.depthInSeparatePart) {
    parts = {colour, {z}};
  } else {
    colour.push_back(z);
    parts = {colour};
  }
  WriteFixture(path, "openexr", image.GetWidth(), image.GetHeight(), parts, !colour.empty() && options.markEightBit);
}

PlanesSceneOptions SequenceFrameScene(const SequenceOptions& options, int k) {
  PlanesSceneOptions scene = options.scene;
  scene.farDepth += k * options.depthStep;
  scene.midDepth += k * options.depthStep;
  scene.nearDepth += k * options.depthStep;
  return scene;
}

std::vector<std::string> WriteSequence(const std::string& folder, const std::string& root, int firstNumber,
                                       int count, int digits, const std::string& imageExt,
                                       const std::string& depthExt, int width, int height,
                                       const SequenceOptions& options) {
  std::vector<std::string> names;
  std::string ext = Lower(imageExt);
  for (int k = 0; k < count; ++k) {
    auto frame = MakePlanesScene(width, height, SequenceFrameScene(options, k));
    std::string name = Numbered(root, firstNumber + k, digits, imageExt);
    std::string path = folder + name;
    if (!depthExt.empty()) {
      CLayerBitmap picture;
      picture.CopyLayers(*frame, kRgbBitmap | kAlphaBitmap);
      WriteImage(path, picture);
      WriteDepthCompanion(folder + Numbered(root, firstNumber + k, digits, depthExt), depthExt, *frame,
                          options.depthFile);
    } else if (ext == ".rla" || ext == ".rpf") {
      WriteRlaWithDepth(path, *frame, options.depthFile);
    } else if (ext == ".exr") {
      WriteExrWithDepth(path, *frame, options.depthFile);
    } else if (ext == ".qel") {
      WriteImage(path, *frame);
    } else {
      throw std::invalid_argument(imageExt + " images cannot carry their own depth");
    }
    names.push_back(name);
  }
  return names;
}

std::unique_ptr<CLayerBitmap> ReadShown(const std::string& path, int flags) {
  auto image = ReadLayered(path, flags);
  return image ? EncodeFloatLayers(*image) : nullptr;
}

std::unique_ptr<CLayerBitmap> ReadLayered(const std::string& path, int flags, std::string* error) {
  C2DIo io(path, flags);
  std::unique_ptr<CLayerBitmap> image;
  if (io.PrepareReading()) image = io.Read();
  if (error) *error = io.GetError();
  return image;
}
