#pragma once
// The seed corpus of the fuzz targets: valid files of each kind, made by the program itself.

#include <string>

// The scene the seed projects name, written into folder: frame0001.tga and frame0001.zpic.
bool WriteFuzzScene(const std::string& folder, std::string& error);

// Writes the seeds under folder, one subfolder per target: project/, record/, zpic/, image/.
// False with the reason in error.
bool WriteFuzzSeeds(const std::string& folder, std::string& error);
