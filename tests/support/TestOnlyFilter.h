#pragma once
// A filter that exists only in the tests: it proves that a filter registered from outside the
// program's sources reaches the command line, the filter list and the panels. Its law is
// trivial: the colour inverted, mixed in by Amount (0 none, 1 full).

#include <cstdint>

#include "filters/ColourFilterCommand.h"
#include "platform/framework/FourCC.h"

class TestOnlySettings final : public KeyframeSettings {
 public:
  static constexpr uint32_t kTypeCode = FourCC("TINV");
  float Amount = 1.0f;  // 'AMNT'

  TestOnlySettings() : KeyframeSettings(kTypeCode) {}
  void Reset(const CLayerBitmap& currentImage) override;
  void CopyFrom(const KeyframeSettings& other) override;
  std::unique_ptr<KeyframeSettings> Clone() const override;
  void Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier, const KeyframeSettings& later,
                   double t) override;
  void StoreRecord(CCustomData& record) const override;
  void LoadRecord(const CCustomData& record) override;
  std::string CheckValues() const override;
};

// It has no options.
class TestOnlyOptions final : public FilterOptions {
 public:
  std::unique_ptr<FilterOptions> Clone() const override { return std::make_unique<TestOnlyOptions>(); }
  void StoreRecord(CCustomData&) const override {}
  void LoadRecord(const CCustomData&) override {}
};

class TestOnlyFilter final : public ColourFilterCommand {
 public:
  // No string ids: the filter's texts are its own, not the program's tables'.
  static constexpr FilterDescription kDescription{FourCC("FXTI"), 0, 0, 0};
  static constexpr const char* kCliName = "test-invert";
  static constexpr const char* kName = "Test inversion";

  explicit TestOnlyFilter(ProjectData& project) : ColourFilterCommand(project, kDescription) {}
  std::string GetName(Language) const override { return kName; }
  std::string GetHelp(Language language, int kind) const override;
  KeyframeSettings& GetCurrentSettings() override { return settings_; }

 private:
  TestOnlySettings settings_;
};
