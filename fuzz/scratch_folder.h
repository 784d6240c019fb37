#pragma once

#include <filesystem>

// A private temporary folder for harnesses that need files; removed with its
// content when the object goes.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Removes everything inside, keeping the folder.
    void empty() const;

  private:
    std::filesystem::path path_;
};
