#include <gtest/gtest.h>
#include <OpenImageIO/imageio.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/Diaph.h"
#include "filters/dof/PredefinedDiaphs.h"
#include "filters/dof/ResampleDiaph.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

namespace {

// The white columns of a row as "a-b,c-d".
std::string WhiteColumns(const g8Bitmap& picture, int row) {
  std::string out;
  const uint8_t* p = picture.GetLine(row);
  for (int x = 0; x < picture.GetWidth();) {
    if (p[x] == 0) {
      ++x;
      continue;
    }
    int end = x;
    while (end + 1 < picture.GetWidth() && p[end + 1] != 0) ++end;
    if (!out.empty()) out += ",";
    out += std::to_string(x) + "-" + std::to_string(end);
    x = end + 1;
  }
  return out;
}

// The white rows of a column, the same way.
std::string WhiteRows(const g8Bitmap& picture, int column) {
  g8Bitmap transposed(picture.GetHeight(), picture.GetWidth());
  for (int y = 0; y < picture.GetHeight(); ++y) {
    for (int x = 0; x < picture.GetWidth(); ++x) transposed.GetLine(x)[y] = picture.GetLine(y)[x];
  }
  return WhiteColumns(transposed, column);
}

uint8_t At(const g8Bitmap& p, int x, int y) { return p.GetLine(y)[x]; }

bool SamePixels(const g8Bitmap& a, const g8Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  return std::equal(a.GetData(), a.GetData() + a.GetValueCount(), b.GetData());
}

std::string WriteGreyPicture(const TempFolder& folder, const std::string& name, int width, int height) {
  auto grey = std::make_unique<g8Bitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) grey->GetLine(y)[x] = uint8_t(x < width / 2 ? 255 : (y * 255) / height);
  }
  std::string path = folder.File(name);
  WriteImage(path, CLayerBitmap(std::move(grey)));
  return path;
}

}  // namespace

TEST(PredefinedDiaphs, EachMatchesItsDefiningRowsAndColumns) {
  struct Expect {
    int number;
    bool byRow;
    int index;
    const char* white;
  };
  const Expect table[] = {
      {1, true, 0, "43-56"},        {1, true, 99, "43-56"},       {1, false, 0, "43-56"},
      {1, true, 50, "0-99"},        {2, true, 40, "0-99"},        {2, true, 59, "0-99"},
      {2, true, 39, ""},            {2, true, 60, ""},            {3, false, 40, "0-99"},
      {3, false, 59, "0-99"},       {3, false, 39, ""},           {3, true, 0, "40-59"},
      {4, true, 50, "37-63"},       {4, true, 0, "0-13"},         {4, true, 99, "86-99"},
      {5, true, 50, "36-62"},       {5, true, 0, "86-99"},        {5, true, 99, "0-13"},
      {6, true, 50, "36-63"},       {6, true, 0, "0-13,86-99"},   {7, true, 0, ""},
      {7, true, 1, "1-98"},         {7, true, 98, "1-98"},        {7, false, 99, ""},
      {8, true, 49, "0-99"},        {8, true, 50, "0-99"},        {8, false, 49, "0-99"},
      {8, false, 50, "0-99"},
  };
  for (const Expect& e : table) {
    auto picture = MakePredefinedDiaph(e.number);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->GetWidth(), 100);
    ASSERT_EQ(picture->GetHeight(), 100);
    std::string white = e.byRow ? WhiteColumns(*picture, e.index) : WhiteRows(*picture, e.index);
    EXPECT_EQ(white, e.white) << "diaph " << e.number << (e.byRow ? " row " : " column ") << e.index;
  }
  // The star's points are thin, its corners dark.
  auto star = MakePredefinedDiaph(8);
  EXPECT_EQ(At(*star, 0, 0), 0);
  EXPECT_EQ(At(*star, 2, 47), 0);
  EXPECT_EQ(At(*star, 40, 40), 255);
  for (int n : {0, 9, -1}) EXPECT_FALSE(MakePredefinedDiaph(n)) << n;
}

TEST(ResampleDiaph, SizesRoundUpToOddAndOnePixelIsWhite) {
  auto disc = MakePredefinedDiaph(1);
  const struct {
    float size;
    int side;
  } cases[] = {{1.0f, 1}, {0.4f, 1}, {2.0f, 3}, {3.0f, 3}, {3.1f, 5}, {50.0f, 51}, {55.0f, 55}};
  for (const auto& c : cases) {
    auto k = ResampleDiaph(*disc, c.size, c.size);
    EXPECT_EQ(k->GetWidth(), c.side) << c.size;
    EXPECT_EQ(k->GetHeight(), c.side) << c.size;
  }
  auto black = std::make_unique<g8Bitmap>(100, 100);
  EXPECT_EQ(At(*ResampleDiaph(*black, 1.0f, 1.0f), 0, 0), 255);
  EXPECT_EQ(ResampleDiaph(*disc, 5.0f, 2.0f)->GetHeight(), 3);
}

TEST(ResampleDiaph, AveragesAreasAndDarkensCellsPastTheSource) {
  auto disc = MakePredefinedDiaph(1);
  auto big = ResampleDiaph(*disc, 55.0f, 55.0f);
  EXPECT_EQ(At(*big, 27, 27), 255);
  EXPECT_EQ(At(*big, 0, 0), 0);
  EXPECT_EQ(At(*big, 54, 54), 0);
  EXPECT_EQ(At(*big, 54, 0), 0);
  auto small = ResampleDiaph(*disc, 5.0f, 5.0f);
  EXPECT_EQ(At(*small, 2, 2), 255);
  EXPECT_LT(At(*small, 0, 0), At(*small, 2, 2));
  EXPECT_LT(At(*small, 4, 4), At(*small, 2, 2));

  // White scaled by a whole factor stays white; scaled to 24 inside 25 cells the border cells
  // reach past the source and come out darker, by the uncovered share.
  g8Bitmap white(100, 100);
  std::fill(white.GetData(), white.GetData() + white.GetValueCount(), uint8_t(255));
  auto exact = ResampleDiaph(white, 25.0f, 25.0f);
  for (size_t i = 0; i < exact->GetValueCount(); ++i) ASSERT_EQ(exact->GetData()[i], 255);
  auto margin = ResampleDiaph(white, 24.0f, 24.0f);
  ASSERT_EQ(margin->GetWidth(), 25);
  EXPECT_EQ(At(*margin, 12, 12), 255);
  EXPECT_NEAR(At(*margin, 12, 0), 128, 1);  // half of the cell lies above the source
  EXPECT_NEAR(At(*margin, 0, 0), 64, 1);    // a quarter of the corner cell is inside
}

TEST(BlurKernelTable, BuildsDiametersInStepsFromOneToFifty) {
  auto diaph = ResampleDiaph(*MakePredefinedDiaph(1), 55.0f, 55.0f);

  auto t = BlurKernelTable::Build(1.0, 5.0, 0.3, *diaph);
  ASSERT_EQ(t->GetCount(), 15);
  for (int i = 0; i < 15; ++i) EXPECT_DOUBLE_EQ(t->GetSize(i), 1.0 + 0.3 * i) << i;
  EXPECT_EQ(t->First().GetWidth(), 1);
  EXPECT_EQ(At(t->First(), 0, 0), 255);
  EXPECT_EQ(t->GetKernel(14).GetWidth(), 7);  // 5.2

  EXPECT_EQ(BlurKernelTable::Build(3.0, 3.0, 0.3, *diaph)->GetCount(), 1);

  auto raised = BlurKernelTable::Build(0.4, 2.0, 0.3, *diaph);
  ASSERT_EQ(raised->GetCount(), 5);
  EXPECT_EQ(raised->GetSize(0), 1.0);

  auto capped = BlurKernelTable::Build(48.0, 60.0, 1.0, *diaph);
  ASSERT_EQ(capped->GetCount(), 4);
  EXPECT_EQ(capped->GetSize(2), 50.0);
  EXPECT_EQ(capped->GetSize(3), 50.0);
  EXPECT_EQ(capped->GetKernel(3).GetWidth(), 51);

  // A slice whose blurs all stay under a pixel still gets its one-pixel kernel.
  auto tiny = BlurKernelTable::Build(0.1, 0.2, 0.3, *diaph);
  ASSERT_EQ(tiny->GetCount(), 1);
  EXPECT_EQ(tiny->First().GetWidth(), 1);

  // A step of 0 (a broken record) does not ask for endless kernels.
  EXPECT_LE(BlurKernelTable::Build(1.0, 50.0, 0.0, *diaph)->GetCount(), 5000);
}

TEST(BlurKernelTable, LookupTakesTheFirstLargeEnoughKernel) {
  auto diaph = ResampleDiaph(*MakePredefinedDiaph(1), 55.0f, 55.0f);
  auto t = BlurKernelTable::Build(2.0, 5.0, 0.5, *diaph);  // 2.0, 2.5, ..., 5.0, 5.5
  ASSERT_EQ(t->GetCount(), 8);
  EXPECT_EQ(t->LookupIndex(0.2), 0);
  EXPECT_EQ(t->LookupIndex(2.0), 0);
  EXPECT_EQ(t->LookupIndex(2.01), 1);
  EXPECT_EQ(t->LookupIndex(2.5), 1);
  EXPECT_EQ(t->LookupIndex(5.4), 7);
  EXPECT_EQ(t->LookupIndex(100.0), 7);
  EXPECT_EQ(&t->Lookup(3.2), &t->GetKernel(3));
}

TEST(Diaph, PredefinedNumbersInstallTheirResampledPicture) {
  ScriptedUserInterface ui;
  Diaph diaph;
  EXPECT_EQ(diaph.GetNumber(), 1);
  EXPECT_TRUE(SamePixels(diaph.GetPicture(), *ResampleDiaph(*MakePredefinedDiaph(1), 55.0f, 55.0f)));
  diaph.Load("", 3);
  EXPECT_EQ(diaph.GetNumber(), 3);
  EXPECT_EQ(diaph.GetPicture().GetWidth(), 55);
  EXPECT_TRUE(SamePixels(diaph.GetPicture(), *ResampleDiaph(*MakePredefinedDiaph(3), 55.0f, 55.0f)));
  for (int n : {9, -2}) {
    diaph.Load("", n);
    EXPECT_EQ(diaph.GetNumber(), 1) << n;
  }
  EXPECT_TRUE(ui.Events().empty());
}

TEST(Diaph, FilePicturesAreAcceptedUnlessTooSmallBothWays) {
  ScriptedUserInterface ui;
  TempFolder folder;
  const std::string tall = WriteGreyPicture(folder, "tall.png", 40, 100);
  const std::string small = WriteGreyPicture(folder, "small.png", 50, 50);

  Diaph diaph;
  EXPECT_TRUE(diaph.Load(tall, 0));
  EXPECT_EQ(diaph.GetNumber(), 0);
  EXPECT_EQ(diaph.GetPath(), tall);
  EXPECT_EQ(diaph.GetPicture().GetWidth(), 55);
  EXPECT_EQ(At(diaph.GetPicture(), 5, 27), 255);  // in the white left half, stretched
  EXPECT_TRUE(ui.EventsOfKind("warning").empty());

  // A picture too small both ways is refused with the real minimum, in the language asked,
  // and the diaph in use stays; no file is no file diaph.
  const std::string why = diaph.LoadFile(small, Language::English);
  EXPECT_NE(why.find("55"), std::string::npos) << why;
  EXPECT_EQ(diaph.GetNumber(), 0);
  EXPECT_EQ(diaph.GetPath(), tall);
  EXPECT_EQ(diaph.LoadFile(small, Language::French), FormatString(Language::French, kDiaphTooSmall, 55));
  EXPECT_FALSE(diaph.Load("", 0));
  EXPECT_EQ(diaph.GetNumber(), 0);
  EXPECT_TRUE(ui.Events().empty());
}

TEST(Diaph, AFileThatIsNoPictureKeepsTheDiaphAndSaysWhy) {
  ScriptedUserInterface ui;
  TempFolder folder;
  Diaph diaph;
  diaph.Load("", 5);
  // Named (as a project names its file), it fails quietly; the project then takes the disc.
  EXPECT_FALSE(diaph.Load(folder.File("missing.png"), 0));
  EXPECT_EQ(diaph.GetNumber(), 5);
  EXPECT_TRUE(ui.Events().empty());
  // Loaded as a file chosen by the user is, the reason names the file.
  const std::string why = diaph.LoadFile(folder.Write("notes.png", "not a picture"), Language::English);
  EXPECT_NE(why.find("notes.png"), std::string::npos) << why;
  EXPECT_EQ(diaph.GetNumber(), 5);
  EXPECT_TRUE(SamePixels(diaph.GetPicture(), *ResampleDiaph(*MakePredefinedDiaph(5), 55.0f, 55.0f)));
}

TEST(Diaph, ColourFilesGiveTheKernelsOfTheirLuminance) {
  ScriptedUserInterface ui;
  TempFolder folder;
  // A hexagon-ish shape drawn in colours, with an alpha channel that has nothing to do with it.
  const int side = 64;
  auto colour = std::make_unique<rgbBitmap>(side, side);
  auto alpha = std::make_unique<alphaBitmap>(side, side);
  auto grey = std::make_unique<g8Bitmap>(side, side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const int dx = std::abs(2 * x - side + 1), dy = std::abs(2 * y - side + 1);
      const bool inside = dx + dy / 2 < side - 6 && dy < side - 8;
      uint8_t* c = colour->GetLine(y) + 3 * x;
      c[0] = uint8_t(inside ? 255 - x : 0);
      c[1] = uint8_t(inside ? 180 + y / 2 : 10);
      c[2] = uint8_t(inside ? 3 * x : 0);
      alpha->GetLine(y)[x] = uint8_t(x * 4);
      // Rec. 601 luminance of the stored values, rounded.
      grey->GetLine(y)[x] = uint8_t((299 * c[0] + 587 * c[1] + 114 * c[2] + 500) / 1000);
    }
  }
  const std::string greyPath = folder.File("shape-grey.png");
  WriteImage(greyPath, CLayerBitmap(std::move(grey)));
  // Written as stored bytes, straight R G B A: the program's own writer would take the colour
  // as premultiplied and divide it by the alpha.
  const std::string colourPath = folder.File("shape-colour.png");
  std::vector<uint8_t> rgba(size_t(side) * side * 4);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      uint8_t* out = &rgba[(size_t(y) * side + x) * 4];
      std::copy_n(colour->GetLine(y) + 3 * x, 3, out);
      out[3] = alpha->GetLine(y)[x];
    }
  }
  auto output = OIIO::ImageOutput::create(colourPath);
  ASSERT_TRUE(output);
  OIIO::ImageSpec spec(side, side, 4, OIIO::TypeDesc::UINT8);
  spec.attribute("oiio:UnassociatedAlpha", 1);  // the bytes as they are, not divided by alpha
  ASSERT_TRUE(output->open(colourPath, spec));
  ASSERT_TRUE(output->write_image(OIIO::TypeDesc::UINT8, rgba.data()));
  ASSERT_TRUE(output->close());

  Diaph fromGrey;
  fromGrey.Load(greyPath, 0);
  Diaph fromColour;
  fromColour.Load(colourPath, 0);
  EXPECT_EQ(fromColour.GetNumber(), 0);
  EXPECT_EQ(fromColour.GetPath(), colourPath);
  EXPECT_TRUE(SamePixels(fromColour.GetPicture(), fromGrey.GetPicture()));
  EXPECT_FALSE(SamePixels(fromColour.GetPicture(), *ResampleDiaph(*MakePredefinedDiaph(1), 55.0f, 55.0f)));
  auto greyKernels = BlurKernelTable::Build(1.0, 50.0, 7.0, fromGrey.GetPicture());
  auto colourKernels = BlurKernelTable::Build(1.0, 50.0, 7.0, fromColour.GetPicture());
  ASSERT_EQ(colourKernels->GetCount(), greyKernels->GetCount());
  for (int i = 0; i < greyKernels->GetCount(); ++i) {
    EXPECT_TRUE(SamePixels(colourKernels->GetKernel(i), greyKernels->GetKernel(i))) << i;
  }
  EXPECT_TRUE(ui.Events().empty());
}

TEST(ResampleDiaph, EnlargedPicturesComeOutWithoutStripes) {
  // A 40 x 100 picture, accepted as a diaph, is stretched across to 55 columns: each result
  // column then lies inside one source column or straddles two. Columns rise by 4 a column.
  ScriptedUserInterface ui;
  TempFolder folder;
  auto ramp = std::make_unique<g8Bitmap>(40, 100);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 40; ++x) ramp->GetLine(y)[x] = uint8_t(y < 5 || y >= 95 ? 0 : 60 + 4 * x);
  }
  const std::string path = folder.File("tall-ramp.png");
  WriteImage(path, CLayerBitmap(std::move(ramp)));
  Diaph diaph;
  diaph.Load(path, 0);
  ASSERT_EQ(diaph.GetNumber(), 0);
  const g8Bitmap& picture = diaph.GetPicture();
  auto kernels = BlurKernelTable::Build(20.0, 50.0, 15.0, picture);
  std::vector<const g8Bitmap*> checked = {&picture};
  for (int i = 0; i < kernels->GetCount(); ++i) checked.push_back(&kernels->GetKernel(i));
  for (const g8Bitmap* k : checked) {
    // The ramp's own rise over the source columns one result column covers, and a unit of
    // rounding; the outer columns are partly outside the picture and darker.
    const int width = k->GetWidth();
    const int rise = int(std::ceil(4.0 * 40.0 / width)) + 1;
    const int middle = k->GetHeight() / 2;
    for (int x = 2; x < width - 1; ++x) {
      const int step = At(*k, x, middle) - At(*k, x - 1, middle);
      EXPECT_GE(step, 0) << width << " wide, column " << x;
      EXPECT_LE(step, rise) << width << " wide, column " << x;
    }
  }

  // A flat grey enlarged both ways stays flat.
  g8Bitmap flat(10, 8);
  std::fill(flat.GetData(), flat.GetData() + flat.GetValueCount(), uint8_t(128));
  auto enlarged = ResampleDiaph(flat, 25.0f, 33.0f);
  for (size_t i = 0; i < enlarged->GetValueCount(); ++i) ASSERT_NEAR(enlarged->GetData()[i], 128, 1) << i;
}

TEST(DepthOfFieldOptions, RecordRoundTripsWithItsDiaph) {
  ScriptedUserInterface ui;
  TempFolder folder;
  const std::string tall = WriteGreyPicture(folder, "tall.png", 40, 100);

  DepthOfFieldOptions options;
  options.ApplyOnAlpha = false;
  options.KernelStep = 0.5;
  options.SliceStep = 3.0;
  options.DdstValue = 2.5;
  options.TwoPassFlag = true;
  options.diaph.Load(tall, 0);
  const Diaph& diaph = options.diaph;

  CCustomData record;
  options.StoreRecord(record);
  const uint32_t order[] = {FourCC("ALPH"), FourCC("TITE"), FourCC("TITA"), FourCC("DDST"),
                            FourCC("2PAS"), FourCC("DPAT"), FourCC("DNBR")};
  ASSERT_EQ(record.Size(), 7u);
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(record.Entries()[i].key, order[i]) << i;

  CArchive out;
  record.Serialize(out);
  CArchive in(out.GetBytes());
  CCustomData read;
  read.Serialize(in);
  DepthOfFieldOptions loaded;
  const Diaph& loadedDiaph = loaded.diaph;
  loaded.LoadRecord(read);
  EXPECT_FALSE(loaded.ApplyOnAlpha);
  EXPECT_EQ(loaded.KernelStep, 0.5);
  EXPECT_EQ(loaded.SliceStep, 3.0);
  EXPECT_EQ(loaded.DdstValue, 2.5);
  EXPECT_TRUE(loaded.TwoPassFlag);
  EXPECT_EQ(loadedDiaph.GetNumber(), 0);
  EXPECT_EQ(loadedDiaph.GetPath(), tall);
  EXPECT_TRUE(SamePixels(loadedDiaph.GetPicture(), diaph.GetPicture()));

  // A built-in diaph keeps the file name the project remembered.
  record.SetInt(FourCC("DNBR"), 6);
  loaded.LoadRecord(record);
  EXPECT_EQ(loadedDiaph.GetNumber(), 6);
  EXPECT_EQ(loadedDiaph.GetPath(), tall);
  EXPECT_TRUE(ui.Events().empty());
}

TEST(DepthOfFieldOptions, MissingOrUnusableValuesTakeTheReadingDefaults) {
  ScriptedUserInterface ui;
  DepthOfFieldOptions options;
  options.ApplyOnAlpha = false;
  Diaph& diaph = options.diaph;
  diaph.Load("", 4);
  options.LoadRecord(CCustomData{});
  EXPECT_TRUE(options.ApplyOnAlpha);
  EXPECT_EQ(options.KernelStep, 0.30000001192092896);
  EXPECT_EQ(options.SliceStep, 2.0);
  EXPECT_EQ(options.DdstValue, 1.0);
  EXPECT_FALSE(options.TwoPassFlag);
  EXPECT_EQ(diaph.GetNumber(), 1);

  for (double bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    CCustomData record;
    record.SetDouble(FourCC("TITE"), bad);
    record.SetDouble(FourCC("TITA"), bad);
    options.LoadRecord(record);
    EXPECT_EQ(options.KernelStep, 0.30000001192092896) << bad;
    EXPECT_EQ(options.SliceStep, 2.0) << bad;
  }
}
