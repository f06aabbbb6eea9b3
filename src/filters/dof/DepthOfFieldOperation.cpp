#include "filters/dof/DepthOfFieldOperation.h"

#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/DepthOfFieldSettings.h"

std::unique_ptr<CLayerBitmap> RenderDepthOfField(const FilterInput& input, RenderContext& context) {
  const auto& options = static_cast<const DepthOfFieldOptions&>(input.options);
  const DepthOfFieldRenderer renderer(static_cast<const DepthOfFieldSettings&>(input.settings), options,
                                      options.diaph.GetPicture());
  if (input.area) return renderer.RenderPreview(input.frame, *input.area, context.progress);
  return renderer.RenderFrame(input.frame, input.frameIndex, input.frameCount, context.progress);
}
