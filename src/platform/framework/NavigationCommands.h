#pragma once
// The framework's own navigation commands. The view does the zooming and scrolling: the
// interactive ones (zoom in, zoom out, move) only stand for the active mouse tool beside a
// filter; the simple ones (zoom reset, zoom to fit, actual pixels) hand their id to a
// function the frame gives them.

#include <functional>

#include "platform/framework/Command.h"
#include "strings/StringIds.h"

constexpr uint32_t kZoomToolId = FourCC("ZOOM");
constexpr uint32_t kZoomOutToolId = FourCC("ZOO2");
constexpr uint32_t kMoveToolId = FourCC("MOVE");
constexpr uint32_t kZoomResetId = FourCC("ZORS");
constexpr uint32_t kZoomFitId = FourCC("ZOAU");
constexpr uint32_t kZoomActualPixelsId = FourCC("ZOI2");

constexpr uint32_t kTypeNavigation = FourCC("NAVI");
constexpr uint32_t kCategoryNavigation = FourCC("VIEW");

class NavigationCommand : public CBitmapCommand {
 public:
  // nameId and helpId are string-table ids.
  NavigationCommand(uint32_t id, uint32_t commandClass, int nameId, int helpId);
  std::string GetName(Language language) const override;
  std::string GetHelp(Language language, int kind) const override;
  CommandIdentity GetIdentity() const override {
    return {kDataKindBitmap, kTypeNavigation, commandClass_, kCategoryNavigation, id_, 1};
  }
  CommandResult OnApplyCommand() override;
  void SetApply(std::function<void(uint32_t)> apply) { apply_ = std::move(apply); }

 private:
  uint32_t id_;
  uint32_t commandClass_;
  int nameId_;
  int helpId_;
  std::function<void(uint32_t)> apply_;
};

// The six navigation commands in their menu order.
struct NavigationEntry {
  uint32_t id;
  uint32_t commandClass;
  int nameId;
  int helpId;
};
inline constexpr NavigationEntry kNavigationCommands[] = {
    {kZoomToolId, kClassInteractive, kZoomInItem, kZoomInHelp},   {kZoomOutToolId, kClassInteractive, kZoomOutItem, kZoomOutHelp},
    {kMoveToolId, kClassInteractive, kMoveItem, kMoveHelp},   {kZoomResetId, kClassSimple, kZoomResetItem, kZoomResetHelp},
    {kZoomFitId, kClassSimple, kZoomFitItem, kZoomFitHelp},         {kZoomActualPixelsId, kClassSimple, kActualPixelsItem, kActualPixelsHelp},
};
