#include "cli/SampleScene.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <fmt/format.h>

#include "platform/image/ImageIo.h"

namespace {

struct Vec {
  double x, y, z;
  Vec operator+(const Vec& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec operator*(double f) const { return {x * f, y * f, z * f}; }
  double Dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
  Vec Normalised() const { return *this * (1.0 / std::sqrt(Dot(*this))); }
};

struct Sphere {
  Vec centre;
  double radius;
  std::array<double, 3> colour;
};

struct Hit {
  double distance = 1e300;
  Vec normal{0, 1, 0};
  std::array<double, 3> colour{0, 0, 0};
  bool ground = false;
};

constexpr double kGroundHeight = -1.0;
const Vec kLight = Vec{-0.5, 1.0, -0.4}.Normalised();

void HitSphere(const Sphere& s, const Vec& origin, const Vec& dir, Hit& hit) {
  Vec oc = origin - s.centre;
  double b = oc.Dot(dir);
  double c = oc.Dot(oc) - s.radius * s.radius;
  double disc = b * b - c;
  if (disc < 0) return;
  double t = -b - std::sqrt(disc);
  if (t <= 1e-6 || t >= hit.distance) return;
  hit.distance = t;
  hit.normal = (origin + dir * t - s.centre).Normalised();
  hit.colour = s.colour;
  hit.ground = false;
}

void HitGround(const Vec& origin, const Vec& dir, Hit& hit) {
  if (dir.y >= -1e-9) return;
  double t = (kGroundHeight - origin.y) / dir.y;
  if (t <= 0 || t >= hit.distance) return;
  Vec p = origin + dir * t;
  bool light = (int(std::floor(p.x)) + int(std::floor(p.z))) % 2 == 0;
  hit.distance = t;
  hit.normal = {0, 1, 0};
  hit.colour = light ? std::array<double, 3>{0.85, 0.82, 0.74} : std::array<double, 3>{0.25, 0.3, 0.35};
  hit.ground = true;
}

uint8_t ToByte(double v) { return uint8_t(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

// One frame: the camera moves forward by `travel` along z.
CLayerBitmap RenderFrame(const SampleSceneOptions& o, double travel) {
  const std::array<Sphere, 3> spheres = {{
      {{-1.1, -0.35, 4.0}, 0.65, {0.9, 0.2, 0.15}},
      {{0.9, -0.1, 9.0}, 0.9, {0.2, 0.75, 0.3}},
      {{-2.5, 0.6, 22.0}, 1.6, {0.2, 0.35, 0.9}},
  }};
  auto colour = std::make_unique<rgbBitmap>(o.width, o.height);
  auto depth = std::make_unique<depthBitmap>(o.width, o.height);
  const Vec origin{0.0, 0.0, travel};
  const double aspect = double(o.width) / o.height;
  for (int y = 0; y < o.height; ++y) {
    uint8_t* c = colour->GetLine(y);
    float* d = depth->GetLine(y);
    for (int x = 0; x < o.width; ++x) {
      double u = ((x + 0.5) / o.width * 2.0 - 1.0) * aspect * 0.6;
      double v = (1.0 - (y + 0.5) / o.height * 2.0) * 0.6;
      Vec dir = Vec{u, v, 1.0}.Normalised();
      Hit hit;
      for (const auto& s : spheres) HitSphere(s, origin, dir, hit);
      HitGround(origin, dir, hit);
      std::array<double, 3> rgb;
      if (hit.distance < 1e299 && hit.distance < 400.0) {
        double shade = 0.35 + 0.65 * std::max(0.0, hit.normal.Dot(kLight));
        for (int k = 0; k < 3; ++k) rgb[size_t(k)] = hit.colour[size_t(k)] * shade;
        // Camera-space depth: distance along the viewing axis.
        d[x] = float(hit.distance * dir.z);
      } else {
        double sky = std::clamp(v * 1.5 + 0.2, 0.0, 1.0);
        rgb = {0.55 + 0.2 * sky, 0.7 + 0.15 * sky, 0.95};
        d[x] = 1e30f;  // background
      }
      for (int k = 0; k < 3; ++k) c[3 * x + k] = ToByte(rgb[size_t(k)]);
    }
  }
  CLayerBitmap image(std::move(colour));
  image.AddLayer(std::move(depth));
  return image;
}

bool WriteLayer(const std::string& path, std::unique_ptr<Bitmap> layer, std::string& error) {
  CLayerBitmap image(std::move(layer));
  C2DIo writer(path, kIoSaving);
  if (!writer.PrepareSaving(image, 1) || !writer.Save(image, -1)) {
    error = writer.GetError();
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> WriteSampleScene(const std::string& folder, const SampleSceneOptions& options,
                                          std::string& error) {
  std::vector<std::string> names;
  for (int k = 0; k < options.frames; ++k) {
    CLayerBitmap frame = RenderFrame(options, 0.25 * k);
    std::string base = fmt::format("{}{}{:04d}", folder, options.root, k + 1);
    if (!WriteLayer(base + ".png", frame.DetachBitmap(kRgbBitmap), error)) return {};
    if (!WriteLayer(base + ".zpic", frame.DetachBitmap(kDepthBitmap), error)) return {};
    names.push_back(fmt::format("{}{:04d}.png", options.root, k + 1));
  }
  return names;
}
