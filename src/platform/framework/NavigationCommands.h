#pragma once
// The framework's own navigation tools: zoom and move. The view does the zooming and
// scrolling; the commands only stand for the active mouse tool beside a filter.

#include "platform/framework/Command.h"

constexpr uint32_t kZoomToolId = FourCC("ZOOM");
constexpr uint32_t kMoveToolId = FourCC("MOVE");

class NavigationCommand : public CBitmapCommand {
 public:
  NavigationCommand(uint32_t id, std::string name) : id_(id), name_(std::move(name)) {}
  std::string GetName() const override { return name_; }
  CommandIdentity GetIdentity() const override {
    return {kDataKindBitmap, FourCC("NAVI"), kClassInteractive, FourCC("VIEW"), id_, 1};
  }

 private:
  uint32_t id_;
  std::string name_;
};
