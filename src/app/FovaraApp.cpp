#include "app/FovaraApp.h"

#include <filesystem>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>
#include <QUrl>

#include "app/MainWindow.h"
#include "app/SplashPicture.h"
#include "app/ui/QtTranslations.h"
#include "platform/framework/Preferences.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/framework/WorkAside.h"
#include "tools/ProjectSession.h"
#include "controls/UiText.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSplashMilliseconds = 2000;

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

bool IsLanguageSwitch(const QString& argument) {
  return argument.compare(QLatin1String("-us"), Qt::CaseInsensitive) == 0 ||
         argument.compare(QLatin1String("-fr"), Qt::CaseInsensitive) == 0;
}

}  // namespace

CFovaraApp::CFovaraApp(UserInterface& ui) : ui_(ui) {
  QString programFolder = QCoreApplication::applicationDirPath();
  // Beside the program in a build, under share/ once installed.
  helpFolders_ = {programFolder + QStringLiteral("/help"), programFolder + QStringLiteral("/../share/fovara/help")};
  urlOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

CFovaraApp::~CFovaraApp() {
  if (running_) ExitInstance();
}

QString CFovaraApp::ProjectArgument(const QStringList& arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (!IsLanguageSwitch(arguments[i]) && !arguments[i].startsWith(QLatin1Char('-'))) return arguments[i];
  }
  return {};
}

void CFovaraApp::SelectLanguage(const QStringList& arguments) {
  std::vector<std::string> copies;
  for (const QString& a : arguments) copies.push_back(a.toStdString());
  std::vector<const char*> argv;
  for (const std::string& s : copies) argv.push_back(s.c_str());
  Language language = LanguageFromArguments(int(argv.size()), argv.data());
  SetInterfaceLanguage(language);
  ui_.SetLanguage(language);
  // Qt's own texts (standard buttons, file dialogs) follow the interface language.
  InstallQtTranslations(language == Language::French);
}

// The folder the user worked in last time, else the home folder. The program's own folder is
// nobody's working folder: earlier versions stored it when the user had chosen none.
void CFovaraApp::RestoreWorkingFolder() {
  const fs::path home = QDir::homePath().toStdString();
  fs::path folder = Preferences::GetValue("settings", "dir", "");
  std::error_code error;
  if (folder.empty() || !fs::is_directory(folder, error) ||
      SameFolder(folder, QCoreApplication::applicationDirPath().toStdString())) {
    folder = home;
  }
  if (fs::is_directory(folder, error)) fs::current_path(folder, error);
}

QString CFovaraApp::FromStartFolder(const QString& path, const QString& startFolder) {
  if (path.isEmpty()) return path;
  return QDir::cleanPath(QDir(startFolder).absoluteFilePath(path));
}

bool CFovaraApp::InitInstance(const QStringList& arguments, const std::function<void(QWidget*)>& mainWindowCreated) {
  SelectLanguage(arguments);
  // A relative name on the command line is taken from the folder the program was started in,
  // before the working folder changes.
  const QString project = FromStartFolder(ProjectArgument(arguments), QDir::currentPath());
  RestoreWorkingFolder();
  session_ = std::make_unique<ProjectSession>(ui_);
  mainWindow_ = std::make_unique<MainWindow>(*session_);
  QObject::connect(mainWindow_.get(), &MainWindow::HelpRequested, [this] { WinHelp(); });
  QObject::connect(mainWindow_.get(), &MainWindow::AboutRequested, [this] { ShowAbout(); });
  running_ = true;
  if (mainWindowCreated) mainWindowCreated(mainWindow_.get());
  ShowMainWindow();

  // A project that cannot be opened has told the user why; the program goes on empty rather
  // than vanishing.
  if (!project.isEmpty()) mainWindow_->OpenProject(project.toStdString());
  return true;
}

void CFovaraApp::ShowMainWindow() {
  if (mainWindow_->RestoreWindowPlacement()) {
    mainWindow_->show();
    return;
  }
  // Maximised the first time; the screen's size too, for a display without a window manager.
  if (QScreen* screen = QGuiApplication::primaryScreen()) mainWindow_->setGeometry(screen->availableGeometry());
  mainWindow_->showMaximized();
}

int CFovaraApp::ExitInstance() {
  if (!running_) return 0;
  running_ = false;
  std::error_code error;
  fs::path folder = fs::current_path(error);
  if (!error) Preferences::SetValue("settings", "dir", folder.string());
  delete splash_;
  splash_ = nullptr;
  mainWindow_.reset();  // the window lets go of the session first
  // A frame whose reading the user cancelled may still be read on its thread: the project
  // waits for it as it goes.
  session_.reset();
  InstallQtTranslations(false);
  // A normal end is a successful exit for the scripts that start the program.
  return 0;
}

QString CFovaraApp::FindHelpPage() const {
  QString language = InterfaceLanguage() == Language::French ? QStringLiteral("fr") : QStringLiteral("en");
  for (const QString& folder : helpFolders_) {
    for (const QString& candidate : {language, QStringLiteral("en")}) {
      QFileInfo page(folder + QLatin1Char('/') + candidate + QStringLiteral("/index.html"));
      if (page.isFile()) return page.absoluteFilePath();
    }
  }
  return {};
}

void CFovaraApp::WinHelp() {
  QString page = FindHelpPage();
  if (page.isEmpty()) {
    ui_.Warning(UiString(kHelpTitle), UiString(kHelpFileCannotFound));
    return;
  }
  if (!urlOpener_(QUrl::fromLocalFile(page))) {
    ui_.Warning(UiString(kHelpTitle), UiFormat(kHelpPageCouldNot, page.toStdString()));
  }
}

void CFovaraApp::ShowAbout() {
  delete splash_;
  splash_ = new QSplashScreen(MakeSplashPicture());
  splash_->show();
  QSplashScreen* shown = splash_;
  QTimer::singleShot(kSplashMilliseconds, shown, [this, shown] {
    shown->close();
    if (splash_ == shown) splash_ = nullptr;
    shown->deleteLater();
  });
}
