#include "app/ui/NotificationDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace {

void RestoreTag(QString& html, const QString& escaped, const QString& tag) {
  html.replace(escaped, tag, Qt::CaseInsensitive);
}

}  // namespace

QString NotificationMarkupToHtml(const std::string& text) {
  QString html = QString::fromStdString(text).toHtmlEscaped();
  RestoreTag(html, QStringLiteral("&lt;b&gt;"), QStringLiteral("<b>"));
  RestoreTag(html, QStringLiteral("&lt;/b&gt;"), QStringLiteral("</b>"));
  RestoreTag(html, QStringLiteral("&lt;br&gt;"), QStringLiteral("<br>"));
  RestoreTag(html, QStringLiteral("&lt;br/&gt;"), QStringLiteral("<br>"));
  html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
  return html;
}

NotificationDialog::NotificationDialog(const std::string& title, const std::string& text, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("NotificationDialog"));
  setWindowTitle(QString::fromStdString(title));

  auto* icon = new QLabel(this);
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));
  icon->setAlignment(Qt::AlignTop);

  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("message"));
  message_->setTextFormat(Qt::RichText);
  message_->setText(NotificationMarkupToHtml(text));
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message_->setMinimumWidth(360);

  auto* body = new QHBoxLayout;
  body->addWidget(icon, 0, Qt::AlignTop);
  body->addSpacing(8);
  body->addWidget(message_, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addSpacing(6);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
