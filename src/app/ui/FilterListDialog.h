#pragma once
// The filter list of a new project: the filters by name, and for the selected one its
// picture, description, the layers it needs and its version.

#include <QDialog>
#include <vector>

#include "project/ProgramDialogs.h"

class QLabel;
class QListWidget;

class FilterListDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FilterListDialog(const std::vector<FilterChoiceItem>& filters, QWidget* parent = nullptr);

  // The index of the selected filter, or -1.
  int ChosenIndex() const;

  QListWidget* List() const { return list_; }
  QLabel* Description() const { return description_; }
  QLabel* RequiredLayers() const { return layers_; }
  QLabel* Version() const { return version_; }
  QLabel* Picture() const { return picture_; }

 private:
  void ShowInformation(int row);

  std::vector<FilterChoiceItem> filters_;
  QListWidget* list_;
  QLabel* picture_;
  QLabel* description_;
  QLabel* layers_;
  QLabel* version_;
};
