#include "filters/dof/Diaph.h"

#include "filters/dof/PredefinedDiaphs.h"
#include "filters/dof/ResampleDiaph.h"
#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageIo.h"

Diaph::Diaph() { Load("", kDisc); }

bool Diaph::Load(const std::string& path, int number) {
  if (number == kFromFile) return !path.empty() && LoadFile(path, Language::English).empty();
  if (number < 0 || number > kPredefinedDiaphCount) number = kDisc;
  Install(*MakePredefinedDiaph(number), number);
  return true;
}

std::string Diaph::LoadFile(const std::string& path, Language language) {
  C2DIo reader(path, kIoOnePicture);
  std::unique_ptr<CLayerBitmap> picture;
  if (reader.PrepareReading()) picture = reader.Read();
  const std::string shownName = fileStripPath(reader.GetFileName());
  if (!picture) {
    return AppendReason(FormatString(language, kDiaphNotPicture, shownName), LocalReason(language, reader.GetError()));
  }
  // Refused only when too small both ways: a long thin picture still resamples well enough.
  if (picture->GetWidth() < kPictureSide && picture->GetHeight() < kPictureSide) {
    return FormatString(language, kDiaphTooSmall, kPictureSide);
  }
  const auto grey = GreyPicture(*picture);
  if (!grey) return FormatString(language, kDiaphNotPicture, shownName);
  path_ = reader.GetFileName();
  Install(*grey, kFromFile);
  return {};
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
