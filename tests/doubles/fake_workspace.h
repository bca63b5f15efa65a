#pragma once

#include "platform/system/workspace.h"

namespace platform {

// A workspace whose answers a test sets directly.
class FakeWorkspace final : public Workspace {
 public:
  std::optional<RunningApplication> frontmost;
  std::optional<RunningApplication> menuBarOwner;
  std::vector<RunningApplication> applications;
  std::vector<WindowRecord> windows;
  int frontmostQueries = 0;

  std::optional<RunningApplication> frontmostApplication() override {
    ++frontmostQueries;
    return frontmost;
  }
  std::optional<RunningApplication> menuBarOwningApplication() override { return menuBarOwner; }
  std::optional<RunningApplication> runningApplication(int32_t pid) override {
    for (const auto& app : applications) {
      if (app.pid == pid) return app;
    }
    return std::nullopt;
  }
  std::vector<RunningApplication> runningApplications() override { return applications; }
  // The windows that the options take, of `windows`.
  std::vector<WindowRecord> windowList(WindowListOptions options) override {
    std::vector<WindowRecord> listed;
    for (const auto& window : windows) {
      if (isListed(window, options)) listed.push_back(window);
    }
    return listed;
  }
  void send(ApplicationEvent event) { announce(event); }
};

}  // namespace platform
