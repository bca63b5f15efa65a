#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <map>
#include <set>

#include "platform/system/application_identity.h"
#include "platform/system/desktop_entry.h"
#include "platform/system/workspace.h"
#include "platform/system/x11_connection.h"
#include "platform/system/xcb_reply.h"

namespace platform {

namespace {

// Workspace of a session without X11: nothing is known.
class EmptyWorkspace final : public Workspace {
 public:
  std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
  std::optional<RunningApplication> runningApplication(int32_t) override { return std::nullopt; }
  std::vector<RunningApplication> runningApplications() override { return {}; }
  std::vector<WindowRecord> windowList(WindowListOptions) override { return {}; }
};

class X11Workspace final : public Workspace {
 public:
  explicit X11Workspace(X11Connection& x) : x_(x) {}

  std::optional<RunningApplication> frontmostApplication() override {
    auto pid = activePid();
    if (!pid) return std::nullopt;
    auto app = runningApplication(*pid);
    if (app) app->isActive = true;
    return app;
  }

  std::optional<RunningApplication> runningApplication(int32_t pid) override {
    if (pid <= 0) return std::nullopt;
    const ProcessFacts& facts = factsOf(pid);
    if (!facts.exists) return std::nullopt;
    RunningApplication app;
    app.pid = pid;
    app.bundleIdentifier = facts.applicationId;
    app.bundleUrl = facts.bundleUrl;
    app.executableUrl = facts.executableUrl;
    app.localizedName = facts.localizedName;
    app.isActive = activePid() == pid;
    app.isRegular = facts.isRegular;
    return app;
  }

  std::vector<RunningApplication> runningApplications() override {
    std::vector<RunningApplication> out;
    std::set<int32_t> seen;
    for (const auto& [window, pid] : clientsWithPids()) {
      if (!pid || !seen.insert(*pid).second) continue;
      if (auto app = runningApplication(*pid)) out.push_back(std::move(*app));
    }
    return out;
  }

  std::vector<WindowRecord> windowList(WindowListOptions options) override {
    // The root's children are asked for together with the window manager's list, in case there is none.
    auto treeCookie = xcb_query_tree(x_.connection(), x_.root());
    auto rootFacts = x_.properties32(x_.root(), {"_NET_CLIENT_LIST_STACKING", "_NET_CURRENT_DESKTOP"});
    std::vector<xcb_window_t> stacking;
    if (const auto& managed = rootFacts[0]) {
      xcb_discard_reply(x_.connection(), treeCookie.sequence);
      stacking.assign(managed->begin(), managed->end());
    } else {
      stacking = childrenIn(treeCookie);  // no window manager: the root's children, bottom to top
    }
    std::reverse(stacking.begin(), stacking.end());
    std::optional<uint32_t> currentDesktop;
    if (rootFacts[1] && !rootFacts[1]->empty()) currentDesktop = rootFacts[1]->front();
    auto screens = screenRects();

    // Asked for all windows before the first answer is awaited: one round trip instead of one per window.
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    attributeCookies.reserve(stacking.size());
    for (xcb_window_t window : stacking) attributeCookies.push_back(xcb_get_window_attributes(x_.connection(), window));
    // Only a window that is mapped can be shown; the others are asked for only when every window is.
    const bool onScreenOnly = (options & WindowListOption::onScreenOnly) != 0;
    struct Listed {
      xcb_window_t window;
      bool overrideRedirect;
      bool viewable;
    };
    std::vector<Listed> listed;
    for (size_t i = 0; i < stacking.size(); ++i) {
      auto attributes = xcbReply(xcb_get_window_attributes_reply(x_.connection(), attributeCookies[i], nullptr));
      if (!attributes) continue;
      const bool viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
      if (viewable || !onScreenOnly) listed.push_back({stacking[i], attributes->override_redirect != 0, viewable});
    }

    // What the records need of the listed windows, asked for all of them before the first answer is awaited.
    struct Asked {
      X11Connection::PropertiesQuestion facts, names;
      X11Connection::WindowPidQuestion pid;
      FrameQuestion frame;
      X11Connection::ResourceBytesQuestion memory;
    };
    std::vector<Asked> asked;
    asked.reserve(listed.size());
    for (const Listed& entry : listed) {
      const xcb_window_t window = entry.window;
      asked.push_back({x_.askProperties(window, {"_NET_WM_STATE", "_NET_WM_DESKTOP", "_NET_WM_WINDOW_TYPE",
                                                 "_NET_WM_WINDOW_OPACITY", "_NET_FRAME_EXTENTS"}),
                       x_.askProperties(window, {"_NET_WM_NAME", "WM_NAME"}), x_.askPidOfWindow(window),
                       askFrame(window), x_.askResourceBytesOfClient(window)});
    }

    std::vector<WindowRecord> out;
    for (size_t i = 0; i < listed.size(); ++i) {
      const xcb_window_t window = listed[i].window;
      Asked& question = asked[i];
      auto facts = x_.answer32(std::move(question.facts));
      auto names = x_.answer8(std::move(question.names));
      const auto pid = x_.answer(std::move(question.pid));
      const Rect frame = frameFrom(question.frame, facts[4]);
      const auto memory = x_.answer(question.memory);
      auto first = [&](size_t fact) {
        return facts[fact] && !facts[fact]->empty() ? std::optional<uint32_t>(facts[fact]->front()) : std::nullopt;
      };
      // A window on another desktop, or minimised, is mapped by some window managers, but not shown.
      const auto desktop = first(1);
      const bool onAnotherDesktop = desktop && currentDesktop && *desktop != 0xFFFFFFFF && *desktop != *currentDesktop;
      const bool hidden = atomNames(facts[0]).count("_NET_WM_STATE_HIDDEN") != 0;
      WindowRecord record;
      record.isOnScreen = listed[i].viewable && !hidden && !onAnotherDesktop;
      record.id = window;
      record.name = names[0] ? std::move(names[0]) : std::move(names[1]);
      record.ownerPid = pid.value_or(-1);
      if (record.ownerPid > 0) record.ownerName = factsOf(record.ownerPid).localizedName;
      record.bounds = frame;
      record.level = levelOf(facts[2], listed[i].overrideRedirect);
      if (auto opacity = first(3)) record.alpha = *opacity / double(0xFFFFFFFF);
      record.fillsScreen = std::find(screens.begin(), screens.end(), record.bounds) != screens.end();
      record.memoryUsage =
          static_cast<int64_t>(std::min<uint64_t>(memory.value_or(0), std::numeric_limits<int64_t>::max()));
      if (isListed(record, options)) out.push_back(std::move(record));
    }
    return out;
  }

  // Windows are minimised and restored one by one: their hiding and unhiding is followed only while someone listens,
  // so that a program that does not ask is not woken by every property change of every window.
  rx::Publisher<ApplicationEvent> applicationEvents() override {
    startWatching();
    return rx::Publisher<ApplicationEvent>([this](rx::Publisher<ApplicationEvent>::Subscriber subscriber) {
      if (listeners_++ == 0) watchWindowStates();
      auto subscription =
          std::make_shared<rx::AnyCancellable>(Workspace::applicationEvents().subscribe(std::move(subscriber)));
      return rx::AnyCancellable([this, subscription] {
        subscription->cancel();
        if (--listeners_ == 0) unwatchWindowStates();
      });
    });
  }

 private:
  // What one lookup of the source application asks again and again, per process: kept for a moment so that
  // a window list costs one walk over the clients, not one per window, and the questions of one copy one look-up.
  struct ProcessFacts {
    std::chrono::steady_clock::time_point taken;
    bool exists = false;
    std::optional<std::string> applicationId;
    std::optional<std::filesystem::path> bundleUrl, executableUrl;
    std::string localizedName;
    bool isRegular = false;
  };
  static constexpr auto factsLifetime = std::chrono::milliseconds(500);

  const ProcessFacts& factsOf(int32_t pid) {
    auto now = std::chrono::steady_clock::now();
    auto it = facts_.find(pid);
    if (it == facts_.end() || now - it->second.taken > factsLifetime) {
      if (facts_.size() > 256) facts_.clear();
      it = facts_.insert_or_assign(pid, lookUpFacts(pid, now)).first;
    }
    return it->second;
  }

  ProcessFacts lookUpFacts(int32_t pid, std::chrono::steady_clock::time_point now) {
    ProcessFacts facts{now};
    std::error_code error;
    facts.exists = std::filesystem::exists("/proc/" + std::to_string(pid), error);
    if (!facts.exists) return facts;
    const auto clients = clientsWithPids();
    facts.applicationId = applicationIdOfPid(pid, clients);
    if (facts.applicationId) {
      if (auto entry = DesktopEntries::lookup(*facts.applicationId)) facts.bundleUrl = entry->path;
    }
    facts.executableUrl = executableOfProcess(pid);
    facts.localizedName = resolvedProcessName(pid, facts.applicationId);
    facts.isRegular = hasRegularWindow(pid, clients);
    return facts;
  }

  using WindowsWithPids = std::vector<std::pair<xcb_window_t, std::optional<int32_t>>>;

  WindowsWithPids withPids(const std::vector<xcb_window_t>& windows) {
    auto pids = x_.pidsOfWindows(windows);
    WindowsWithPids out;
    out.reserve(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) out.emplace_back(windows[i], pids[i]);
    return out;
  }

  WindowsWithPids clientsWithPids() { return withPids(clientList()); }

  std::optional<std::string> applicationIdOfPid(int32_t pid, const WindowsWithPids& clients) {
    // Windows name their application better than their process does.
    for (const auto& [window, owner] : clients) {
      if (owner == pid) {
        if (auto id = applicationIdFromWindowProperties(x_, window)) return id;
      }
    }
    return applicationIdOfProcess(pid);
  }

  // One question about the user's application asks for the active window again and again: it is looked up once per
  // turn of the main loop, so that the answers of one turn agree and cost one look-up.
  std::optional<int32_t> activePid() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) return lookUpActivePid();
    if (!activePidThisTurn_) {
      activePidThisTurn_ = lookUpActivePid();
      // The workspace lives as long as the program: it may capture itself in a call posted to the application.
      QMetaObject::invokeMethod(
          app, [this] { activePidThisTurn_.reset(); }, Qt::QueuedConnection);
    }
    return *activePidThisTurn_;
  }

  std::optional<int32_t> lookUpActivePid() {
    xcb_window_t window = XCB_NONE;
    // Asked together with the active window, so that a session without a window manager costs no second round trip.
    auto focusCookie = xcb_get_input_focus(x_.connection());
    if (auto active = x_.cardinal(x_.root(), "_NET_ACTIVE_WINDOW")) {
      xcb_discard_reply(x_.connection(), focusCookie.sequence);
      window = *active;
    } else {
      // No window manager: the window with the input focus.
      auto focus = xcbReply(xcb_get_input_focus_reply(x_.connection(), focusCookie, nullptr));
      if (focus && focus->focus != XCB_NONE && focus->focus != XCB_INPUT_FOCUS_POINTER_ROOT) {
        window = x_.topLevelOf(focus->focus);
      }
    }
    if (window == XCB_NONE) return std::nullopt;
    return x_.pidOfWindow(window);
  }

  std::vector<xcb_window_t> clientList() {
    if (auto list = x_.property32(x_.root(), "_NET_CLIENT_LIST")) return {list->begin(), list->end()};
    return {};
  }

  std::vector<xcb_window_t> rootChildren() { return childrenIn(xcb_query_tree(x_.connection(), x_.root())); }

  std::vector<xcb_window_t> childrenIn(xcb_query_tree_cookie_t cookie) {
    auto tree = xcbReply(xcb_query_tree_reply(x_.connection(), cookie, nullptr));
    if (!tree) return {};
    xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
  }

  std::set<std::string> atomNames(const std::optional<std::vector<uint32_t>>& atoms) {
    std::set<std::string> names;
    if (atoms) {
      for (uint32_t a : *atoms) names.insert(x_.atomName(a));
    }
    return names;
  }

  bool hasRegularWindow(int32_t pid, const WindowsWithPids& clients) {
    WindowsWithPids windows = clients.empty() ? withPids(rootChildren()) : clients;
    std::vector<std::pair<xcb_window_t, X11Connection::PropertiesQuestion>> asked;
    for (const auto& [window, owner] : windows) {
      if (owner == pid) asked.emplace_back(window, x_.askProperties(window, {"_NET_WM_WINDOW_TYPE", "_NET_WM_STATE"}));
    }
    bool regular = false;
    for (auto& [window, question] : asked) {
      auto facts = x_.answer32(std::move(question));  // every question is answered, also after the first regular one
      if (regular) continue;
      auto types = atomNames(facts[0]);
      if (!types.empty() && types.count("_NET_WM_WINDOW_TYPE_NORMAL") == 0) continue;
      if (atomNames(facts[1]).count("_NET_WM_STATE_SKIP_TASKBAR") != 0) continue;
      regular = true;
    }
    return regular;
  }

  int levelOf(const std::optional<std::vector<uint32_t>>& windowTypes, bool overrideRedirect) {
    if (overrideRedirect) return WindowLevel::mainMenu;
    for (const auto& type : atomNames(windowTypes)) {
      if (type == "_NET_WM_WINDOW_TYPE_DESKTOP") return WindowLevel::desktop;
      static const std::set<std::string> aboveMenu = {
          "_NET_WM_WINDOW_TYPE_DOCK",          "_NET_WM_WINDOW_TYPE_NOTIFICATION",
          "_NET_WM_WINDOW_TYPE_TOOLTIP",       "_NET_WM_WINDOW_TYPE_MENU",
          "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_POPUP_MENU",
          "_NET_WM_WINDOW_TYPE_COMBO",         "_NET_WM_WINDOW_TYPE_DND"};
      if (aboveMenu.count(type) != 0) return WindowLevel::mainMenu;
    }
    return WindowLevel::normal;
  }

  struct FrameQuestion {
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t translated;
  };

  FrameQuestion askFrame(xcb_window_t window) {
    return {xcb_get_geometry(x_.connection(), window),
            xcb_translate_coordinates(x_.connection(), window, x_.root(), 0, 0)};
  }

  Rect frameFrom(FrameQuestion question, const std::optional<std::vector<uint32_t>>& extents) {
    auto geometry = xcbReply(xcb_get_geometry_reply(x_.connection(), question.geometry, nullptr));
    if (!geometry) {
      xcb_discard_reply(x_.connection(), question.translated.sequence);
      return {};
    }
    auto translated = xcbReply(xcb_translate_coordinates_reply(x_.connection(), question.translated, nullptr));
    Rect rect{translated ? double(translated->dst_x) : double(geometry->x),
              translated ? double(translated->dst_y) : double(geometry->y), double(geometry->width),
              double(geometry->height)};
    if (extents && extents->size() == 4) {
      // left, right, top, bottom
      rect.x -= (*extents)[0];
      rect.y -= (*extents)[2];
      rect.width += (*extents)[0] + (*extents)[1];
      rect.height += (*extents)[2] + (*extents)[3];
    }
    return rect;
  }

  std::vector<Rect> screenRects() {
    std::vector<Rect> rects;
    if (qGuiApp != nullptr) {
      for (QScreen* screen : QGuiApplication::screens()) {
        QRect g = screen->geometry();
        double scale = screen->devicePixelRatio();
        rects.push_back({g.x() * scale, g.y() * scale, g.width() * scale, g.height() * scale});
      }
    }
    if (rects.empty()) {
      xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x_.connection()));
      for (; it.rem > 0; xcb_screen_next(&it)) {
        if (it.data->root == x_.root())
          rects.push_back({0, 0, double(it.data->width_in_pixels), double(it.data->height_in_pixels)});
      }
    }
    return rects;
  }

  void startWatching() {
    if (watching_) return;
    watching_ = true;
    activeAtom_ = x_.atom("_NET_ACTIVE_WINDOW");
    clientListAtom_ = x_.atom("_NET_CLIENT_LIST");
    windowStateAtom_ = x_.atom("_NET_WM_STATE");
    hiddenAtom_ = x_.atom("_NET_WM_STATE_HIDDEN");
    lastActivePid_ = lookUpActivePid();
    lastClientPids_ = clientPids();
    x_.selectRootEvents(XCB_EVENT_MASK_PROPERTY_CHANGE);
    propertyChanges_ = x_.addEventListener([this](const xcb_generic_event_t& event) {
      if ((event.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return;
      const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
      if (notify.window != x_.root()) {
        if (notify.atom == windowStateAtom_) windowStateChanged(notify.window);
        return;
      }
      if (notify.atom == activeAtom_) activeWindowChanged();
      if (notify.atom == clientListAtom_) clientListChanged();
    });
  }

  // Starts following the hidden state (_NET_WM_STATE_HIDDEN) of each client window: its property changes are selected
  // and its state now is the one a change is measured against.
  void watchWindowStates() { watchWindowStatesOf(clientList()); }

  void watchWindowStatesOf(const std::vector<xcb_window_t>& windows) {
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::vector<std::pair<xcb_window_t, X11Connection::PropertiesQuestion>> asked;
    for (xcb_window_t window : windows) {
      if (hiddenWindows_.count(window) != 0) continue;
      // Selected before the state is read, so that no change falls between the two.
      xcb_change_window_attributes(x_.connection(), window, XCB_CW_EVENT_MASK, &mask);
      asked.emplace_back(window, x_.askProperties(window, {"_NET_WM_STATE"}));
    }
    for (auto& [window, question] : asked) hiddenWindows_[window] = isHidden(x_.answer32(std::move(question))[0]);
    xcb_flush(x_.connection());
  }

  void unwatchWindowStates() {
    const uint32_t none = 0;
    for (const auto& [window, hidden] : hiddenWindows_)
      xcb_change_window_attributes(x_.connection(), window, XCB_CW_EVENT_MASK, &none);
    hiddenWindows_.clear();
    xcb_flush(x_.connection());
  }

  void windowStateChanged(xcb_window_t window) {
    auto it = hiddenWindows_.find(window);
    if (it == hiddenWindows_.end()) return;
    const bool hidden = isHidden(x_.property32(window, "_NET_WM_STATE"));
    if (hidden == it->second) return;
    it->second = hidden;
    announce(hidden ? ApplicationEvent::hide : ApplicationEvent::unhide);
  }

  bool isHidden(const std::optional<std::vector<uint32_t>>& states) {
    return states && std::count(states->begin(), states->end(), hiddenAtom_) != 0;
  }

  std::set<int32_t> clientPids() { return clientPidsOf(clientList()); }

  std::set<int32_t> clientPidsOf(const std::vector<xcb_window_t>& windows) {
    std::set<int32_t> pids;
    for (const auto& [window, pid] : withPids(windows)) {
      if (pid) pids.insert(*pid);
    }
    return pids;
  }

  void activeWindowChanged() {
    auto pid = lookUpActivePid();
    if (activePidThisTurn_) activePidThisTurn_ = pid;
    if (pid == lastActivePid_) return;
    bool hadActive = lastActivePid_.has_value();
    lastActivePid_ = pid;
    if (hadActive) announce(ApplicationEvent::deactivate);
    if (pid) announce(ApplicationEvent::activate);
  }

  void clientListChanged() {
    const auto windows = clientList();
    if (listeners_ > 0) {
      // Windows that left are forgotten; new ones are followed from now on.
      std::erase_if(hiddenWindows_, [&](const auto& entry) {
        return std::find(windows.begin(), windows.end(), entry.first) == windows.end();
      });
      watchWindowStatesOf(windows);
    }
    auto pids = clientPidsOf(windows);
    for (int32_t pid : pids) {
      if (lastClientPids_.count(pid) == 0) announce(ApplicationEvent::launch);
    }
    for (int32_t pid : lastClientPids_) {
      if (pids.count(pid) == 0) announce(ApplicationEvent::terminate);
    }
    lastClientPids_ = std::move(pids);
  }

  X11Connection& x_;
  bool watching_ = false;
  rx::AnyCancellable propertyChanges_;
  xcb_atom_t activeAtom_ = XCB_ATOM_NONE, clientListAtom_ = XCB_ATOM_NONE;
  xcb_atom_t windowStateAtom_ = XCB_ATOM_NONE, hiddenAtom_ = XCB_ATOM_NONE;
  int listeners_ = 0;
  std::map<xcb_window_t, bool> hiddenWindows_;  // the client windows followed, and whether each is hidden
  std::optional<int32_t> lastActivePid_;
  std::optional<std::optional<int32_t>> activePidThisTurn_;
  std::set<int32_t> lastClientPids_;
  std::map<int32_t, ProcessFacts> facts_;
};

Workspace* testWorkspace = nullptr;

}  // namespace

Workspace& Workspace::shared() {
  if (testWorkspace != nullptr) return *testWorkspace;
  static Workspace* workspace = []() -> Workspace* {
    if (X11Connection* x = X11Connection::shared()) return new X11Workspace(*x);
    return new EmptyWorkspace;
  }();
  return *workspace;
}

void Workspace::setSharedForTesting(Workspace* workspace) { testWorkspace = workspace; }

bool isListed(const WindowRecord& window, WindowListOptions options) {
  if ((options & WindowListOption::onScreenOnly) != 0 && !window.isOnScreen) return false;
  return (options & WindowListOption::excludeDesktopElements) == 0 || window.level != WindowLevel::desktop;
}

std::string resolvedProcessName(int32_t pid, const std::optional<std::string>& applicationId) {
  if (applicationId) {
    if (auto entry = DesktopEntries::lookup(*applicationId); entry && !entry->name.empty()) return entry->name;
  }
  if (auto program = executableOfProcess(pid); program && !program->stem().empty()) return program->stem().string();
  if (auto comm = commandNameOfProcess(pid); comm && !comm->empty()) return *comm;
  if (pid == -1) return "<Unknown>";
  return "PID" + std::to_string(pid);
}

}  // namespace platform
