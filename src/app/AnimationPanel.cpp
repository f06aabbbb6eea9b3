#include "app/AnimationPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/DrawnIcon.h"
#include "controls/ToolBitmapButton.h"
#include "platform/framework/Command.h"
#include "platform/framework/StringTable.h"
#include "project/ProjectData.h"
#include "controls/UiText.h"

namespace {

constexpr int kEdgeZone = 10;

QString Text(int id) { return QString::fromStdString(LoadString(InterfaceLanguage(), id)); }

enum class Glyph { Keyframe, Frame, Add, Copy, Delete, DeleteAll };

void DrawDiamond(QPainter& p, QPointF centre, double r, const QColor& fill) {
  QPainterPath path;
  path.moveTo(centre.x(), centre.y() - r);
  path.lineTo(centre.x() + r, centre.y());
  path.lineTo(centre.x(), centre.y() + r);
  path.lineTo(centre.x() - r, centre.y());
  path.closeSubpath();
  p.fillPath(path, fill);
  p.setPen(QPen(fill.darker(170), 1));
  p.drawPath(path);
}

// The list's and the buttons' pictures, drawn each time they are shown, at the screen's
// density, so they stay sharp at any scale.
void DrawGlyph(QPainter& p, Glyph glyph, double s, const QColor& ink) {
  p.setRenderHint(QPainter::Antialiasing);
  const QColor key(230, 160, 30);
  switch (glyph) {
    case Glyph::Keyframe:
      DrawDiamond(p, {s / 2, s / 2}, s * 0.38, key);
      break;
    case Glyph::Frame:
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(150, 150, 150));
      p.drawEllipse(QPointF(s / 2, s / 2), s * 0.14, s * 0.14);
      break;
    case Glyph::Add:
    case Glyph::Copy:
      DrawDiamond(p, {s * 0.42, s * 0.5}, s * 0.3, ink == Qt::gray ? QColor(190, 190, 190) : key);
      p.setPen(QPen(ink, s / 10));
      if (glyph == Glyph::Add) {
        p.drawLine(QPointF(s * 0.78, s * 0.1), QPointF(s * 0.78, s * 0.42));
        p.drawLine(QPointF(s * 0.62, s * 0.26), QPointF(s * 0.94, s * 0.26));
      } else {
        p.drawLine(QPointF(s * 0.06, s * 0.12), QPointF(s * 0.3, s * 0.12));
        p.drawLine(QPointF(s * 0.22, s * 0.04), QPointF(s * 0.3, s * 0.12));
        p.drawLine(QPointF(s * 0.22, s * 0.2), QPointF(s * 0.3, s * 0.12));
      }
      break;
    case Glyph::Delete:
    case Glyph::DeleteAll: {
      const int copies = glyph == Glyph::Delete ? 1 : 2;
      for (int i = 0; i < copies; ++i) {
        const double dx = copies == 1 ? 0 : (i == 0 ? -s * 0.14 : s * 0.14);
        DrawDiamond(p, {s * 0.5 + dx, s * 0.5}, s * 0.26, ink == Qt::gray ? QColor(190, 190, 190) : key);
      }
      p.setPen(QPen(ink == Qt::gray ? ink : QColor(200, 30, 30), s / 9));
      p.drawLine(QPointF(s * 0.2, s * 0.2), QPointF(s * 0.8, s * 0.8));
      p.drawLine(QPointF(s * 0.8, s * 0.2), QPointF(s * 0.2, s * 0.8));
      break;
    }
  }
}

QIcon GlyphIcon(Glyph glyph, const QColor& ink) {
  return DrawnIcon([glyph, ink](QPainter& p, QSizeF size) { DrawGlyph(p, glyph, std::min(size.width(), size.height()), ink); });
}

Glyph GlyphOfButton(int id) {
  switch (id) {
    case kAddButton: return Glyph::Add;
    case kCopyButton: return Glyph::Copy;
    case kDeleteButton: return Glyph::Delete;
    default: return Glyph::DeleteAll;
  }
}

}  // namespace

AnimationPanel::AnimationPanel(ProjectData& project, QWidget* parent)
    : QWidget(parent), project_(project), actions_(project) {
  setObjectName(QStringLiteral("animationSettings"));
  clock_.start();

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("frameList"));
  list_->setColumnCount(2);
  list_->setHeaderLabels({Text(kFrameColumnTitle), Text(kNameColumnTitle)});
  list_->header()->resizeSection(0, 50);
  list_->header()->resizeSection(1, 100);
  list_->header()->setDefaultAlignment(Qt::AlignLeft);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setIconSize(QSize(16, 16));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  list_->setStatusTip(QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 0, kListHelp)));
  list_->setToolTip(QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 1, kListHelp)));
  list_->setMinimumHeight(200);
  list_->installEventFilter(this);
  list_->viewport()->installEventFilter(this);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &AnimationPanel::OnSelectionChanged);
  connect(list_, &QTreeWidget::itemChanged, this, &AnimationPanel::OnItemChanged);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  connect(AddButton(kAddButton), &QAbstractButton::clicked, this, &AnimationPanel::OnAdd);
  connect(AddButton(kCopyButton), &QAbstractButton::clicked, this, &AnimationPanel::OnCopy);
  connect(AddButton(kDeleteButton), &QAbstractButton::clicked, this, &AnimationPanel::OnDelete);
  connect(AddButton(kDeleteAllButton), &QAbstractButton::clicked, this, &AnimationPanel::OnDeleteAll);
  for (int id : {kAddButton, kCopyButton, kDeleteButton, kDeleteAllButton}) buttons->addWidget(buttons_[id]);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);

  scrollTimer_.setInterval(kAutoScrollMs);
  connect(&scrollTimer_, &QTimer::timeout, this, &AnimationPanel::AutoScroll);
}

QAbstractButton* AnimationPanel::AddButton(int id) {
  auto* button = new ToolBitmapButton(this);
  button->setObjectName(QStringLiteral("animationButton%1").arg(id));
  const QSize size(24, 24);
  const Glyph glyph = GlyphOfButton(id);
  button->SetBitmaps(GlyphIcon(glyph, QColor(40, 40, 40)), GlyphIcon(glyph, QColor(20, 90, 200)),
                     GlyphIcon(glyph, Qt::gray), size);
  button->setStatusTip(QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 0, id)));
  button->setToolTip(QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 1, id)));
  buttons_[id] = button;
  return button;
}

QAbstractButton* AnimationPanel::GetButton(int id) const {
  auto it = buttons_.find(id);
  return it == buttons_.end() ? nullptr : it->second;
}

// --- The list ---

AnimationPanel::ListShape AnimationPanel::CurrentShape() const {
  ListShape shape{project_.Model().Track().GetMode(), actions_.GetRowCount(), {}};
  const KeyframeTrack& track = project_.Model().Track();
  for (int i = 0; i < track.GetCount(); ++i) shape.keyframes.push_back(track.GetAt(i)->GetFrameNumber());
  return shape;
}

// Called from inside the project's notifications, where the track may not have taken its new
// current frame yet: the list follows once they are over.
void AnimationPanel::FollowProject() {
  if (followPending_) return;
  followPending_ = true;
  QMetaObject::invokeMethod(this, &AnimationPanel::FollowNow, Qt::QueuedConnection);
}

void AnimationPanel::FollowNow() {
  followPending_ = false;
  if (CurrentShape() != shown_) {
    PostCreateList();
    return;
  }
  SelectCurrentRow();
  UpdateButtons();
}

void AnimationPanel::PostCreateList() {
  if (createPending_) return;
  createPending_ = true;
  QMetaObject::invokeMethod(this, "AnimCreateList", Qt::QueuedConnection);
}

void AnimationPanel::PostEditLabel(int row) {
  QMetaObject::invokeMethod(this, "AnimEditLabel", Qt::QueuedConnection, Q_ARG(int, row));
}

void AnimationPanel::AnimCreateList() {
  createPending_ = false;
  rebuilding_ = true;
  {
    const QSignalBlocker blocker(list_);
    list_->clear();
    shown_ = CurrentShape();
    const QIcon keyIcon = GlyphIcon(Glyph::Keyframe, Qt::black);
    const QIcon frameIcon = GlyphIcon(Glyph::Frame, Qt::black);
    QList<QTreeWidgetItem*> items;
    for (int row = 0; row < shown_.rows; ++row) {
      auto* item = new QTreeWidgetItem({QString::number(row), QString::fromStdString(actions_.GetRowName(row))});
      item->setIcon(0, actions_.IsKeyframe(row) ? keyIcon : frameIcon);
      if (actions_.CanEditLabel(row)) item->setFlags(item->flags() | Qt::ItemIsEditable);
      items.append(item);
    }
    list_->addTopLevelItems(items);
  }
  rebuilding_ = false;
  SelectCurrentRow();
  UpdateButtons();
}

void AnimationPanel::AnimEditLabel(int row) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item || !(item->flags() & Qt::ItemIsEditable)) return;
  list_->scrollToItem(item);
  list_->editItem(item, 0);
}

void AnimationPanel::SelectCurrentRow() {
  QTreeWidgetItem* item = list_->topLevelItem(actions_.GetCurrentFrame());
  if (!item) return;
  const QSignalBlocker blocker(list_);
  if (list_->currentItem() != item) list_->setCurrentItem(item);
  item->setSelected(true);
  list_->scrollToItem(item);
}

void AnimationPanel::UpdateButtons() {
  buttons_[kAddButton]->setEnabled(actions_.CanAddKeyframe());
  buttons_[kCopyButton]->setEnabled(actions_.CanCopyPrevious());
  buttons_[kDeleteButton]->setEnabled(actions_.CanDeleteKeyframe());
  buttons_[kDeleteAllButton]->setEnabled(actions_.CanDeleteAll());
}

void AnimationPanel::OnSelectionChanged() {
  if (rebuilding_) return;
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  const int row = list_->indexOfTopLevelItem(selected.first());
  if (row == actions_.GetCurrentFrame()) return;
  selectionChanged_ = true;
  // A frame that cannot be shown took its keyframe with it: the list follows.
  if (!actions_.SelectFrame(row)) PostCreateList();
  UpdateButtons();
}

void AnimationPanel::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (rebuilding_ || column != 0) return;
  const int row = list_->indexOfTopLevelItem(item);
  if (actions_.EditLabel(row, item->text(0).trimmed().toStdString())) {
    PostCreateList();
    return;
  }
  // Refused: the label keeps its number.
  const QSignalBlocker blocker(list_);
  item->setText(0, QString::number(row));
}

// --- Buttons and keys ---

void AnimationPanel::OnAdd() {
  if (!actions_.CanAddKeyframe()) return;
  if (actions_.AddKeyframe()) {
    // The second keyframe of a single image: its row appears now, and its label opens for
    // the frame number at which it is to stand.
    if (!list_->topLevelItem(1)) {
      const QSignalBlocker blocker(list_);
      list_->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("1"), QString()}));
    }
    PostCreateList();
    PostEditLabel(1);
  } else {
    PostCreateList();
  }
}

void AnimationPanel::OnCopy() { actions_.CopyPreviousKeyframe(); }

void AnimationPanel::OnDelete() {
  actions_.DeleteKeyframe();
  PostCreateList();
}

void AnimationPanel::OnDeleteAll() {
  actions_.DeleteAllKeyframes();
  PostCreateList();
}

bool AnimationPanel::HandleKey(int key) {
  switch (key) {
    case Qt::Key_Insert:
      OnAdd();
      return true;
    case Qt::Key_Delete:
      if (actions_.CanDeleteKeyframe()) OnDelete();
      return true;
    case Qt::Key_Escape:
      if (!dragging_) return false;
      EndDrag(false, {});
      return true;
    default:
      return false;
  }
}

bool AnimationPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) return HandleKey(static_cast<QKeyEvent*>(event)->key());
  // Losing the mouse to another window ends a drag without copying.
  if (watched == list_ && dragging_ && event->type() == QEvent::FocusOut) EndDrag(false, {});
  if (watched == list_->viewport()) return HandleMouse(event);
  return QWidget::eventFilter(watched, event);
}

// --- Mouse: clicks and keyframe drags ---

bool AnimationPanel::HandleMouse(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      pressAt_ = mouse->position().toPoint();
      pressRow_ = list_->indexAt(pressAt_).row();
      dragTried_ = false;
      if (pressRow_ < 0) {
        SelectCurrentRow();  // a click beside the rows keeps the current frame selected
        return true;
      }
      return false;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      lastMouseGlobal_ = mouse->globalPosition().toPoint();
      if (dragging_) {
        MoveDrag(mouse->position().toPoint());
        return true;
      }
      if (!(mouse->buttons() & Qt::LeftButton) || dragTried_ || pressRow_ < 0) return false;
      if ((mouse->position().toPoint() - pressAt_).manhattanLength() < QApplication::startDragDistance()) return false;
      dragTried_ = true;
      TryStartDrag(pressRow_, mouse->position().toPoint());
      return true;  // no rubber-band selection while the button is held on a row
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      const bool wasDragging = dragging_;
      if (dragging_) EndDrag(true, mouse->position().toPoint());
      lastClickMs_ = clock_.elapsed();
      selectionChanged_ = false;
      pressRow_ = -1;
      return wasDragging;
    }
    default:
      return false;
  }
}

void AnimationPanel::TryStartDrag(int row, QPoint at) {
  // The press that selected the row is a click, not a drag.
  if (selectionChanged_) {
    selectionChanged_ = false;
    return;
  }
  if (clock_.elapsed() - lastClickMs_ < kClickGuardMs || !actions_.CanDrag(row)) return;
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item) return;
  dragging_ = true;
  dragSourceRow_ = row;
  timerTicks_ = 0;
  scrollTimer_.start();
  const QRect rect = list_->visualItemRect(item);
  dragImage_ = new QLabel(list_->viewport());
  dragImage_->setPixmap(list_->viewport()->grab(rect));
  dragImage_->setAttribute(Qt::WA_TransparentForMouseEvents);
  dragImage_->resize(rect.size());
  dragImage_->show();
  MoveDrag(at);
  list_->viewport()->grabMouse();
}

void AnimationPanel::MoveDrag(QPoint at) {
  if (dragImage_) dragImage_->move(at.x() - dragImage_->width() / 4, at.y() - dragImage_->height() / 2);
}

void AnimationPanel::EndDrag(bool drop, QPoint at) {
  scrollTimer_.stop();
  list_->viewport()->releaseMouse();
  // Only a row in sight is under the mouse: the view would name rows beyond its edges too.
  const bool inside = list_->viewport()->rect().contains(at);
  const int target = drop && inside ? list_->indexAt(at).row() : -1;
  const int source = dragSourceRow_;
  delete dragImage_;
  dragImage_ = nullptr;
  dragging_ = false;
  dragSourceRow_ = -1;
  if (target >= 0 && target != source && actions_.CopyKeyframe(source, target)) PostCreateList();
}

// Near the list's top or bottom edge the list scrolls one line every k ticks, the faster
// the farther the mouse is beyond the edge.
void AnimationPanel::AutoScroll() {
  if (!dragging_) return;
  ++timerTicks_;
  const QRect area(list_->viewport()->mapToGlobal(QPoint(0, 0)), list_->viewport()->size());
  const int y = lastMouseGlobal_.y();
  int step = 0;
  int distance = 0;
  if (y < area.top() + kEdgeZone) {
    step = -1;
    distance = (area.top() + kEdgeZone - y) / 5;
  } else if (y > area.bottom() - kEdgeZone) {
    step = 1;
    distance = (y - area.bottom() + kEdgeZone) / 5;
  }
  const unsigned every = unsigned(std::max(1, 6 - distance));
  if (step == 0 || timerTicks_ % every != 0) return;
  if (dragImage_) dragImage_->hide();
  QScrollBar* bar = list_->verticalScrollBar();
  bar->setValue(bar->value() + step);
  if (dragImage_) dragImage_->show();
}
