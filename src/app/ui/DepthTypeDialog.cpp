#include "app/ui/DepthTypeDialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui/BitmapImage.h"
#include "controls/UiText.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"
#include "strings/StringIds.h"

namespace {

const QSize kPictureBox(160, 160);

QLabel* PictureLabel(const Bitmap& picture, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("picture"));
  label->setFixedSize(kPictureBox);
  label->setFrameShape(QFrame::StyledPanel);
  label->setAlignment(Qt::AlignCenter);
  label->setPixmap(FittedPixmap(ToQImage(picture), kPictureBox - QSize(4, 4), parent->devicePixelRatioF()));
  return label;
}

}  // namespace

DepthTypeDialog::DepthTypeDialog(const Bitmap& picture, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DepthTypeDialog"));
  setWindowTitle(UiText(kZBufferType));

  CCustomData record;
  record.LoadFromPrefs(kPrefsApplication, kDepthTypePrefsRecord);
  const bool lightFar = record.GetUInt(kDepthTypeLightSideKey, 1) != 0;

  auto* question = new QLabel(UiText(kZBufferImageTells), this);
  question->setWordWrap(true);
  near_ = new QRadioButton(UiText(kLightNearAnswer), this);
  near_->setObjectName(QStringLiteral("lightNear"));
  far_ = new QRadioButton(UiText(kLightFarAnswer), this);
  far_->setObjectName(QStringLiteral("lightFar"));
  (lightFar ? far_ : near_)->setChecked(true);

  auto* choice = new QVBoxLayout;
  choice->addWidget(question);
  choice->addSpacing(6);
  choice->addWidget(near_);
  choice->addWidget(far_);
  choice->addStretch(1);

  auto* body = new QHBoxLayout;
  body->addWidget(PictureLabel(picture, this), 0, Qt::AlignTop);
  body->addSpacing(8);
  body->addLayout(choice, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addWidget(buttons);
}

DepthTypeDialog::~DepthTypeDialog() {
  CCustomData record;
  record.SetUInt(kDepthTypeLightSideKey, uint32_t(LightSide()));
  record.SaveToPrefs(kPrefsApplication, kDepthTypePrefsRecord);
}

int DepthTypeDialog::LightSide() const { return near_->isChecked() ? 0 : 1; }
