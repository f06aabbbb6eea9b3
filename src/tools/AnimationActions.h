#pragma once
// What the animation panel does to the project: the rows of its frame list, the rules that
// enable its buttons, and the keyframe edits behind its buttons, label edits and drags. The
// panel only shows the list and forwards the user's actions here. Every edit that changes the
// keyframes is one undo step, and leaves the filter showing the settings of the current frame.

#include <string>

class KeyframeTrack;
class ProjectData;

// The last frame a single image's animation can have (its last row's label).
constexpr int kMaxSingleImageFrame = 999;

class AnimationActions {
 public:
  explicit AnimationActions(ProjectData& project) : project_(project) {}

  // --- The list ---
  // Mode 2: one row per image; mode 1: up to the last keyframe; none without keyframes.
  int GetRowCount() const;
  bool IsKeyframe(int row) const;
  // "First frame" / "Last frame" in mode 1, the image's file name in mode 2.
  std::string GetRowName(int row) const;
  int GetCurrentFrame() const;

  // --- Button rules ---
  bool CanAddKeyframe() const;
  bool CanCopyPrevious() const;
  bool CanDeleteKeyframe() const;
  bool CanDeleteAll() const;

  // --- Edits ---
  // Makes the current frame a keyframe. On a single image not yet animated it adds the
  // keyframe of frame 1 and makes it current instead, and returns true: the caller then lets
  // the user type that keyframe's frame number (the animation's length).
  bool AddKeyframe();
  void CopyPreviousKeyframe();
  void DeleteKeyframe();
  void DeleteAllKeyframes();
  // Label edits move keyframes of a single image; never the first row.
  bool CanEditLabel(int row) const;
  // Refused (false, nothing changed) unless the text is a whole number from 1 to 999.
  bool EditLabel(int row, const std::string& text);
  // Only keyframes are dragged; a single image only once it is animated.
  bool CanDrag(int row) const;
  // Copies the keyframe of one row to another row's frame; false when nothing was copied.
  bool CopyKeyframe(int fromRow, int toRow);
  // Makes the frame of a row current; false when the frame could not be shown.
  bool SelectFrame(int row);

 private:
  KeyframeTrack& Track() const;
  // nameId names the change for Undo.
  void FinishEdit(int nameId);

  ProjectData& project_;
};
