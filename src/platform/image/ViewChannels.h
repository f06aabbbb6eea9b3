#pragma once
// Views of a stereo (multi-view) file: which view each channel belongs to, and the channel
// names one view sees. In a single-part file the views are listed by the first part and a
// channel "right.R" belongs to view "right", while unprefixed channels belong to the default
// (first) view. In a multi-part file each part may name its view; a part that names none is
// shared by every view.

#include <string>
#include <vector>

struct PartChannels {
  std::string partName;               // empty when the part has none
  std::string view;                   // the view the part names, or empty
  std::vector<std::string> multiView; // the view list a part declares (the first is the default)
  std::vector<std::string> channels;
};

struct ViewSelection {
  std::vector<std::string> views;  // every view of the file, default first; empty for plain files
  std::string view;                // the view taken; empty for plain files
  bool requestedFound = true;      // false when a view was asked for that the file lacks
  // The channel names the taken view sees, part by part, without their view prefix; channels
  // of other views are empty strings, so indices stay those of the file. A single-channel part
  // named for depth shows its channel as "depth".
  std::vector<std::vector<std::string>> channels;
};

// The channels of the requested view, or of the default view when none is requested or the
// file has no such view.
ViewSelection SelectView(const std::vector<PartChannels>& parts, const std::string& requestedView);
