#include "platform/image/ChannelFinder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// "ViewLayer.Depth.Z" is layer "ViewLayer.Depth", suffix "z" and leaf "depth";
// "Z" is layer "", suffix "z" and leaf "".
struct ChannelName {
  std::string layer;
  std::string suffix;  // lower case
  std::string leaf;    // last component of the layer, lower case
};

ChannelName Parse(const std::string& name) {
  ChannelName n;
  auto dot = name.rfind('.');
  n.layer = dot == std::string::npos ? std::string() : name.substr(0, dot);
  n.suffix = Lower(dot == std::string::npos ? name : name.substr(dot + 1));
  auto leafDot = n.layer.rfind('.');
  n.leaf = Lower(leafDot == std::string::npos ? n.layer : n.layer.substr(leafDot + 1));
  return n;
}

using NameTest = std::function<bool(int subimage, const ChannelName&)>;

class ChannelTable {
 public:
  explicit ChannelTable(const std::vector<std::vector<std::string>>& names) {
    for (const auto& sub : names) {
      parsed_.emplace_back();
      for (const auto& n : sub) parsed_.back().push_back(Parse(n));
    }
  }

  // The first channel, subimage by subimage, that passes the test.
  ChannelRef First(const NameTest& test) const {
    for (int s = 0; s < int(parsed_.size()); ++s) {
      for (int c = 0; c < int(parsed_[s].size()); ++c) {
        if (test(s, parsed_[s][c])) return {s, c};
      }
    }
    return {};
  }

  // The channel of a layer with a suffix in one subimage.
  ChannelRef Find(int subimage, const std::string& layer, const std::string& suffix) const {
    const auto& sub = parsed_[subimage];
    for (int c = 0; c < int(sub.size()); ++c) {
      if (sub[c].layer == layer && sub[c].suffix == suffix) return {subimage, c};
    }
    return {};
  }

  const ChannelName& At(ChannelRef ref) const { return parsed_[ref.subimage][ref.channel]; }
  int ChannelCount(int subimage) const { return int(parsed_[subimage].size()); }
  int SubimageCount() const { return int(parsed_.size()); }

  // A layer with an X channel holds a vector (normal, position, motion), so its Z is no depth.
  bool IsVectorLayer(int subimage, const std::string& layer) const {
    return bool(Find(subimage, layer, "x"));
  }

 private:
  std::vector<std::vector<ChannelName>> parsed_;
};

// Layers that usually hold the final picture of a multilayer file.
bool IsBeautyLayer(const std::string& leaf) {
  static const std::array<const char*, 7> kNames = {"combined", "beauty", "rgba", "rgb",
                                                    "color",    "colour", "image"};
  return std::any_of(kNames.begin(), kNames.end(), [&](const char* n) { return leaf == n; });
}

// R, G and B of the first layer accepted by the test that has all three in one subimage.
bool FindColour(const ChannelTable& t, const std::function<bool(const ChannelName&)>& layerTest,
                ChannelPlan& plan) {
  ChannelRef green, blue;
  ChannelRef red = t.First([&](int s, const ChannelName& n) {
    if (n.suffix != "r" || !layerTest(n)) return false;
    green = t.Find(s, n.layer, "g");
    blue = t.Find(s, n.layer, "b");
    return green && blue;
  });
  if (!red) return false;
  plan.red = red;
  plan.green = green;
  plan.blue = blue;
  return true;
}

void FindPicture(const ChannelTable& t, ChannelPlan& plan) {
  if (FindColour(t, [](const ChannelName& n) { return n.layer.empty(); }, plan)) return;
  if (FindColour(t, [](const ChannelName& n) { return IsBeautyLayer(n.leaf); }, plan)) return;
  if (FindColour(t, [](const ChannelName&) { return true; }, plan)) return;

  plan.grey = t.First([](int, const ChannelName& n) {
    return n.layer.empty() && (n.suffix == "y" || n.suffix == "grey" || n.suffix == "gray" ||
                               n.suffix == "l" || n.suffix == "i");
  });
  if (!plan.grey) {
    plan.grey = t.First([&](int s, const ChannelName& n) {
      return n.suffix == "y" && !t.IsVectorLayer(s, n.layer);
    });
  }
}

void FindAlpha(const ChannelTable& t, ChannelPlan& plan) {
  ChannelRef picture = plan.HasColour() ? plan.red : plan.grey;
  if (picture) {
    plan.alpha = t.Find(picture.subimage, t.At(picture).layer, "a");
    if (plan.alpha) return;
  }
  plan.alpha = t.First([](int, const ChannelName& n) { return n.layer.empty() && n.suffix == "a"; });
  if (plan.alpha) return;
  plan.alpha = t.First([](int, const ChannelName& n) { return n.suffix == "a" || n.suffix == "alpha"; });
}

void FindDepth(const ChannelTable& t, ChannelPlan& plan) {
  const std::array<NameTest, 5> rules = {
      // "Z"
      [&](int s, const ChannelName& n) { return n.suffix == "z" && n.layer.empty() && !t.IsVectorLayer(s, ""); },
      // "depth.Z", "ViewLayer.Depth.Z"
      [](int, const ChannelName& n) { return n.suffix == "z" && (n.leaf == "depth" || n.leaf == "z"); },
      // "Depth.V", "ViewLayer.Depth.V"
      [](int, const ChannelName& n) { return n.suffix == "v" && n.leaf == "depth"; },
      // "depth", "Depth"
      [](int, const ChannelName& n) { return n.suffix == "depth"; },
      // any other "*.Z" that is not part of a vector
      [&](int s, const ChannelName& n) { return n.suffix == "z" && !t.IsVectorLayer(s, n.layer); },
  };
  for (const auto& rule : rules) {
    plan.depth = t.First(rule);
    if (plan.depth) return;
  }
}

// A file of one unnamed-looking channel (and no depth) is a grey picture.
void FallBackToSingleChannel(const ChannelTable& t, ChannelPlan& plan) {
  if (plan.HasPicture() || plan.depth || t.SubimageCount() == 0 || t.ChannelCount(0) != 1) return;
  const ChannelName& only = t.At({0, 0});
  if (only.suffix.empty() || only.suffix == "a" || only.suffix == "alpha") return;
  plan.grey = {0, 0};
}

}  // namespace

ChannelPlan FindChannels(const std::vector<std::vector<std::string>>& subimageChannels) {
  ChannelTable table(subimageChannels);
  ChannelPlan plan;
  FindPicture(table, plan);
  FindDepth(table, plan);
  FallBackToSingleChannel(table, plan);
  FindAlpha(table, plan);
  return plan;
}
