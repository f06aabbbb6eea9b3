#include "app/ui/FilterListDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/FilterPictures.h"
#include "controls/UiText.h"
#include "strings/StringIds.h"

namespace {

const QSize kPictureSize(200, 150);

QGroupBox* Titled(int titleId, QWidget* content, QWidget* parent) {
  auto* box = new QGroupBox(UiText(titleId), parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(content);
  return box;
}

QLabel* WrappedText(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  return label;
}

}  // namespace

FilterListDialog::FilterListDialog(const std::vector<FilterChoiceItem>& filters, QWidget* parent)
    : QDialog(parent), filters_(filters) {
  setObjectName(QStringLiteral("FilterListDialog"));
  setWindowTitle(UiText(kFilterList));

  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("filters"));
  for (const FilterChoiceItem& filter : filters_) list_->addItem(QString::fromStdString(filter.name));
  list_->setMinimumWidth(190);

  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("picture"));
  picture_->setFixedSize(kPictureSize);
  picture_->setFrameShape(QFrame::StyledPanel);
  picture_->setAlignment(Qt::AlignCenter);

  description_ = WrappedText(this, "description");
  description_->setMinimumSize(300, 110);
  layers_ = WrappedText(this, "requiredLayers");
  version_ = new QLabel(this);
  version_->setObjectName(QStringLiteral("version"));

  auto* versionRow = new QHBoxLayout;
  versionRow->addWidget(new QLabel(UiText(kVersionLabel), this));
  versionRow->addWidget(version_);
  versionRow->addStretch(1);

  auto* pictureColumn = new QVBoxLayout;
  pictureColumn->addWidget(picture_);
  pictureColumn->addWidget(Titled(kNecessaryInformation, layers_, this));
  pictureColumn->addLayout(versionRow);
  pictureColumn->addStretch(1);

  auto* information = new QHBoxLayout;
  information->addWidget(list_);
  information->addLayout(pictureColumn);
  information->addWidget(Titled(kFilterDescription, description_, this), 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::currentRowChanged, this, &FilterListDialog::ShowInformation);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(information, 1);
  layout->addWidget(buttons);

  if (!filters_.empty()) list_->setCurrentRow(0);
  ShowInformation(list_->currentRow());
}

void FilterListDialog::ShowInformation(int row) {
  if (row < 0 || row >= int(filters_.size())) {
    picture_->clear();
    description_->clear();
    layers_->clear();
    version_->clear();
    return;
  }
  const FilterChoiceItem& filter = filters_[size_t(row)];
  picture_->setPixmap(FilterPicture(filter.id, kPictureSize - QSize(4, 4), devicePixelRatioF()));
  description_->setText(QString::fromStdString(filter.description));
  layers_->setText(QString::fromStdString(filter.requiredLayers).trimmed());
  version_->setText(QString::fromStdString(FormatDecimal(InterfaceLanguage(), filter.version, 2)));
}

int FilterListDialog::ChosenIndex() const {
  const int row = list_->currentRow();
  return row >= 0 && row < int(filters_.size()) && list_->currentItem()->isSelected() ? row : -1;
}
