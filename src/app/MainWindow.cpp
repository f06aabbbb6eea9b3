#include "app/MainWindow.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QWhatsThis>

#include "app/AnimationPanel.h"
#include "app/ColourViews.h"
#include "app/CommandActions.h"
#include "app/CustomVReBar.h"
#include "app/DepthToolHint.h"
#include "app/FilterPanels.h"
#include "app/FovaraView.h"
#include "app/Icons.h"
#include "app/ViewStatusBar.h"
#include "filters/DepthFilterCommand.h"
#include "controls/ToolBitmapButton.h"
#include "tools/DepthConversion.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/Preferences.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "tools/ProjectSession.h"
#include "tools/DepthTools.h"
#include "controls/UiText.h"

namespace {

QString Text(int id) { return QString::fromStdString(LoadString(InterfaceLanguage(), id)); }

// The first line of a help string is the status text.
QString HelpLine(int id, int line) { return QString::fromStdString(GetCommandHelp(InterfaceLanguage(), line, id)); }


// "Undo blur amount behind" when the step has a name.
void NameAction(QAction* action, int plainId, int namedId, int nameId) {
  const QString text = nameId ? QString::fromStdString(FormatString(InterfaceLanguage(), namedId, LoadString(InterfaceLanguage(), nameId))) : Text(plainId);
  if (action->text() == text) return;
  action->setText(text);
  action->setToolTip(ToolTipFor(text, action->shortcut()));
}

bool IsProjectFile(const std::string& path) { return fileGetClass(path) == kClassProject; }

// Document operations report their failures themselves; an exception escaping one must still
// not end the program.
template <typename Operation>
bool Guarded(UserInterface& ui, Operation operation) {
  try {
    return operation();
  } catch (const std::exception& e) {
    ui.Warning(UiString(kWarningTitle), e.what());
    return false;
  }
}

}  // namespace

MainWindow::MainWindow(ProjectSession& session, QWidget* parent) : QMainWindow(parent), session_(session) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowIcon(ProgramIcon());
  setAcceptDrops(true);
  setDockOptions(QMainWindow::AnimatedDocks);

  view_ = new CFovaraView(Frame(), this);
  setCentralWidget(view_);
  Frame().SetViewport(view_);
  leftPane_ = new CCustomVReBar(this);
  addDockWidget(Qt::LeftDockWidgetArea, leftPane_);
  animation_ = new AnimationPanel(Document().GetProject(), this);
  animation_->hide();
  status_ = new ViewStatusBar(this);
  setStatusBar(status_);

  CreateFileActions();
  commands_ = new CommandActions(Frame(), this);
  connect(commands_, &CommandActions::CommandRun, this, [this] { RefreshFromProject(); });
  colourViews_ = new ColourViews(Document().GetProject(), this);
  connect(colourViews_, &ColourViews::Changed, this, [this] { RefreshFromProject(); });
  CreateToolbars();
  ConnectView();
  // A colour configuration that cannot be used is said once, where the ready text would be.
  status_->showMessage(colourViews_->Problem().isEmpty() ? Text(kReady) : colourViews_->Problem());

  Frame().SetStateListener([this] { RefreshFromProject(); });
  // The compare key works whichever widget of the window has the keyboard.
  qApp->installEventFilter(this);
  for (DepthFilterCommand* filter : FilterCommands(Frame())) filter->SetPanelFactory(DockedFilterPanels(leftPane_));
  ToolBitmapButton::SetCurrentCommandQuery([this] {
    CQelCommand* current = Frame().GetCommandManager().GetCurrentCommand();
    return current ? current->GetID() : 0u;
  });
  RefreshFromProject();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  ToolBitmapButton::SetCurrentCommandQuery({});
  for (DepthFilterCommand* filter : FilterCommands(Frame())) filter->SetPanelFactory({});
  Frame().SetStateListener({});
  Frame().SetViewport(nullptr);
}

ApplicationFrame& MainWindow::Frame() const { return session_.Frame(); }
CFovaraDoc& MainWindow::Document() const { return session_.Document(); }

QAction* MainWindow::GetFileAction(WindowAction id) const {
  auto it = fileActions_.find(id);
  return it == fileActions_.end() ? nullptr : it->second;
}

QAction* MainWindow::GetCommandAction(uint32_t id) const { return commands_->ForCommand(id); }

QAction* MainWindow::AddFileAction(WindowAction id, int nameId, int helpId, const QKeySequence& keys, const char* icon) {
  auto* action = new QAction(Text(nameId), this);
  action->setShortcut(keys);
  action->setStatusTip(HelpLine(helpId, 0));
  action->setToolTip(ToolTipFor(action->text(), keys));
  if (icon) action->setIcon(IconNamed(icon));
  addAction(action);  // its keys work whichever menu is shown
  fileActions_[id] = action;
  return action;
}

void MainWindow::CreateFileActions() {
  connect(AddFileAction(kIdNewProject, kNewProjectItem, kNewProjectHelp, QKeySequence(Qt::CTRL | Qt::Key_N), "new"),
          &QAction::triggered, this, &MainWindow::OnNewProject);
  connect(AddFileAction(kIdOpenProject, kOpenProjectItem, kOpenProjectHelp, QKeySequence(Qt::CTRL | Qt::Key_O), "open"),
          &QAction::triggered, this, &MainWindow::OnOpenProject);
  connect(AddFileAction(kIdSaveProject, kSaveProjectItem, kSaveProjectHelp, QKeySequence(Qt::CTRL | Qt::Key_S), "save"),
          &QAction::triggered, this, &MainWindow::OnSaveProject);
  connect(AddFileAction(kIdSaveProjectAs, kSaveAsName, kSaveAsHelp, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                        nullptr),
          &QAction::triggered, this, &MainWindow::OnSaveProjectAs);
  connect(AddFileAction(kIdCloseProject, kCloseItem, kCloseProjectHelp, QKeySequence(Qt::CTRL | Qt::Key_F4), nullptr),
          &QAction::triggered, this, &MainWindow::OnCloseProject);
  connect(AddFileAction(kIdConvertZBuffer, kConvertZBufferItem, kConvertZBufferHelp, QKeySequence(), nullptr), &QAction::triggered, this,
          &MainWindow::OnConvertZBuffer);
  connect(AddFileAction(kIdExit, kExitItem, kExitHelp, QKeySequence(Qt::CTRL | Qt::Key_Q), nullptr), &QAction::triggered,
          this, &QWidget::close);
  connect(AddFileAction(kIdHelp, kHelpItem, kHelpCommandHelp, QKeySequence(Qt::Key_F1), nullptr), &QAction::triggered, this,
          &MainWindow::HelpRequested);
  connect(AddFileAction(kIdAbout, kAboutFovaraItem, kAboutHelp, QKeySequence(), nullptr), &QAction::triggered, this,
          &MainWindow::AboutRequested);
  connect(AddFileAction(kIdContextHelp, kWhatsThisItem, kHelpCommandHelp, QKeySequence(Qt::SHIFT | Qt::Key_F1), nullptr),
          &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
  connect(AddFileAction(kIdUndo, kUndoText, kUndoHelp, QKeySequence(Qt::CTRL | Qt::Key_Z), nullptr), &QAction::triggered,
          this, &MainWindow::OnUndo);
  connect(AddFileAction(kIdRedo, kRedoText, kRedoHelp, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), nullptr),
          &QAction::triggered, this, &MainWindow::OnRedo);
  // Escape ends a depth tool; it is left to the focused widget the rest of the time.
  endTool_ = new QAction(this);
  endTool_->setShortcut(QKeySequence(Qt::Key_Escape));
  endTool_->setEnabled(false);
  addAction(endTool_);
  connect(endTool_, &QAction::triggered, this, &MainWindow::EndDepthTool);
}

void MainWindow::CreateToolbars() {
  navigationBar_ = new QToolBar(QString::fromStdString(LoadString(InterfaceLanguage(), kTools)), this);
  navigationBar_->setObjectName(QStringLiteral("toolsBar"));
  navigationBar_->setIconSize(QSize(24, 24));
  navigationBar_->addAction(GetFileAction(kIdNewProject));
  navigationBar_->addAction(GetFileAction(kIdOpenProject));
  navigationBar_->addAction(GetFileAction(kIdSaveProject));
  navigationBar_->addSeparator();
  commands_->FillNavigationToolbar(navigationBar_);
  addToolBar(Qt::TopToolBarArea, navigationBar_);

  previewBar_ = new QToolBar(QString::fromStdString(LoadString(InterfaceLanguage(), kPreview)), this);
  previewBar_->setObjectName(QStringLiteral("previewBar"));
  previewBar_->setIconSize(QSize(24, 24));
  commands_->FillPreviewToolbar(previewBar_);
  addToolBar(Qt::TopToolBarArea, previewBar_);
}

void MainWindow::BuildMenus(bool full) {
  // Menus are dropped later: this may run from one of their own entries.
  for (QAction* old : menuBar()->actions()) {
    if (QMenu* menu = old->menu()) menu->deleteLater();
  }
  menuBar()->clear();

  QMenu* file = menuBar()->addMenu(Text(kFileItem));
  file->addAction(GetFileAction(kIdNewProject));
  file->addAction(GetFileAction(kIdOpenProject));
  if (full) {
    file->addAction(GetFileAction(kIdSaveProject));
    file->addAction(GetFileAction(kIdSaveProjectAs));
    file->addAction(GetFileAction(kIdCloseProject));
    file->addSeparator();
    file->addAction(GetFileAction(kIdConvertZBuffer));
    file->addSeparator();
  }
  QMenu* recent = file->addMenu(Text(kRecentFileItem));
  recent->setObjectName(QStringLiteral("recentMenu"));
  connect(recent, &QMenu::aboutToShow, this, [this, recent] { FillRecentMenu(recent); });
  FillRecentMenu(recent);
  file->addSeparator();
  file->addAction(GetFileAction(kIdExit));

  if (full) {
    QMenu* edit = menuBar()->addMenu(Text(kEditItem));
    edit->addAction(GetFileAction(kIdUndo));
    edit->addAction(GetFileAction(kIdRedo));
    QMenu* render = menuBar()->addMenu(Text(kRenderItem));
    commands_->FillRenderMenu(render);
    QMenu* view = menuBar()->addMenu(Text(kViewItem));
    commands_->FillViewMenu(view);
    colourViews_->AddMenu(view);
    for (QMenu* menu : {render, view}) {
      connect(menu, &QMenu::aboutToShow, commands_, &CommandActions::UpdateStates);
    }
  }

  QMenu* help = menuBar()->addMenu(Text(kHelpMenu));
  help->addAction(GetFileAction(kIdHelp));
  help->addAction(GetFileAction(kIdAbout));
  fullMenus_ = full;
  menusBuilt_ = true;
}

void MainWindow::FillRecentMenu(QMenu* menu) {
  menu->clear();
  std::vector<std::string> recent = Preferences::GetRecentFiles();
  for (size_t i = 0; i < recent.size(); ++i) {
    QString label = QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromStdString(recent[i]));
    std::string path = recent[i];
    connect(menu->addAction(label), &QAction::triggered, this, [this, path] { OpenProject(path); });
  }
  if (recent.empty()) menu->addAction(Text(kRecentFileItem).remove(QLatin1Char('&')))->setEnabled(false);
}

void MainWindow::ConnectView() {
  connect(view_, &CFovaraView::PointerMoved, this,
          [this](int x, int y, bool inside) {
            ProjectData& project = Document().GetProject();
            status_->ShowPointer(project, x, y, inside);
            ShowToolHint(DepthToolHint(project, Frame().GetCommandManager().GetCurrentCommand(), x, y, inside));
          });
  connect(view_, &CFovaraView::ZoomChanged, status_, &ViewStatusBar::ShowZoom);
  connect(view_, &CFovaraView::CommandInput, this, &MainWindow::RefreshFromProject);
}

void MainWindow::ShowToolHint(const QString& hint) {
  if (hint.isEmpty()) {
    if (toolHintShown_) status_->showMessage(Text(kReady));
    toolHintShown_ = false;
    return;
  }
  status_->showMessage(hint);
  toolHintShown_ = true;
}

void MainWindow::RefreshFromProject() {
  const bool full = Frame().HasProjectMenus();
  if (!menusBuilt_ || full != fullMenus_) BuildMenus(full);
  navigationBar_->setVisible(full);
  previewBar_->setVisible(full);
  GetFileAction(kIdSaveProject)->setEnabled(full);
  GetFileAction(kIdSaveProjectAs)->setEnabled(full);
  GetFileAction(kIdCloseProject)->setEnabled(full);
  GetFileAction(kIdConvertZBuffer)->setEnabled(full);
  const ProjectData& project = Document().GetProject();
  GetFileAction(kIdUndo)->setEnabled(full && project.History().CanUndo());
  GetFileAction(kIdRedo)->setEnabled(full && project.History().CanRedo());
  NameAction(GetFileAction(kIdUndo), kUndoText, kUndoNamedText, full ? project.History().UndoNameId() : 0);
  NameAction(GetFileAction(kIdRedo), kRedoText, kRedoNamedText, full ? project.History().RedoNameId() : 0);
  FollowAnimation(full);
  commands_->UpdateStates();
  const bool depthTool = IsDepthTool(Frame().GetCommandManager().GetCurrentCommand());
  endTool_->setEnabled(depthTool);
  if (!depthTool) ShowToolHint({});
  ToolBitmapButton::FollowCurrentCommand();
  view_->SetEmptyText(full ? QString() : Text(kStartNewProjectImage));
  status_->ShowZoom(view_->HasImage() ? view_->GetZoom() : 0.0);
  status_->ShowExposure(project);
  status_->ShowColourView(colourViews_->CurrentName(), colourViews_->Problem());
  UpdateTitle();
}

// The project file's name ("dof.fvz — Fovara"), marked while modified; a project that was
// never saved is called so.
void MainWindow::UpdateTitle() {
  const QString application = Text(kProgramName);
  const std::string& path = Document().GetPathName();
  QString project;
  if (!path.empty()) project = QString::fromStdString(fileStripPath(path));
  else if (Frame().HasProjectMenus()) project = Text(kUntitledProject);
  setWindowTitle(project.isEmpty() ? application : QStringLiteral("%1[*] \u2014 %2").arg(project, application));
  setWindowModified(Frame().GetModifiedFlag());
}

// The animation panel is docked below the filter's panel while a project is open.
void MainWindow::FollowAnimation(bool projectOpen) {
  if (projectOpen && !animationDocked_) {
    leftPane_->AddBottomBar(animation_, LoadString(InterfaceLanguage(), kAnimationSettings));
    animation_->show();
    animationDocked_ = true;
    SetLeftPaneWidth(std::max(leftPane_->width(), animation_->sizeHint().width()));
    // The view takes its narrower size now, before it shows the project's image.
    layout()->activate();
  } else if (!projectOpen && animationDocked_) {
    leftPane_->RemoveBar(animation_);
    animation_->setParent(this);
    animation_->hide();
    animationDocked_ = false;
  }
  if (projectOpen) animation_->FollowProject();
}

void MainWindow::SetLeftPaneWidth(int width) {
  if (width <= 0) return;
  resizeDocks({leftPane_}, {width}, Qt::Horizontal);
}

// --- File commands ---

void MainWindow::OnNewProject() {
  Guarded(session_.UI(), [this] { return Document().OnNewProject(); });
  RefreshFromProject();
}

void MainWindow::OnOpenProject() {
  FileRequest request{kClassProject, 0, "", Document().GetProject().Model().ResolveImageFolder()};
  std::optional<std::string> chosen = session_.UI().ChooseFileToOpen(request);
  if (chosen && !chosen->empty()) OpenProject(*chosen);
}

void MainWindow::OnSaveProject() {
  Guarded(session_.UI(), [this] { return Document().DoFileSave(); });
  RefreshFromProject();
}

void MainWindow::OnSaveProjectAs() {
  Guarded(session_.UI(), [this] { return Document().DoFileSaveAs(); });
  RefreshFromProject();
}

bool MainWindow::EndDepthTool() {
  if (!IsDepthTool(Frame().GetCommandManager().GetCurrentCommand())) return false;
  Frame().EndTool();
  RefreshFromProject();
  return true;
}

bool MainWindow::CompareWithSource(bool held) {
  ProjectData& project = Document().GetProject();
  if (held) {
    const uint32_t mode = project.View().GetViewMode();
    if (comparedMode_ || !project.GetFilter() || (mode != kViewLastResult && mode != kViewFilterPreview)) return false;
    comparedMode_ = mode;
    project.View().SetViewMode(kViewImage, true, false);
    status_->showMessage(Text(kComparingText));
    return true;
  }
  if (!comparedMode_) return false;
  const uint32_t mode = std::exchange(comparedMode_, 0);
  if (project.GetFilter() && project.View().GetViewMode() == kViewImage) project.View().SetViewMode(mode, true, true);
  status_->showMessage(Text(kReady));
  return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == kCompareKey && isActiveWindow()) {
      if (!key->isAutoRepeat()) CompareWithSource(event->type() == QEvent::KeyPress);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::OnCloseProject() {
  Guarded(session_.UI(), [this] { return Document().CloseCurrentProject(); });
  RefreshFromProject();
}

void MainWindow::OnConvertZBuffer() {
  Guarded(session_.UI(), [this] { return ConvertZBuffer(Document().GetProject()); });
}

void MainWindow::OnUndo() {
  Guarded(session_.UI(), [this] { return Document().GetProject().History().Undo(); });
  RefreshFromProject();
}

void MainWindow::OnRedo() {
  Guarded(session_.UI(), [this] { return Document().GetProject().History().Redo(); });
  RefreshFromProject();
}

bool MainWindow::OpenProject(const std::string& path) {
  bool opened = Guarded(session_.UI(), [this, &path] { return Document().OnOpenDocument(path); });
  // The project's folder is where the user works now.
  if (opened) QDir::setCurrent(QString::fromStdString(fileStripName(Document().GetPathName())));
  RefreshFromProject();
  return opened;
}

bool MainWindow::NewProjectFromImage(const std::string& path) {
  bool made = Guarded(session_.UI(), [this, &path] { return Document().NewProjectFrom(path); });
  RefreshFromProject();
  return made;
}

// --- Window ---

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Frame().SavePrompt() == kCommandCancel) {
    event->ignore();
    RefreshFromProject();
    return;
  }
  SaveWindowPlacement();
  event->accept();
}

void MainWindow::SaveWindowPlacement() const {
  Preferences::SetValue("window", "geometry", saveGeometry().toBase64().toStdString());
}

bool MainWindow::RestoreWindowPlacement() {
  std::string stored = Preferences::GetValue("window", "geometry", "");
  return !stored.empty() && restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(stored)));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) event->acceptProposedAction();
}

// A project file dropped on the window is opened; an image starts a new project.
void MainWindow::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  if (!data->hasUrls() || data->urls().isEmpty()) return;
  std::string path = data->urls().first().toLocalFile().toStdString();
  event->acceptProposedAction();
  if (IsProjectFile(path)) OpenProject(path);
  else NewProjectFromImage(path);
}
