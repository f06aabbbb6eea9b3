#pragma once
// The commands of the four colour filters (Z Saturation, Z Luminance, Z Hue, atmospheric
// perspective): their effect preview is the filter's render of the whole current frame.

#include "filters/DepthFilterCommand.h"

class ColourFilterCommand : public DepthFilterCommand {
 public:
  using DepthFilterCommand::DepthFilterCommand;

  std::unique_ptr<NTBitmap> GetViewBitmap(uint32_t viewMode) override;
  int HasEffectPreview() const override { return 1; }
};
