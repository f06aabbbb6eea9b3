#pragma once
// The options of one filter: what holds for every frame of a project (not keyframed), stored
// once in the project file after the keyframes. Every filter has its own concrete type.

#include <memory>
#include <string>
#include <vector>

class CArchive;
class CCustomData;

class FilterOptions {
 public:
  virtual ~FilterOptions() = default;

  // A new object holding this one's options: a render takes its own copy, so that the options
  // may change while it runs.
  virtual std::unique_ptr<FilterOptions> Clone() const = 0;

  // The options record under its keys, and back (missing keys take their reading defaults).
  virtual void StoreRecord(CCustomData& record) const = 0;
  virtual void LoadRecord(const CCustomData& record) = 0;

  // Files the filter reads besides the frames (a diaph picture, say): a render must not write
  // over them.
  virtual std::vector<std::string> InputFiles() const { return {}; }

  // Writes or reads the options record. Reading errors throw ArchiveError.
  void Serialize(CArchive& archive);
};
