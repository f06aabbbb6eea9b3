#include "filters/ColourFilterCommand.h"

#include "platform/framework/Progress.h"
#include "project/ProjectData.h"

std::unique_ptr<NTBitmap> ColourFilterCommand::GetViewBitmap(uint32_t viewMode) {
  if (viewMode != kViewFilterPreview) return nullptr;
  // The picture is asked for by the view: its render shows in the user interface's progress.
  UserInterfaceProgress progress(GetProject().UI(), GetName(GetProject().UI().GetLanguage()));
  auto rendered = RenderFrame(GetCurrentSettings(), progress);
  if (!rendered) return nullptr;
  return std::make_unique<NTBitmap>(*rendered->GetStandardLayer());
}
