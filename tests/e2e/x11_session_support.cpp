#include "x11_session_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"
#include "support/temporary_config_home.h"
#include "support/x11_selection.h"

extern char** environ;

namespace x11test {

using namespace std::chrono_literals;

void SessionTest::SetUpTestSuite() {
  configHome();
  ensureGuiApplication();
}

void ensureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "quillet-e2e";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "xcb");
  new QApplication(argc, argv);  // lives for the test program
  QApplication::setApplicationName("Quillet");
}

std::string readClipboard(const std::string& target) {
  return run({"xclip", "-o", "-selection", "clipboard", "-t", target});
}

size_t occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

std::unique_ptr<ChildProcess> startEmbeddingTray() {
  return std::make_unique<ChildProcess>(std::vector<std::string>{
      "trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "28",
      "--SetDockType", "false", "--tint", "0xd8d8d8", "--transparent", "true", "--alpha", "0"});
}

std::unique_ptr<ChildProcess> startWindowManager() {
  if (run({"sh", "-c", "command -v openbox"}).empty()) {
    ADD_FAILURE() << "openbox is missing: make deps installs it";
    return nullptr;
  }
  auto windowManager = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox"});
  // Ready once it frames a window mapped after it started: a window mapped while it still starts up stays unmapped.
  platform::X11Connection& x = *platform::X11Connection::shared();
  const bool manages = processEventsUntil(
      [&] {
        TestWindow probe(0, 0, 10, 10);
        return processEventsUntil([&] { return x.property32(probe.window(), "_NET_FRAME_EXTENTS").has_value(); },
                                  500ms);
      },
      10s);
  EXPECT_TRUE(manages) << "openbox does not manage the windows";
  return windowManager;
}

const std::filesystem::path& SessionTest::configHome() {
  static TemporaryConfigHome home;
  return home.path();
}

void processEventsFor(std::chrono::milliseconds duration) {
  processEventsUntil([] { return false; }, duration);
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& standardInput) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
  // Spawned, not forked: a fork copies a test program of hundreds of megabytes (under the address sanitizer, with
  // its shadow), which can fail on a loaded machine, and leaves its child in a copy of our threads' locks.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  const int error = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  outputFd_ = out[0];
  if (error != 0) {
    close(in[1]);
    pid_ = -1;
    // A program that is not installed ends as a shell reports it; anything else is the test machine's trouble.
    if (error != ENOENT) throw std::runtime_error(argv[0] + " could not be started: " + std::strerror(error));
    ended_ = true;
    exitStatus_ = 127;
    return;
  }
  size_t written = 0;
  while (written < standardInput.size()) {
    ssize_t n = ::write(in[1], standardInput.data() + written, standardInput.size() - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  close(in[1]);
}

ChildProcess::~ChildProcess() {
  if (!ended_ && pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (outputFd_ >= 0) close(outputFd_);
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
  if (ended_) return exitStatus_;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  char buffer[4096];
  while (true) {
    // Keep serving our own clipboard while the helper may be asking us for it.
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    pollfd p{outputFd_, POLLIN, 0};
    if (poll(&p, 1, 5) > 0) {
      ssize_t n = read(outputFd_, buffer, sizeof buffer);
      if (n > 0) output_.append(buffer, static_cast<size_t>(n));
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      ssize_t n;
      while ((n = read(outputFd_, buffer, sizeof buffer)) > 0) output_.append(buffer, static_cast<size_t>(n));
      ended_ = true;
      return exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
  }
}

std::string ChildProcess::output() const { return output_; }

void ChildProcess::stop() {
  if (ended_ || pid_ <= 0) return;
  kill(pid_, SIGTERM);
  wait();
}

std::string run(const std::vector<std::string>& argv, const std::string& standardInput) {
  ChildProcess child(argv, standardInput);
  child.wait();
  return child.output();
}

SelectionOwner::SelectionOwner(Options options) : options_(std::move(options)) {
  if (options_.order.empty()) {
    for (const auto& [name, data] : options_.targets) options_.order.push_back(name);
  }
  window_ = selectiontest::createSelectionWindow(connection_, XCB_EVENT_MASK_PROPERTY_CHANGE);
  if (!options_.wmClass.empty()) {
    std::string value = options_.wmInstance + '\0' + options_.wmClass + '\0';
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(value.size()), value.data());
  }
  if (options_.netWmPid != 0) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, selectiontest::atom(connection_, "_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &options_.netWmPid);
  }
  if (!options_.takeBackWith.empty()) {
    ownerChanged_ =
        selectiontest::watchOwnerChanges(connection_, window_, selectiontest::atom(connection_, "CLIPBOARD"));
  }
  xcb_set_selection_owner(connection_, window_, selectiontest::atom(connection_, "CLIPBOARD"), XCB_CURRENT_TIME);
  xcb_flush(connection_);
  thread_ = std::thread([this] { serve(); });
}

void SelectionOwner::copyAgain(std::map<std::string, std::string> targets) {
  {
    std::lock_guard lock(mutex_);
    if (!targets.empty()) {
      options_.targets = std::move(targets);
      options_.order.clear();
      for (const auto& [name, data] : options_.targets) options_.order.push_back(name);
    }
  }
  xcb_set_selection_owner(connection_, window_, selectiontest::atom(connection_, "CLIPBOARD"), XCB_CURRENT_TIME);
  xcb_flush(connection_);
}

void SelectionOwner::takeBack() {
  auto until = std::chrono::steady_clock::now() + options_.takeBackAfter;
  while (std::chrono::steady_clock::now() < until) {
  }
  std::lock_guard lock(mutex_);
  options_.targets = options_.takeBackWith;
  options_.order.clear();
  for (const auto& [name, data] : options_.targets) options_.order.push_back(name);
  options_.takeBackWith.clear();
  xcb_set_selection_owner(connection_, window_, selectiontest::atom(connection_, "CLIPBOARD"), XCB_CURRENT_TIME);
  xcb_flush(connection_);
  tookBack_ = true;
}

SelectionOwner::~SelectionOwner() {
  stop_ = true;
  thread_.join();
  xcb_destroy_window(connection_, window_);
  xcb_flush(connection_);
}

void SelectionOwner::sendData(const xcb_selection_request_event_t& request, xcb_atom_t property,
                              std::string_view data) {
  if (options_.partSize == 0 || data.size() <= options_.partSize) {
    selectiontest::sendWhole(connection_, request, property, data);
    return;
  }
  // The requestor deletes the property to ask for each next part.
  uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_change_window_attributes(connection_, request.requestor, XCB_CW_EVENT_MASK, &events);
  auto size = static_cast<uint32_t>(data.size());
  xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                      selectiontest::atom(connection_, "INCR"), 32, 1, &size);
  transfers_[{request.requestor, property}] = Transfer{request.target, data};
}

void SelectionOwner::sendNextPart(xcb_window_t requestor, xcb_atom_t property) {
  auto it = transfers_.find({requestor, property});
  if (it == transfers_.end()) return;
  Transfer& transfer = it->second;
  if (transfer.parts == options_.stopAfterParts) return;
  std::size_t length = std::min(options_.partSize, transfer.data.size() - transfer.sent);
  xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, requestor, property, transfer.target, 8,
                      static_cast<uint32_t>(length), transfer.data.data() + transfer.sent);
  xcb_flush(connection_);
  transfer.sent += length;
  ++transfer.parts;
  if (length == 0) transfers_.erase(it);  // the empty part ends the transfer
}

void SelectionOwner::pauseBeforeAnswering() {
  if (options_.longestPause <= std::chrono::milliseconds::zero()) return;
  std::uniform_int_distribution<int64_t> pause(options_.shortestPause.count(), options_.longestPause.count());
  std::this_thread::sleep_for(std::chrono::milliseconds(pause(pauses_)));
}

void SelectionOwner::serve() {
  const xcb_atom_t targets = selectiontest::atom(connection_, "TARGETS");
  int fd = xcb_get_file_descriptor(connection_);
  while (!stop_) {
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 2);
    while (auto event = platform::xcbReply(xcb_poll_for_event(connection_))) {
      if (!options_.takeBackWith.empty() && selectiontest::takenByAnother(*event, ownerChanged_, window_)) takeBack();
      if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
        if (change->state == XCB_PROPERTY_DELETE) sendNextPart(change->window, change->atom);
      }
      auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event.get());
      bool hangs = options_.hang || (options_.hangOnData && request->target != targets);
      if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST && !hangs) {
        pauseBeforeAnswering();
        std::lock_guard lock(mutex_);
        selectiontest::Offer offer;
        for (const auto& name : options_.order) {
          auto it = options_.targets.find(name);
          if (it != options_.targets.end()) offer.emplace_back(selectiontest::atom(connection_, name), it->second);
        }
        selectiontest::answer(connection_, *request, targets, offer,
                              [this](const xcb_selection_request_event_t& request, xcb_atom_t property,
                                     std::string_view data) { sendData(request, property, data); });
      }
    }
  }
}

TestWindow::TestWindow(int16_t x, int16_t y, uint16_t width, uint16_t height, bool overrideRedirect) {
  xcb_screen_t* screen = connection_.screen();
  window_ = xcb_generate_id(connection_);
  uint32_t values[] = {overrideRedirect ? 1u : 0u};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, x, y, width, height, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(connection_, window_);
  connection_.roundTrip();  // mapped now
}

TestWindow::~TestWindow() {
  xcb_destroy_window(connection_, window_);
  xcb_flush(connection_);
}

xcb_window_t clipboardOwner() {
  Client c;
  auto reply = platform::xcbReply(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selectiontest::atom(c, "CLIPBOARD")), nullptr));
  return reply ? reply->owner : xcb_window_t{XCB_NONE};
}

xcb_window_t rootWindow() { return Client().screen()->root; }

bool isStackedAbove(const std::vector<uint32_t>& stacking, xcb_window_t upper, xcb_window_t lower) {
  const auto upperAt = std::find(stacking.begin(), stacking.end(), upper);
  const auto lowerAt = std::find(stacking.begin(), stacking.end(), lower);
  return upperAt != stacking.end() && lowerAt != stacking.end() && upperAt > lowerAt;
}

void setCardinalProperty(xcb_window_t window, const std::string& name, const std::string& type,
                         const std::vector<uint32_t>& values) {
  Client c;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, selectiontest::atom(c, name), selectiontest::atom(c, type), 32,
                      static_cast<uint32_t>(values.size()), values.data());
  c.roundTrip();  // the server has it
}

TemporaryFolder::TemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillet-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TemporaryFolder::write(const std::string& relative, const std::string& content) const {
  std::filesystem::path file = std::filesystem::path(path_) / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

namespace {

std::atomic<int> refusedTakes{0};
QtMessageHandler handlerBeforeCounting = nullptr;

void countRefusedTakes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("Cannot set X11 selection owner"))) ++refusedTakes;
  handlerBeforeCounting(type, context, message);
}

}  // namespace

RefusedTakeCounter::RefusedTakeCounter() {
  refusedTakes = 0;
  handlerBeforeCounting = qInstallMessageHandler(countRefusedTakes);
}

RefusedTakeCounter::~RefusedTakeCounter() { qInstallMessageHandler(handlerBeforeCounting); }

int RefusedTakeCounter::count() const { return refusedTakes; }

}  // namespace x11test
