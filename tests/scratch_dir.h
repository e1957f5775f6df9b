// A fresh temporary working directory for one test, removed afterwards.
#ifndef VEXA_TESTS_SCRATCH_DIR_H
#define VEXA_TESTS_SCRATCH_DIR_H

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/vexa-test-XXXXXX";
    path_ = mkdtemp(pattern);
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  void write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << content;
  }
  const std::string& path() const { return path_; }

 private:
  const std::filesystem::path previous_ = std::filesystem::current_path();
  std::string path_;
};

#endif
