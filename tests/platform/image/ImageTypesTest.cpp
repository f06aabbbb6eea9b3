// The image types: bitmaps, layered images, depth queries, depth pictures, display copies, SPix.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/image/DepthRange.h"
#include "platform/image/LayerBitmap.h"
#include "platform/image/NTBitmap.h"
#include "platform/image/SPix.h"
#include "support/ImageCompare.h"
#include "support/Scenes.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::unique_ptr<depthBitmap> DepthRow(std::initializer_list<float> values) {
  auto depth = std::make_unique<depthBitmap>(int(values.size()), 1);
  std::copy(values.begin(), values.end(), depth->GetData());
  return depth;
}

TEST(BitmapTest, CreateMakesZeroedImagesOfEachTypeAndRefusesSizesBeyondTheLimit) {
  for (BitmapType type : {kRgbBitmap, kGreyBitmap, kAlphaBitmap, kDepthBitmap}) {
    auto b = Bitmap::Create(type, 5, 3);
    ASSERT_EQ(b->GetType(), type);
    EXPECT_EQ(b->GetWidth(), 5);
    EXPECT_EQ(b->GetHeight(), 3);
    for (int y = 0; y < 3; ++y) {
      for (size_t i = 0; i < 5 * b->GetBytesPerPixel(); ++i) EXPECT_EQ(b->GetLineBytes(y)[i], 0);
    }
    // Rows are contiguous, row 0 first.
    EXPECT_EQ(b->GetLineBytes(2) - b->GetLineBytes(0), std::ptrdiff_t(2 * 5 * b->GetBytesPerPixel()));
    auto same = Bitmap::CreateFrom(*b, 7, 2);
    EXPECT_EQ(same->GetType(), type);
    EXPECT_EQ(same->GetWidth(), 7);
  }
  EXPECT_THROW(Bitmap::Create(kRgbBitmap, 40000, 40000), std::length_error);
  EXPECT_THROW(Bitmap::Create(kGreyBitmap, -1, 4), std::length_error);
}

TEST(BitmapTest, ConvertToTypeBetweenByteTypesOnly) {
  auto image = MakeImage(3, 1, [](int x, int) {
    return x == 0 ? Rgb{255, 0, 0} : x == 1 ? Rgb{0, 255, 0} : Rgb{255, 255, 255};
  });
  const Bitmap& colour = *image->GetStandardLayer();
  auto grey = colour.ConvertToType(kGreyBitmap);
  ASSERT_TRUE(grey && grey->AsGrey());
  EXPECT_EQ(grey->AsGrey()->GetLine(0)[0], 76);   // luminance of red
  EXPECT_EQ(grey->AsGrey()->GetLine(0)[1], 150);  // of green
  EXPECT_EQ(grey->AsGrey()->GetLine(0)[2], 255);
  auto back = grey->ConvertToType(kRgbBitmap);
  EXPECT_EQ(back->GetLineBytes(0)[3], 150);
  EXPECT_EQ(back->GetLineBytes(0)[5], 150);
  EXPECT_EQ(grey->ConvertToType(kAlphaBitmap)->GetLineBytes(0)[0], 76);
  EXPECT_EQ(colour.AsGrey(), nullptr);

  auto copy = colour.ConvertToType(kRgbBitmap);
  copy->GetLineBytes(0)[0] = 1;
  EXPECT_EQ(colour.GetLineBytes(0)[0], 255) << "a same-type conversion is an independent copy";

  depthBitmap depth(2, 2);
  EXPECT_EQ(depth.ConvertToType(kGreyBitmap), nullptr);
  EXPECT_EQ(colour.ConvertToType(kDepthBitmap), nullptr);
}

TEST(LayerBitmapTest, LayersAreOnePerTypeAndOfOneSize) {
  CLayerBitmap image(std::make_unique<g8Bitmap>(4, 3));
  EXPECT_EQ(image.GetStandardLayer(), image.GetLayerByType(kGreyBitmap));
  EXPECT_TRUE(image.AddLayer(std::make_unique<rgbBitmap>(4, 3)));
  EXPECT_EQ(image.GetStandardLayer(), image.GetLayerByType(kRgbBitmap)) << "colour is preferred to grey";
  EXPECT_FALSE(image.AddLayer(std::make_unique<depthBitmap>(5, 3)));
  EXPECT_EQ(image.GetLayerByType(kDepthBitmap), nullptr);

  auto replacement = std::make_unique<rgbBitmap>(4, 3);
  Bitmap* raw = replacement.get();
  EXPECT_TRUE(image.AddLayer(std::move(replacement)));
  EXPECT_EQ(image.GetLayerByType(kRgbBitmap), raw);
  EXPECT_EQ(image.GetLayerCount(), 2);

  std::unique_ptr<Bitmap> detached = image.DetachBitmap(kRgbBitmap);
  EXPECT_EQ(detached.get(), raw);
  EXPECT_EQ(image.GetLayerByType(kRgbBitmap), nullptr);
  EXPECT_EQ(image.DetachBitmap(kRgbBitmap), nullptr);
  auto all = image.DetachAll();
  EXPECT_EQ(all.size(), 1u);
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.GetWidth(), 0);
}

TEST(LayerBitmapTest, CropCutsTheMaskedLayersAndRefusesRectanglesOutsideTheImage) {
  PlanesSceneOptions options;
  options.withAlpha = true;
  auto scene = MakePlanesScene(32, 24, options);
  auto cut = scene->Crop(kColourAndDepthMask, {4, 3, 10, 8});
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->GetWidth(), 10);
  EXPECT_EQ(cut->GetHeight(), 8);
  EXPECT_EQ(cut->GetLayerCount(), 2) << "alpha is not in the mask";
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      ASSERT_EQ(PixelColour(*cut, x, y), PixelColour(*scene, x + 4, y + 3));
      ASSERT_EQ(cut->GetLayer<depthBitmap>()->GetPixelDepth(x, y), scene->GetLayer<depthBitmap>()->GetPixelDepth(x + 4, y + 3));
    }
  }
  EXPECT_TRUE(scene->Crop(kColourAndDepthMask, {22, 16, 10, 8})) << "touching the corner is inside";
  for (ImageRect outside : {ImageRect{23, 0, 10, 8}, ImageRect{0, 17, 10, 8}, ImageRect{-1, 0, 4, 4},
                            ImageRect{0, 0, 0, 4}, ImageRect{0, 0, 4, -2}}) {
    EXPECT_EQ(scene->Crop(kColourAndDepthMask, outside), nullptr);
  }
  CLayerBitmap greyOnly(std::make_unique<g8Bitmap>(8, 8));
  EXPECT_EQ(greyOnly.Crop(kColourAndDepthMask, {0, 0, 4, 4}), nullptr) << "no layer of the mask";
}

TEST(LayerBitmapTest, CopyLayersCopiesOnlyTheMaskedLayers) {
  auto scene = MakePlanesScene(16, 12);
  auto target = MakeImage(16, 12, [](int, int) { return Rgb{1, 2, 3}; });
  target->CopyLayers(*scene, kDepthBitmap);
  ASSERT_TRUE(target->GetLayer<depthBitmap>());
  EXPECT_EQ(PixelColour(*target, 0, 0), (Rgb{1, 2, 3}));
  scene->GetLayer<depthBitmap>()->GetData()[0] = -5.0f;
  EXPECT_NE(target->GetLayer<depthBitmap>()->GetData()[0], -5.0f) << "the copy is independent";
}

TEST(DepthQueriesTest, RangeLeavesBackgroundMarkersOut) {
  auto depth = DepthRow({5.0f, 2.0f, 9.0f, 1e30f, kInf, kNaN, 1e10f});
  EXPECT_EQ(depth->GetMinDepth(), 2.0f);
  EXPECT_EQ(depth->GetMaxDepth(), 9.0f);
  EXPECT_EQ(depth->GetBackgroundPixelCount(), 4);
  EXPECT_EQ(depth->GetBackgroundDepth(), 1e30f);
  EXPECT_EQ(depth->GetPixelNumberInDepthInterval(2.0f, 5.0f), 2) << "both bounds included";
  EXPECT_EQ(depth->GetPixelNumberInDepthInterval(6.0f, 8.0f), 0);

  depth->ReplaceBackgroundDepth(depth->GetMaxDepth());
  EXPECT_EQ(depth->GetBackgroundPixelCount(), 0);
  EXPECT_EQ(depth->GetPixelNumberInDepthInterval(9.0f, 9.0f), 5);
  EXPECT_EQ(depth->GetBackgroundDepth(), 9.0f) << "without background it is the farthest depth";

  auto onlyBackground = DepthRow({kInf, kNaN});
  EXPECT_EQ(onlyBackground->GetMinDepth(), 0.0f);
  EXPECT_EQ(onlyBackground->GetMaxDepth(), 0.0f);
  EXPECT_GE(onlyBackground->GetBackgroundDepth(), kBackgroundThreshold);

  DepthRange range = GetDepthRange(*MakePlanesScene(32, 24));
  EXPECT_EQ(range.min, 10.0f);
  EXPECT_EQ(range.max, 100.0f);

  // A frame of many pieces, scanned over threads: its nearest, farthest and background markers
  // lie in different pieces.
  depthBitmap frame(1000, 700);
  for (int y = 0; y < 700; ++y) {
    for (int x = 0; x < 1000; ++x) frame.GetLine(y)[x] = 50.0f + float((x * 7 + y * 13) % 200);
  }
  frame.GetLine(3)[5] = 4.0f;
  frame.GetLine(650)[999] = 700.0f;
  frame.GetLine(300)[10] = kInf;
  frame.GetLine(500)[20] = 3e20f;
  frame.GetLine(600)[30] = kNaN;
  const DepthRange scanned = GetDepthRange(frame);
  EXPECT_EQ(scanned.min, 4.0f);
  EXPECT_EQ(scanned.max, 700.0f);
  EXPECT_EQ(scanned.background, 3e20f);
}

TEST(DepthPictureTest, NearIsLightAndBackgroundBlack) {
  auto depth = DepthRow({10.0f, 20.0f, 30.0f, 1e30f});
  auto grey = depth->GetDepthPicture(kGreyBitmap, 1, 0.2f);
  ASSERT_TRUE(grey && grey->AsGrey());
  const uint8_t* g = grey->AsGrey()->GetLine(0);
  EXPECT_EQ(g[0], 255);
  EXPECT_EQ(g[1], 128);
  EXPECT_EQ(g[2], 0);
  EXPECT_EQ(g[3], 0);

  // The exponential curve gives fewer grey levels to the far half, more so as the factor shrinks.
  uint8_t steep = depth->GetDepthPicture(kGreyBitmap, 0, 0.1f)->GetLineBytes(0)[1];
  uint8_t gentle = depth->GetDepthPicture(kGreyBitmap, 0, 1.0f)->GetLineBytes(0)[1];
  EXPECT_LT(steep, gentle);
  EXPECT_LT(gentle, 128);
  EXPECT_EQ(depth->GetDepthPicture(kGreyBitmap, 0, 0.1f)->GetLineBytes(0)[0], 255);

  auto colour = depth->GetDepthPicture(kRgbBitmap, 1, 0.2f);
  ASSERT_EQ(colour->GetType(), kRgbBitmap);
  auto lum = colour->ConvertToType(kGreyBitmap);
  EXPECT_GT(lum->GetLineBytes(0)[0], lum->GetLineBytes(0)[1]);
  const uint8_t* background = colour->GetLineBytes(0) + 9;
  EXPECT_EQ(background[0] + background[1] + background[2], 0);
  EXPECT_EQ(depth->GetDepthPicture(kAlphaBitmap, 1, 0.2f), nullptr);
}

TEST(DepthPictureTest, CreateZBitmapKeepsTheGreyOrderWithPositiveDepths) {
  g8Bitmap picture(3, 1);
  picture.GetData()[0] = 0;
  picture.GetData()[1] = 100;
  picture.GetData()[2] = 255;
  auto near = zBitmap::CreateZBitmap(picture, true);
  EXPECT_EQ(near->GetData()[0], 256.0f);
  EXPECT_EQ(near->GetData()[1], 156.0f);
  EXPECT_EQ(near->GetData()[2], 1.0f);
  auto far = zBitmap::CreateZBitmap(picture, false);
  EXPECT_EQ(far->GetData()[0], 1.0f);
  EXPECT_EQ(far->GetData()[2], 256.0f);
  EXPECT_EQ(far->GetBackgroundPixelCount(), 0);
}

TEST(NTBitmapTest, DisplayCopyIsOpaqueRgba) {
  auto scene = MakePlanesScene(16, 12);
  NTBitmap colour(*scene->GetStandardLayer());
  ASSERT_EQ(colour.GetWidth(), 16);
  Rgb c = PixelColour(*scene, 5, 7);
  const uint8_t* p = colour.GetLine(7) + 4 * 5;
  EXPECT_EQ((Rgb{p[0], p[1], p[2]}), c);
  EXPECT_EQ(p[3], 255);

  NTBitmap depth(*scene->GetLayer<depthBitmap>());
  ScenePoint nearPoint = PlanesScenePoint(16, 12, ScenePart::Near);
  const uint8_t* nearPixel = depth.GetLine(nearPoint.y) + 4 * nearPoint.x;
  EXPECT_EQ(nearPixel[0], 255) << "depth is shown near-light";
  EXPECT_EQ(nearPixel[1], nearPixel[0]);
}

TEST(SPixTest, AccumulatesWeightedPixelsAndRoundsToGrey) {
  const uint8_t rgb[3] = {10, 20, 30};
  SPix sum;
  SPix p;
  p = rgb;
  sum += p;
  sum += SPix(60);
  EXPECT_EQ(sum.ToGrey(), 80);  // (70 + 80 + 90) / 3
  sum *= 0.5f;
  sum /= 2.0f;
  EXPECT_EQ(sum.ToGrey(), 20);
  SPix bright(250);
  bright *= 4.0f;
  EXPECT_EQ(bright.ToGrey(), 255);
  bright.Init();
  EXPECT_EQ(bright.ToGrey(), 0);
  bright /= 0.0f;  // nothing gathered: 0 / 0
  EXPECT_EQ(bright.ToGrey(), 0);
}

}  // namespace
