#pragma once
// The "Animation settings" panel: one row per frame with its number and name, keyframes
// marked by their icon, the current frame selected. Selecting a row changes the frame; the
// buttons add, copy, delete and delete all keyframes; a keyframe's label moves it (single
// image); a keyframe dragged onto another row is copied there. The edits themselves are the
// core's (AnimationActions); the list is rebuilt through queued calls, never inside one of its
// own notifications.

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <map>
#include <vector>

#include "tools/AnimationActions.h"
#include "strings/StringIds.h"

class ProjectData;
class QAbstractButton;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class AnimationPanel : public QWidget {
  Q_OBJECT

 public:
  // Ids of the buttons, as their help strings.
  static constexpr int kAutoScrollMs = 75;
  static constexpr int kClickGuardMs = 80;

  explicit AnimationPanel(ProjectData& project, QWidget* parent = nullptr);

  // Brings the list and the buttons up to date with the project; a changed list is rebuilt
  // later, through AnimCreateList.
  void FollowProject();
  QTreeWidget* GetList() const { return list_; }
  QAbstractButton* GetButton(int id) const;
  bool IsDragging() const { return dragging_; }

  // The deferred calls, posted with Qt::QueuedConnection.
  Q_INVOKABLE void AnimCreateList();
  Q_INVOKABLE void AnimEditLabel(int row);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct ListShape {
    int mode = 0;
    int rows = 0;
    std::vector<int> keyframes;
    bool operator==(const ListShape&) const = default;
  };
  ListShape CurrentShape() const;
  QAbstractButton* AddButton(int id);
  void FollowNow();
  void PostCreateList();
  void PostEditLabel(int row);
  void SelectCurrentRow();
  void UpdateButtons();
  void OnSelectionChanged();
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void OnAdd();
  void OnCopy();
  void OnDelete();
  void OnDeleteAll();
  bool HandleKey(int key);
  bool HandleMouse(QEvent* event);
  void TryStartDrag(int row, QPoint at);
  void MoveDrag(QPoint at);
  void EndDrag(bool drop, QPoint at);
  void AutoScroll();

  ProjectData& project_;
  AnimationActions actions_;
  QTreeWidget* list_;
  std::map<int, QAbstractButton*> buttons_;
  ListShape shown_;
  bool createPending_ = false;
  bool followPending_ = false;
  bool rebuilding_ = false;

  // A row the user just selected is not dragged by the same press.
  bool selectionChanged_ = false;
  bool dragging_ = false;
  bool dragTried_ = false;
  int dragSourceRow_ = -1;
  int pressRow_ = -1;
  QPoint pressAt_;
  QPoint lastMouseGlobal_;
  QElapsedTimer clock_;
  qint64 lastClickMs_ = -1000;
  QTimer scrollTimer_;
  unsigned timerTicks_ = 0;
  QLabel* dragImage_ = nullptr;
};
