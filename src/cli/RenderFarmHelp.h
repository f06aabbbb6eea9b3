#pragma once
// The part of `fovara-render render --help` that shows how to split a sequence over the
// tasks of a render farm.

#include <string>

std::string RenderFarmHelp();
