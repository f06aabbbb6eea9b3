#pragma once
// The application: picks the interface language, restores the working folder, creates the
// project machinery and the main window, opens a project named on the command line, and
// on exit stores the working folder. It also shows the help pages and the About splash.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

class MainWindow;
class UserInterface;
class ProjectSession;
class QSplashScreen;
class QUrl;
class QWidget;

class CFovaraApp {
 public:
  // The application talks to the user through ui, in the language it chooses at start.
  explicit CFovaraApp(UserInterface& ui);
  ~CFovaraApp();
  CFovaraApp(const CFovaraApp&) = delete;
  CFovaraApp& operator=(const CFovaraApp&) = delete;

  // Start-up in order: language from "-us" / "-fr" (any case, the last one wins; else the
  // locale), working folder (the user's last one, else the home folder), project machinery,
  // main window, then the project named on the command line (a relative name is taken from
  // the folder the program was started in). A project that cannot be opened leaves the
  // window empty; the user has been told why. mainWindowCreated runs as soon as the window exists, before any project is
  // opened, so that dialogs can be owned by it. False when the program cannot start.
  bool InitInstance(const QStringList& arguments,
                    const std::function<void(QWidget*)>& mainWindowCreated = {});
  // Stores the working folder and drops the window and the project. Returns the exit code (0).
  int ExitInstance();

  MainWindow* GetMainWindow() const { return mainWindow_.get(); }
  ProjectSession& GetSession() const { return *session_; }

  // Opens the help page of the interface language in the web browser; the warning box when
  // the pages cannot be found.
  void WinHelp();
  // The About splash, closed after 2 seconds.
  void ShowAbout();
  QSplashScreen* GetSplash() const { return splash_; }

  // Where the help pages are looked for (tests point it elsewhere) and how a page is shown.
  void SetHelpFolders(std::vector<QString> folders) { helpFolders_ = std::move(folders); }
  void SetUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
  // The help page for the current language, or an empty string when there is none.
  QString FindHelpPage() const;

  // The project file named on the command line: the first argument that is not an option.
  static QString ProjectArgument(const QStringList& arguments);
  // A path as the user typed it, made complete against the folder the program started in.
  static QString FromStartFolder(const QString& path, const QString& startFolder);

 private:
  void SelectLanguage(const QStringList& arguments);
  void RestoreWorkingFolder();
  void ShowMainWindow();

  UserInterface& ui_;
  std::unique_ptr<ProjectSession> session_;
  std::unique_ptr<MainWindow> mainWindow_;
  QSplashScreen* splash_ = nullptr;
  std::vector<QString> helpFolders_;
  std::function<bool(const QUrl&)> urlOpener_;
  bool running_ = false;
};
