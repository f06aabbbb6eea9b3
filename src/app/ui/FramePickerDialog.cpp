#include "app/ui/FramePickerDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/UiText.h"
#include "strings/StringIds.h"

FramePickerDialog::FramePickerDialog(const std::vector<std::string>& listing, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FramePickerDialog"));
  setWindowTitle(UiText(kSelectFrames));

  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("frames"));
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (const std::string& name : listing) list_->addItem(QString::fromStdString(name));
  list_->selectAll();
  list_->setMinimumSize(320, 260);

  auto* selectAll = new QPushButton(UiText(kSelectAllItem), this);
  selectAll->setObjectName(QStringLiteral("selectAll"));
  auto* selectNone = new QPushButton(UiText(kSelectNoneItem), this);
  selectNone->setObjectName(QStringLiteral("selectNone"));
  connect(selectAll, &QPushButton::clicked, list_, &QListWidget::selectAll);
  connect(selectNone, &QPushButton::clicked, list_, &QListWidget::clearSelection);

  count_ = new QLabel(this);
  count_->setObjectName(QStringLiteral("count"));

  auto* selectionRow = new QHBoxLayout;
  selectionRow->addWidget(selectAll);
  selectionRow->addWidget(selectNone);
  selectionRow->addStretch(1);
  selectionRow->addWidget(count_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemSelectionChanged, this, &FramePickerDialog::UpdateCount);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(UiText(kFramesSequenceUseProject), this));
  layout->addWidget(list_, 1);
  layout->addLayout(selectionRow);
  layout->addWidget(buttons);
  UpdateCount();
}

void FramePickerDialog::UpdateCount() {
  const int selected = int(list_->selectedItems().size());
  count_->setText(QString::fromStdString(FormatString(InterfaceLanguage(), kFramesSelected, selected, list_->count())));
  // A project needs at least one frame.
  ok_->setEnabled(selected > 0);
}

std::vector<std::string> FramePickerDialog::SelectedNames() const {
  std::vector<std::string> names;
  for (int row = 0; row < list_->count(); ++row) {
    if (list_->item(row)->isSelected()) names.push_back(list_->item(row)->text().toStdString());
  }
  return names;
}
