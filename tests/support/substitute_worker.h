#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temporary_folder.h"

// A substitute for the script worker: a shell script, run with the channel on its standard input and output,
// that plays a part the real worker never would (stops halfway through a message, announces a message too large,
// never says it is ready). Messages are written with printf: a 32-bit length, least significant byte first (the
// machines the tests run on), then the bytes.
class SubstituteWorker {
 public:
  // The ready message of the worker protocol.
  static constexpr const char* sayReady = "printf '\\001\\000\\000\\000W'\n";
  // Reads and drops the length of the program's next message.
  static constexpr const char* readRequestLength = "head -c 4 >/dev/null\n";

  explicit SubstituteWorker(const std::string& body) {
    path_ = folder_.path() / "substitute-worker";
    std::ofstream(path_) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  }

  const std::filesystem::path& path() const { return path_; }

 private:
  TemporaryFolder folder_;
  std::filesystem::path path_;
};
