#pragma once
// File and folder choice. The type lists come from what the image library reads and writes
// here, grouped by file class for opening and by format for saving.

#include <QStringList>
#include <optional>
#include <string>

#include "platform/framework/UserInterface.h"

class QWidget;

// Name filters ("Pictures (*.png *.tga)") for opening a file of the class; the first one
// takes every extension of the class.
QStringList OpenFileFilters(uint32_t fileClass);
// Name filters for saving: one per format the image library can write (or the project type).
QStringList SaveFileFilters(uint32_t fileClass);

std::optional<std::string> ChooseFileToOpenWithDialog(QWidget* parent, const FileRequest& request);
// The chosen name always ends with an extension that names its format: the one typed, else
// the chosen type's.
std::optional<std::string> ChooseFileToSaveWithDialog(QWidget* parent, const FileRequest& request);
// The chosen folder, with its trailing separator.
std::optional<std::string> ChooseFolderWithDialog(QWidget* parent, const std::string& title,
                                                  const std::string& start);
