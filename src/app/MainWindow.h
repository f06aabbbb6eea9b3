#pragma once
// The main window: the short menu while no project is open and the full one with a project,
// the navigation toolbar and the preview toolbar, the image view, the left dock for the
// panels, the status bar, the modified flag in the title and the save prompt on closing.

#include <cstdint>
#include <map>
#include <string>

#include <QMainWindow>

class ApplicationFrame;
class AnimationPanel;
class CCustomVReBar;
class CFovaraDoc;
class CFovaraView;
class ColourViews;
class CommandActions;
class ProjectSession;
class QAction;
class QMenu;
class QToolBar;
class ViewStatusBar;

// The window's own actions (the file, edit and help menus), beside the commands' actions.
enum WindowAction {
  kIdNewProject,
  kIdOpenProject,
  kIdSaveProject,
  kIdSaveProjectAs,
  kIdCloseProject,
  kIdConvertZBuffer,
  kIdExit,
  kIdUndo,
  kIdRedo,
  kIdHelp,
  kIdContextHelp,
  kIdAbout,
};

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(ProjectSession& session, QWidget* parent = nullptr);
  ~MainWindow() override;

  CFovaraView* GetView() const { return view_; }
  CCustomVReBar* GetLeftPane() const { return leftPane_; }
  AnimationPanel* GetAnimationPanel() const { return animation_; }
  ViewStatusBar* GetStatusReadout() const { return status_; }
  ColourViews* GetColourViews() const { return colourViews_; }
  QToolBar* GetNavigationToolbar() const { return navigationBar_; }
  QToolBar* GetPreviewToolbar() const { return previewBar_; }
  ApplicationFrame& Frame() const;
  CFovaraDoc& Document() const;

  // The action of a file or help command (kId...) or of a registered command (its FourCC).
  QAction* GetFileAction(WindowAction id) const;
  QAction* GetCommandAction(uint32_t id) const;

  // Opens a project file or starts a project from an image; false when nothing was opened
  // (the user was told why, or kept the current project).
  bool OpenProject(const std::string& path);
  bool NewProjectFromImage(const std::string& path);
  // Follows the project: menus, toolbars, command states, title.
  void RefreshFromProject();
  void SetLeftPaneWidth(int width);

  // Ends the depth tool on top (Escape); false when none ran.
  bool EndDepthTool();
  // Before and after: while the compare key is held over a result or the effect preview, the
  // view shows the source image. False when there is nothing to compare.
  bool CompareWithSource(bool held);
  static constexpr Qt::Key kCompareKey = Qt::Key_Backslash;

  // The window's size and place, kept in the preferences.
  void SaveWindowPlacement() const;
  // False when none was stored.
  bool RestoreWindowPlacement();

 Q_SIGNALS:
  void HelpRequested();
  void AboutRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateFileActions();
  QAction* AddFileAction(WindowAction id, int nameId, int helpId, const QKeySequence& keys, const char* icon);
  void BuildMenus(bool full);
  void FillRecentMenu(QMenu* menu);
  void CreateToolbars();
  void ConnectView();
  void UpdateTitle();
  // The depth tools' hint in the status bar; an empty hint puts back the ready text.
  void ShowToolHint(const QString& hint);
  void OnNewProject();
  void OnOpenProject();
  void OnSaveProject();
  void OnSaveProjectAs();
  void OnCloseProject();
  void OnConvertZBuffer();
  void OnUndo();
  void OnRedo();
  void FollowAnimation(bool projectOpen);

  ProjectSession& session_;
  CFovaraView* view_;
  CCustomVReBar* leftPane_;
  AnimationPanel* animation_;
  bool animationDocked_ = false;
  ViewStatusBar* status_;
  CommandActions* commands_;
  ColourViews* colourViews_;
  QToolBar* navigationBar_ = nullptr;
  QToolBar* previewBar_ = nullptr;
  std::map<WindowAction, QAction*> fileActions_;
  QAction* endTool_ = nullptr;
  bool fullMenus_ = false;
  bool menusBuilt_ = false;
  bool toolHintShown_ = false;
  uint32_t comparedMode_ = 0;  // the view mode the compare key left, 0 while it is not held
};
