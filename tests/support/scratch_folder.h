#pragma once

#include <filesystem>
#include <string>

// A private temporary folder for tests, harnesses and benchmarks that need
// files; removed with its content when the object goes.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix = "zintavo-scratch");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Removes everything inside, keeping the folder.
    void empty() const;

  private:
    std::filesystem::path path_;
};
