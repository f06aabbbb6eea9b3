#include "filters/dof/Diaph.h"

#include "filters/dof/PredefinedDiaphs.h"
#include "filters/dof/ResampleDiaph.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/image/ImageIo.h"

namespace {

constexpr int kOpenDialogFlags = 4096;

}  // namespace

Diaph::Diaph() { Load("", kDisc); }

bool Diaph::Load(const std::string& name, int number) {
  if (number == kFromFile) return LoadFile(name);
  if (number < 0 || number > kPredefinedDiaphCount) number = kDisc;
  Install(*MakePredefinedDiaph(number), number);
  return true;
}

bool Diaph::LoadFile(const std::string& name) {
  C2DIo reader(name, kIoOnePicture);
  // A file chosen now is one the user is told about; a project's own file fails quietly.
  const bool chosenNow = name.empty();
  if (chosenNow && !reader.FileDialogBox(kOpenDialogFlags)) return false;
  auto refuse = [&](const std::string& why) {
    if (chosenNow) UI().Warning(LoadString(kWarningTitle), why);
    return false;
  };
  std::unique_ptr<CLayerBitmap> picture;
  if (reader.PrepareReading() == 1) picture = reader.Read();
  const std::string shownName = fileStripPath(reader.GetFileName());
  if (!picture) return refuse(AppendReason(FormatString(kDiaphNotPicture, shownName), LocalReason(reader.GetError())));
  // Refused only when too small both ways: a long thin picture still resamples well enough.
  if (picture->GetWidth() < kPictureSide && picture->GetHeight() < kPictureSide) {
    return refuse(FormatString(kDiaphTooSmall, kPictureSide));
  }
  const auto grey = GreyPicture(*picture);
  if (!grey) return refuse(FormatString(kDiaphNotPicture, shownName));
  path_ = reader.GetFileName();
  Install(*grey, kFromFile);
  return true;
}

std::unique_ptr<g8Bitmap> Diaph::GreyPicture(const CLayerBitmap& picture) {
  // A colour picture (the usual way to draw a bokeh shape) becomes its luminance, taken on the
  // stored values; an alpha channel says nothing about the shape and is left out.
  const Bitmap* layer = picture.GetStandardLayer();
  if (!layer) return nullptr;
  auto grey = layer->ConvertToType(kGreyBitmap);
  if (!grey || !grey->AsGrey()) return nullptr;
  return std::unique_ptr<g8Bitmap>(grey.release()->AsGrey());
}

void Diaph::Install(const g8Bitmap& source, int number) {
  picture_ = ResampleDiaph(source, float(kPictureSide), float(kPictureSide));
  number_ = number;
}
