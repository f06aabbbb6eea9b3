#include "app/ui/FileDialogs.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeView>
#include <algorithm>
#include <QFileInfo>
#include <QRegularExpression>
#include <map>
#include <vector>

#include "controls/UiText.h"
#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageFormats.h"
#include "strings/StringIds.h"

namespace {

constexpr int kDialogWidth = 820;
constexpr int kDialogHeight = 500;
constexpr int kSidebarMargin = 60;  // the icon and the frame beside a place's name

struct TypeEntry {
  QString label;
  QStringList patterns;  // "*.tga"
};

QString Filter(const TypeEntry& entry) {
  return QStringLiteral("%1 (%2)").arg(entry.label, entry.patterns.join(QLatin1Char(' ')));
}

QStringList Patterns(const std::vector<std::string>& extensions, bool (*keep)(const std::string&)) {
  QStringList patterns;
  for (const std::string& extension : extensions) {
    if (keep(extension)) patterns << QStringLiteral("*") + QString::fromStdString(extension);
  }
  return patterns;
}

bool Readable(const std::string& extension) { return FindReadableFormat("x" + extension).has_value(); }
bool Any(const std::string&) { return true; }

// The file classes a picture or its depth can come from, in the order the program tries them.
struct ClassLabel {
  uint32_t fileClass;
  int labelId;
};
constexpr ClassLabel kOpenClasses[] = {
    {kClassRla, kRLARPFFiles}, {kClassQel, kQELLayeredImages}, {kClassZpic, kZpicRawZBuffers}, {kClassExr, kOpenEXRFiles}, {kClassPicture, kPictures},
};

TypeEntry OpenEntry(uint32_t fileClass, int labelId) {
  return {UiText(labelId), Patterns(fileGetExtensionArray(fileClass), fileClass == kClassProject ? Any : Readable)};
}

// Names people know the formats by; the rest are shown in capitals.
QString FormatLabel(const std::string& name) {
  static const std::map<std::string, QString> known = {
      {"targa", QStringLiteral("Targa")}, {"openexr", QStringLiteral("OpenEXR")}, {"jpeg", QStringLiteral("JPEG")},
      {"tiff", QStringLiteral("TIFF")},   {"qel", QStringLiteral("QEL")},         {"zpic", QStringLiteral("ZPIC")},
  };
  auto it = known.find(name);
  return it != known.end() ? it->second : QString::fromStdString(name).toUpper();
}

std::vector<TypeEntry> SaveEntries(uint32_t fileClass) {
  if (fileClass == kClassProject) return {OpenEntry(kClassProject, kFovaraProjects)};
  // One entry per format, in the order of the class table; several extensions may share one.
  std::vector<TypeEntry> entries;
  std::map<std::string, size_t> byFormat;
  const uint32_t listed = fileClass == 0 ? kClassAllFiles : fileClass;
  for (const std::string& extension : fileGetExtensionArray(listed)) {
    auto format = FindWritableFormat("x" + extension);
    if (!format) continue;
    // A raw depth file holds no picture: it is offered only when asked for by its class.
    if (format->IsZpic() && listed != kClassZpic) continue;
    const QString pattern = QStringLiteral("*") + QString::fromStdString(extension);
    auto [it, added] = byFormat.emplace(format->name, entries.size());
    if (added) entries.push_back({QString::fromStdString(FormatString(InterfaceLanguage(), kFiles, FormatLabel(format->name).toStdString())), {}});
    entries[it->second].patterns << pattern;
  }
  return entries;
}

QString AllFilesFilter() { return Filter({UiText(kAllFiles), {QStringLiteral("*")}}); }

// The filter whose patterns hold the extension of the name, if any.
QString FilterForName(const QStringList& filters, const QString& name) {
  const QString suffix = QFileInfo(name).suffix();
  if (suffix.isEmpty()) return {};
  const QString pattern = QStringLiteral("*.") + suffix.toLower();
  for (const QString& filter : filters) {
    const int open = int(filter.lastIndexOf(QLatin1Char('(')));
    const QStringList patterns = filter.mid(open + 1).chopped(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (patterns.contains(pattern)) return filter;
  }
  return {};
}

// The first extension of a name filter, without its dot ("tga" for "Targa files (*.tga *.tpic)").
QString FirstSuffix(const QString& filter) {
  const int star = int(filter.indexOf(QStringLiteral("*.")));
  if (star < 0) return {};
  const int end = int(filter.indexOf(QRegularExpression(QStringLiteral("[ )]")), star));
  return filter.mid(star + 2, end - star - 2);
}

// Whether the name already says what to write: a format the image library writes, or a project.
bool NamesItsFormat(const QString& name, uint32_t fileClass) {
  if (fileClass == kClassProject) return fileGetClass(name.toStdString()) == kClassProject;
  return FindWritableFormat(name.toStdString()).has_value();
}

void ProposePath(QFileDialog& dialog, const std::string& proposedPath) {
  if (proposedPath.empty()) return;
  const QString path = QString::fromStdString(proposedPath);
  if (path.endsWith(QLatin1Char('/')) || QFileInfo(path).isDir()) {
    dialog.setDirectory(path);
    return;
  }
  dialog.setDirectory(QFileInfo(path).absolutePath());
  dialog.selectFile(QFileInfo(path).fileName());
}

QString TitleOr(const std::string& title, int fallbackId) {
  return title.empty() ? UiText(fallbackId) : QString::fromStdString(title);
}

// Our own dialog, not the desktop's: it speaks the program's language and behaves the
// same everywhere.
void UseProgramDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setObjectName(QStringLiteral("FileDialog"));
  dialog.setViewMode(QFileDialog::Detail);
  // Columns as wide as their titles and dates need in every language; the name takes the rest.
  dialog.resize(std::max(dialog.width(), kDialogWidth), std::max(dialog.height(), kDialogHeight));
  if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = files->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  // The places on the left as wide as their names ("Ordinateur" in French).
  if (auto* places = dialog.findChild<QWidget*>(QStringLiteral("sidebar"))) {
    if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
      const int wanted = places->fontMetrics().horizontalAdvance(QStringLiteral("Ordinateur")) + kSidebarMargin;
      splitter->setSizes({wanted, std::max(dialog.width() - wanted, wanted)});
    }
  }
}

}  // namespace

QStringList OpenFileFilters(uint32_t fileClass) {
  QStringList filters;
  if (fileClass == kClassProject) {
    filters << Filter(OpenEntry(kClassProject, kFovaraProjects));
  } else if (fileClass == kClassAllFiles || fileClass == 0) {
    filters << Filter(OpenEntry(kClassAllFiles, kAllPicturesZBuffer));
    for (const ClassLabel& entry : kOpenClasses) filters << Filter(OpenEntry(entry.fileClass, entry.labelId));
  } else {
    for (const ClassLabel& entry : kOpenClasses) {
      if (entry.fileClass == fileClass) filters << Filter(OpenEntry(entry.fileClass, entry.labelId));
    }
  }
  filters << AllFilesFilter();
  return filters;
}

QStringList SaveFileFilters(uint32_t fileClass) {
  QStringList filters;
  for (const TypeEntry& entry : SaveEntries(fileClass)) filters << Filter(entry);
  return filters;
}

std::optional<std::string> ChooseFileToOpenWithDialog(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, TitleOr(request.title, kOpen));
  UseProgramDialog(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(OpenFileFilters(request.fileClass));
  ProposePath(dialog, request.proposedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> ChooseFileToSaveWithDialog(QWidget* parent, const FileRequest& request) {
  QFileDialog dialog(parent, TitleOr(request.title, kSave));
  UseProgramDialog(dialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = SaveFileFilters(request.fileClass);
  dialog.setNameFilters(filters);
  const QString proposedFilter = FilterForName(filters, QString::fromStdString(request.proposedPath));
  if (!proposedFilter.isEmpty()) dialog.selectNameFilter(proposedFilter);
  dialog.setDefaultSuffix(FirstSuffix(dialog.selectedNameFilter()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(FirstSuffix(filter)); });
  ProposePath(dialog, request.proposedPath);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  QString chosen = dialog.selectedFiles().first();
  // "shot.final" is a name, not a format: the chosen type's extension completes it.
  if (!NamesItsFormat(chosen, request.fileClass)) {
    const QString suffix = FirstSuffix(dialog.selectedNameFilter());
    if (!suffix.isEmpty()) chosen += QLatin1Char('.') + suffix;
  }
  return chosen.toStdString();
}

std::optional<std::string> ChooseFolderWithDialog(QWidget* parent, const std::string& title,
                                                  const std::string& start) {
  QFileDialog dialog(parent, TitleOr(title, kSelectFolder));
  UseProgramDialog(dialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!start.empty()) dialog.setDirectory(QString::fromStdString(start));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return WithTrailingSeparator(dialog.selectedFiles().first().toStdString());
}
