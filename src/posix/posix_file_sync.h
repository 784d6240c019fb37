#pragma once

#include <string>

// Hands the written content of the file at `path` to the disk (fsync).
bool syncFileToDisk(const std::string& path);
