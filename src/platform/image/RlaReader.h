#pragma once
// Our own reader of RLA and RPF files (the layout is in RlaFile.h): colour, matte and auxiliary
// channels of 8-, 16- and 32-bit integers or floats, and the render channels a 3D package stores
// after them. Integer values are fractions of the range of their bits; float colour holds the
// same display-encoded values, not linear light. Colour is premultiplied by the matte unless the
// program text's A says it is not.
//
// Channels: the colour channels (R, G, B; one or two colour channels are grey), then the mattes
// (the first is alpha), then the auxiliary channels (the first, when float, is depth), then the
// render channels' depth, which is preferred to an auxiliary one.

#include <memory>
#include <string>
#include <vector>

#include "platform/image/ImageSource.h"
#include "platform/image/RlaFile.h"

// What to decode.
struct RlaContent {
  bool picture = true;
  bool alpha = false;
  bool depth = false;
  bool gbuffer = false;  // coverage, object id and material id
};

// Render channels the layered image has no layer for, kept for those who use them: over the
// data window, row 0 at the top; empty when the file has none (or they were not asked for).
struct RlaGBufferPlanes {
  std::vector<uint8_t> coverage;    // C: the front surface's share of the pixel, 0 to 255
  std::vector<uint16_t> objectId;   // O
  std::vector<uint8_t> materialId;  // E
};

class RlaImage final : public ImageSource {
 public:
  // Reads the headers and the line table. False with the reason in error.
  bool Open(const std::string& path, std::string& error);
  const RlaLayout& Layout() const { return layout_; }
  // The channels found, as the image reader takes them.
  const ChannelPlan& Channels() const { return plan_; }
  // The letters of the render channels present, in the order the program text gives them.
  std::vector<std::string> GBufferNames() const;

  // Decodes every line once for the wanted content. False with the reason (naming the line).
  bool Decode(const RlaContent& wanted, std::string& error);
  const RlaGBufferPlanes& GBuffer() const { return gbuffer_; }

  const ImageRect& Display() const override { return layout_.display; }
  const ImageRect& DataWindow(ChannelRef) const override { return layout_.data; }
  bool IsLinear(ChannelRef) const override { return false; }
  bool IsStraight(ChannelRef) const override { return layout_.gbuffer.straightColour; }
  std::string ChannelName(ChannelRef ref) const override;
  bool Get(ChannelRef ref, const float*& data, int& stride, std::string& error) override;

 private:
  class LineDecoder;

  std::string path_;
  RlaLayout layout_;
  ChannelPlan plan_;
  int gbufferDepth_ = -1;  // the channel number given to the render channels' depth
  std::vector<std::pair<int, std::vector<float>>> planes_;  // decoded channels by number
  RlaGBufferPlanes gbuffer_;
};
