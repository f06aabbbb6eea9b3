#pragma once
// Pixel images. Every image keeps its pixels in one contiguous vector, row 0 first;
// GetLine(y) gives the row. Whoever receives a new image owns it (std::unique_ptr).

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

enum BitmapType : uint32_t {
  kRgbBitmap = 1,      // 3 bytes a pixel, R G B
  kGreyBitmap = 64,    // 1 byte a pixel
  kAlphaBitmap = 256,  // 1 byte a pixel
  kDepthBitmap = 512,  // one float a pixel: depth, larger is farther
  // Colour and alpha of frames read from floating-point files: linear light, premultiplied by
  // alpha, unclipped (values above 1 are lights brighter than white).
  kRgbFloatBitmap = 2,      // 3 floats a pixel, R G B
  kAlphaFloatBitmap = 1024, // 1 float a pixel
};

// Layer masks: the colour (either kind), the alpha (either kind), and colour with depth.
constexpr uint32_t kColourMask = kRgbBitmap | kRgbFloatBitmap;
constexpr uint32_t kAlphaMask = kAlphaBitmap | kAlphaFloatBitmap;
constexpr uint32_t kColourAndDepthMask = kColourMask | kDepthBitmap;

// Largest image the program will allocate, in pixels (a 32k x 32k frame).
constexpr int64_t kMaxPixelCount = int64_t(32768) * 32768;

class g8Bitmap;

class Bitmap {
 public:
  virtual ~Bitmap() = default;

  virtual BitmapType GetType() const = 0;
  virtual std::unique_ptr<Bitmap> Copy() const = 0;
  virtual int GetChannels() const = 0;
  virtual size_t GetBytesPerPixel() const = 0;

  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  int64_t GetPixelCount() const { return int64_t(width_) * height_; }

  // Raw byte access to a row; typed access is on the concrete classes.
  virtual uint8_t* GetLineBytes(int y) = 0;
  virtual const uint8_t* GetLineBytes(int y) const = 0;

  // A new image of the given type, all zero. Sizes beyond kMaxPixelCount throw std::length_error.
  static std::unique_ptr<Bitmap> Create(BitmapType type, int width, int height);
  // A new image of the model's type and the given size.
  static std::unique_ptr<Bitmap> CreateFrom(const Bitmap& model, int width, int height);

  // A new image of another type. Grey, alpha and colour convert into each other
  // (colour to grey by luminance); depth converts to nothing else and nothing converts to depth.
  // Float colour and float alpha convert to their byte types (and grey) as FloatLayers.h
  // encodes them; nothing converts to them here.
  std::unique_ptr<Bitmap> ConvertToType(BitmapType type) const;

  // The grey view: this image as a g8Bitmap, or null when it is not grey.
  g8Bitmap* AsGrey();
  const g8Bitmap* AsGrey() const;

 protected:
  Bitmap(int width, int height) : width_(width), height_(height) {}

 private:
  int width_;
  int height_;
};

template <typename Pixel, int Channels, BitmapType Type>
class PixelBitmap : public Bitmap {
 public:
  using value_type = Pixel;
  static constexpr BitmapType kType = Type;
  static constexpr int kChannels = Channels;

  PixelBitmap(int width, int height)
      : Bitmap(width, height), data_(CheckedSize(width, height), Pixel{}) {}
  // Takes the values of the whole layer, row 0 first; throws std::length_error unless there are
  // width x height x channels of them.
  PixelBitmap(int width, int height, std::vector<Pixel>&& values) : Bitmap(width, height), data_(std::move(values)) {
    if (data_.size() != CheckedSize(width, height)) throw std::length_error("values do not fill the layer");
  }

  BitmapType GetType() const override { return Type; }
  int GetChannels() const override { return Channels; }
  size_t GetBytesPerPixel() const override { return sizeof(Pixel) * Channels; }

  std::unique_ptr<Bitmap> Copy() const override;

  Pixel* GetLine(int y) { return data_.data() + size_t(y) * size_t(GetWidth()) * Channels; }
  const Pixel* GetLine(int y) const {
    return data_.data() + size_t(y) * size_t(GetWidth()) * Channels;
  }
  uint8_t* GetLineBytes(int y) override { return reinterpret_cast<uint8_t*>(GetLine(y)); }
  const uint8_t* GetLineBytes(int y) const override {
    return reinterpret_cast<const uint8_t*>(GetLine(y));
  }

  Pixel* GetData() { return data_.data(); }
  const Pixel* GetData() const { return data_.data(); }
  size_t GetValueCount() const { return data_.size(); }

 protected:
  static size_t CheckedSize(int width, int height);

 private:
  std::vector<Pixel> data_;
};

class rgbBitmap final : public PixelBitmap<uint8_t, 3, kRgbBitmap> {
 public:
  using PixelBitmap::PixelBitmap;
};

class g8Bitmap final : public PixelBitmap<uint8_t, 1, kGreyBitmap> {
 public:
  using PixelBitmap::PixelBitmap;
};

class alphaBitmap final : public PixelBitmap<uint8_t, 1, kAlphaBitmap> {
 public:
  using PixelBitmap::PixelBitmap;
};

class rgbFloatBitmap final : public PixelBitmap<float, 3, kRgbFloatBitmap> {
 public:
  using PixelBitmap::PixelBitmap;
};

class alphaFloatBitmap final : public PixelBitmap<float, 1, kAlphaFloatBitmap> {
 public:
  using PixelBitmap::PixelBitmap;
};

// Depth values at or beyond this, and values that are not finite (infinity of either sign
// included), mark the background: object depths are always finite.
constexpr float kBackgroundThreshold = 1e10f;
inline bool IsBackgroundDepth(float d) {
  return !(d > -std::numeric_limits<float>::infinity() && d < kBackgroundThreshold);
}

class depthBitmap final : public PixelBitmap<float, 1, kDepthBitmap> {
 public:
  using PixelBitmap::PixelBitmap;

  // Nearest and farthest depth over the pixels that are not background; 0 when there are none.
  float GetMinDepth() const;
  float GetMaxDepth() const;
  // The depth of background pixels: never below any object depth. Without background
  // pixels it is the maximum depth.
  float GetBackgroundDepth() const;
  int64_t GetBackgroundPixelCount() const;
  float GetPixelDepth(int x, int y) const { return GetLine(y)[x]; }
  // Number of pixels whose depth d satisfies lo <= d <= hi.
  int64_t GetPixelNumberInDepthInterval(float lo, float hi) const;
  // Every background pixel takes the given depth.
  void ReplaceBackgroundDepth(float depth);

  // A picture of the depth: type kGreyBitmap or kRgbBitmap. curve 0 is exponential, shaped
  // by factor (0.01 to 1: smaller puts more grey levels in the foreground); curve 1 is linear.
  // Near is light; background pixels are black. The colour form runs a perceptual ramp
  // from dark (far) to bright (near).
  std::unique_ptr<Bitmap> GetDepthPicture(BitmapType type, int curve, float factor) const;
};

namespace zBitmap {
// Depth from a grey picture: light near gives depth 256 - v, light far gives 1 + v,
// so every depth is positive and non-zero and the grey order is kept.
std::unique_ptr<depthBitmap> CreateZBitmap(const g8Bitmap& picture, bool lightIsNear);
}  // namespace zBitmap

template <typename Pixel, int Channels, BitmapType Type>
size_t PixelBitmap<Pixel, Channels, Type>::CheckedSize(int width, int height) {
  if (width < 0 || height < 0 || int64_t(width) * height > kMaxPixelCount) {
    throw std::length_error("image size out of range");
  }
  return size_t(width) * size_t(height) * Channels;
}

template <typename Pixel, int Channels, BitmapType Type>
std::unique_ptr<Bitmap> PixelBitmap<Pixel, Channels, Type>::Copy() const {
  auto copy = Bitmap::Create(Type, GetWidth(), GetHeight());
  auto* typed = static_cast<PixelBitmap*>(copy.get());
  typed->data_ = data_;
  return copy;
}

// Typed downcast helpers; null when the type differs.
template <typename T>
T* BitmapCast(Bitmap* b) {
  return (b && b->GetType() == T::kType) ? static_cast<T*>(b) : nullptr;
}
template <typename T>
const T* BitmapCast(const Bitmap* b) {
  return (b && b->GetType() == T::kType) ? static_cast<const T*>(b) : nullptr;
}
