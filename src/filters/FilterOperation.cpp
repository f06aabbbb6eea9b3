#include "filters/FilterOperation.h"

std::unique_ptr<CLayerBitmap> RunFilter(FilterOperation operation, const FilterInput& input, RenderContext& context) {
  if (!operation) return nullptr;
  std::unique_ptr<CLayerBitmap> result;
  RunWithThreads(context.threads, [&] { result = operation(input, context); });
  return result;
}
