// A fresh temporary working directory for one test, removed afterwards.
#ifndef VEXA_TESTS_SCRATCH_DIR_H
#define VEXA_TESTS_SCRATCH_DIR_H

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/vexa-test-XXXXXX";
    path_ = mkdtemp(pattern);
    char previous[4096];
    previous_ = getcwd(previous, sizeof previous);
    if (chdir(path_.c_str()) != 0) std::abort();
  }
  ~ScratchDir() {
    if (chdir(previous_.c_str()) != 0) std::abort();
    std::system(("rm -rf '" + path_ + "'").c_str());
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  void write(const std::string& name, const std::string& content) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << content;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

#endif
