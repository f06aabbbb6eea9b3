#include "support/TestOnlyFilter.h"

#include "animation/SettingsFields.h"
#include "filters/ColourFilterOperation.h"
#include "filters/FilterRegistry.h"
#include "platform/image/Bitmap.h"

namespace {

const SettingsFields<TestOnlySettings>& Fields() {
  static const SettingsFields<TestOnlySettings> fields = {
      {FourCC("AMNT"), &TestOnlySettings::Amount, 1.0, 1.0, FieldBlend::Linear, 0.0, 1.0},
  };
  return fields;
}

// The law on bytes; float colour goes through it on its display values.
bool InvertPixels(const KeyframeSettings& settings, const FilterOptions&, const CLayerBitmap& source,
                  rgbBitmap& destination, RenderProgress&) {
  const float amount = static_cast<const TestOnlySettings&>(settings).Amount;
  const rgbBitmap* colours = source.GetLayer<rgbBitmap>();
  if (!colours) return false;
  for (int y = 0; y < destination.GetHeight(); ++y) {
    const uint8_t* in = colours->GetLine(y);
    uint8_t* out = destination.GetLine(y);
    for (int i = 0; i < destination.GetWidth() * 3; ++i) out[i] = uint8_t(in[i] + amount * (255 - 2 * in[i]) + 0.5f);
  }
  return true;
}

std::unique_ptr<CLayerBitmap> RenderInversion(const FilterInput& input, RenderContext& context) {
  return RenderColourFilter(input, context, {InvertPixels});
}

// Registered last, after the program's filters.
const FilterRegistration kRegistration({1000, TestOnlyFilter::kDescription, TestOnlySettings::kTypeCode,
                                        TestOnlyFilter::kCliName, MakeSettings<TestOnlySettings>,
                                        MakeOptions<TestOnlyOptions>, RenderInversion, MakeCommand<TestOnlyFilter>});

}  // namespace

void TestOnlySettings::Reset(const CLayerBitmap& currentImage) {
  KeyframeSettings::Reset(currentImage);
  ResetFields(Fields(), *this);
}

void TestOnlySettings::CopyFrom(const KeyframeSettings& other) {
  if (const auto* same = dynamic_cast<const TestOnlySettings*>(&other)) CopyFields(Fields(), *this, *same);
}

std::unique_ptr<KeyframeSettings> TestOnlySettings::Clone() const {
  auto copy = std::make_unique<TestOnlySettings>();
  copy->CopyFrom(*this);
  return copy;
}

void TestOnlySettings::Interpolate(const CLayerBitmap*, const KeyframeSettings& earlier, const KeyframeSettings& later,
                                   double t) {
  const auto* a = dynamic_cast<const TestOnlySettings*>(&earlier);
  const auto* b = dynamic_cast<const TestOnlySettings*>(&later);
  if (a && b) BlendFields(Fields(), *this, *a, *b, t);
}

void TestOnlySettings::StoreRecord(CCustomData& record) const { StoreFields(Fields(), *this, record); }
void TestOnlySettings::LoadRecord(const CCustomData& record) { LoadFields(Fields(), *this, record); }
std::string TestOnlySettings::CheckValues() const { return CheckFields(Fields(), *this); }

std::string TestOnlyFilter::GetHelp(Language language, int kind) const {
  return kind == kHelpDescription ? "Inverts the colours (a filter of the tests)."
                                  : ColourFilterCommand::GetHelp(language, kind);
}
