#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/scratch_folder.h"

// A fresh folder per test, named after it, removed afterwards.
class TempDir : public ScratchFolder {
  public:
    TempDir() : ScratchFolder(testName()) {}

    std::string file(const std::string& name) const { return (path() / name).string(); }

  private:
    static std::string testName() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        return "zintavo-" + std::string(info->test_suite_name()) + "-" + info->name();
    }
};

inline std::string readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
