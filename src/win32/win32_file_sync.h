#pragma once

#include <string>

// Hands the written content of the file at `path` (UTF-8) to the disk.
bool syncFileToDisk(const std::string& path);
