#pragma once
// Picking the frames of a sequence: every listed file starts selected, the user deselects
// what the project should leave out.

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

class FramePickerDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FramePickerDialog(const std::vector<std::string>& listing, QWidget* parent = nullptr);

  // The selected names, in the order of the listing.
  std::vector<std::string> SelectedNames() const;

  QListWidget* List() const { return list_; }

 private:
  void UpdateCount();

  QListWidget* list_;
  QLabel* count_;
  QPushButton* ok_;
};
