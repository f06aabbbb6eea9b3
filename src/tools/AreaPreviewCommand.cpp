#include "filters/DepthFilterCommand.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/Progress.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"
#include "tools/DepthTools.h"

namespace {
constexpr int kSmallestPreviewSide = 15;
constexpr int kF4 = 115;
}  // namespace

AreaPreviewCommand::AreaPreviewCommand(ProjectData& project) : project_(project) {
  access_.SetAccess(kF4, 512, 64);
  access_.SetMenuPosition(4, 0, 0);
  access_.SetBitmap(2011, 2012);
  access_.SetToolbarPosition(4, 3, 0);
}

std::string AreaPreviewCommand::GetName(Language language) const { return LoadString(language, kPreviewSelectedArea); }
CommandIdentity AreaPreviewCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeTool, kClassInteractive, kCategoryRender, kAreaPreviewToolId, 1};
}
std::string AreaPreviewCommand::GetHelp(Language language, int kind) const { return GetCommandHelp(language, kind, kMakesPreviewSelectedArea); }
int AreaPreviewCommand::SetCursor(int, int) { return kCursorAreaPreview; }

bool AreaPreviewCommand::PreviewRectangle(const ImageRect& dragged) {
  DepthFilterCommand* filter = CurrentFilterCommand(project_);
  const CLayerBitmap* image = project_.GetCurrentImage();
  if (!filter || !image) return false;
  if (dragged.width < kSmallestPreviewSide || dragged.height < kSmallestPreviewSide) return false;
  // A rectangle dragged past the image's edges previews the part inside it.
  int left = std::max(dragged.x, 0);
  int top = std::max(dragged.y, 0);
  int right = std::min(dragged.x + dragged.width, image->GetWidth());
  int bottom = std::min(dragged.y + dragged.height, image->GetHeight());
  if (right - left < 1 || bottom - top < 1) return false;
  ImageRect rect{left, top, right - left, bottom - top};
  UserInterfaceProgress progress(project_.UI(), filter->GetName(project_.UI().GetLanguage()));
  auto result = filter->RenderPreview(filter->GetCurrentSettings(), rect, progress);
  if (!result) return false;
  const Bitmap* colour = result->GetStandardLayer();
  if (!colour) return false;
  auto picture = std::make_unique<NTBitmap>(*colour);
  if (project_.GetFrame()) project_.GetFrame()->GetViewport().SetOverlay(rect, std::move(picture));
  return true;
}
