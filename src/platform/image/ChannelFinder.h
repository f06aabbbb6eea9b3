#pragma once
// Finds the colour, grey, alpha and depth channels of an image file from their names, across
// the file's subimages (the parts of a multi-part OpenEXR file). Renderers name them freely:
// "R", "ViewLayer.Combined.R", "Z", "ViewLayer.Depth.Z", "Depth.V", "depth", ...

#include <string>
#include <vector>

struct ChannelRef {
  int subimage = -1;
  int channel = -1;
  explicit operator bool() const { return channel >= 0; }
};

struct ChannelPlan {
  ChannelRef red, green, blue;
  ChannelRef grey;  // only when there is no colour
  ChannelRef alpha;
  ChannelRef depth;

  bool HasColour() const { return red && green && blue; }
  bool HasPicture() const { return HasColour() || bool(grey); }
  bool IsEmpty() const { return !HasPicture() && !alpha && !depth; }
};

// The channel names of each subimage, in file order. A subimage that must not be used (another
// size, say) is passed as an empty list so that the indices stay those of the file; a channel
// that must not be used (of another view) is passed as an empty name.
ChannelPlan FindChannels(const std::vector<std::vector<std::string>>& subimageChannels);
