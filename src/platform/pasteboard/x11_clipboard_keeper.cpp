#include "platform/pasteboard/x11_clipboard_keeper.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "platform/core/ascii.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/own_executable.h"
#include "platform/pasteboard/x11_selection_answer.h"
#include "platform/system/x11_display.h"
#include "platform/system/xcb_reply.h"

extern char** environ;

namespace platform::clipboardkeeper {

namespace {

bool writeAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

std::string readAll(int fd) {
  std::string bytes;
  char buffer[1 << 16];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
  return bytes;
}

void appendLength(std::string& out, uint64_t length) { out.append(reinterpret_cast<const char*>(&length), 8); }

xcb_atom_t intern(xcb_connection_t* c, std::string_view name) {
  auto r = xcbReply(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
  return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Serves one content on the CLIPBOARD selection: the targets, the time it was taken and the data, in parts (INCR)
// where it is larger than one request may carry.
class Keeper {
 public:
  Keeper(xcb_connection_t* c, const std::vector<PasteboardEntry>& targets) : c_(c) {
    clipboard_ = intern(c_, "CLIPBOARD");
    targetsAtom_ = intern(c_, "TARGETS");
    timestamp_ = intern(c_, "TIMESTAMP");
    incr_ = intern(c_, "INCR");
    for (const auto& target : targets) offer(target.type, target.data);
    // Plain text goes under the names older clients ask for, as the toolkit offers it.
    for (const auto& target : targets) {
      if (target.type != "text/plain") continue;
      offer("UTF8_STRING", target.data);
      offer("TEXT", target.data);
      if (isAscii(target.data)) offer("STRING", target.data);
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    // What one property change may carry, with room for the request itself.
    partSize_ = std::min<size_t>(256u << 10, xcb_get_maximum_request_length(c_) * 4u - 64u);
  }

  // Takes the clipboard as of `takenAt`: the server ignores the take when another client took it later.
  bool take(uint32_t takenAt) {
    takenAt_ = takenAt;
    xcb_set_selection_owner(c_, window_, clipboard_, takenAt);
    auto owner = xcbReply(xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard_), nullptr));
    return owner && owner->owner == window_;
  }

  void serveUntilTaken() {
    while (auto event = xcbReply(xcb_wait_for_event(c_))) {
      uint8_t type = event->response_type & 0x7f;
      if (type == XCB_SELECTION_CLEAR) return;
      if (type == XCB_SELECTION_REQUEST) answer(reinterpret_cast<const xcb_selection_request_event_t&>(*event));
      if (type == XCB_PROPERTY_NOTIFY) {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
        if (change.state == XCB_PROPERTY_DELETE) sendNextPart(change.window, change.atom);
      }
    }
  }

 private:
  struct Transfer {
    xcb_atom_t target;
    const std::string* data;
    size_t sent = 0;
  };

  void offer(const std::string& name, const std::string& data) {
    xcb_atom_t atom = intern(c_, name);
    if (atom == XCB_ATOM_NONE || data_.count(atom) != 0) return;
    order_.push_back(atom);
    data_[atom] = data;
  }

  void answer(const xcb_selection_request_event_t& request) {
    xcb_atom_t property = answerProperty(request);
    bool served = request.selection == clipboard_;
    if (!served) {
    } else if (request.target == targetsAtom_) {
      std::vector<xcb_atom_t> atoms{targetsAtom_, timestamp_};
      atoms.insert(atoms.end(), order_.begin(), order_.end());
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                          static_cast<uint32_t>(atoms.size()), atoms.data());
    } else if (request.target == timestamp_) {
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER, 32, 1, &takenAt_);
    } else if (auto it = data_.find(request.target); it != data_.end()) {
      send(request.requestor, property, request.target, it->second);
    } else {
      served = false;
    }
    answerSelectionRequest(c_, request, served);
  }

  void send(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target, const std::string& data) {
    if (data.size() <= partSize_) {
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, target, 8, static_cast<uint32_t>(data.size()),
                          data.data());
      return;
    }
    // The requestor deletes the property to ask for each next part; an empty part ends the transfer.
    uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c_, requestor, XCB_CW_EVENT_MASK, &events);
    auto size = static_cast<uint32_t>(data.size());
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, incr_, 32, 1, &size);
    transfers_[{requestor, property}] = Transfer{target, &data};
  }

  void sendNextPart(xcb_window_t requestor, xcb_atom_t property) {
    auto it = transfers_.find({requestor, property});
    if (it == transfers_.end()) return;
    Transfer& transfer = it->second;
    size_t length = std::min(partSize_, transfer.data->size() - transfer.sent);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor, property, transfer.target, 8,
                        static_cast<uint32_t>(length), transfer.data->data() + transfer.sent);
    xcb_flush(c_);
    transfer.sent += length;
    if (length == 0) transfers_.erase(it);
  }

  xcb_connection_t* c_;
  xcb_window_t window_ = XCB_NONE;
  xcb_atom_t clipboard_, targetsAtom_, timestamp_, incr_;
  uint32_t takenAt_ = XCB_CURRENT_TIME;
  size_t partSize_ = 0;
  std::vector<xcb_atom_t> order_;
  std::map<xcb_atom_t, std::string> data_;
  std::map<std::pair<xcb_window_t, xcb_atom_t>, Transfer> transfers_;
};

}  // namespace

std::string encode(const std::vector<PasteboardEntry>& targets) {
  std::string out;
  for (const auto& target : targets) {
    appendLength(out, target.type.size());
    out += target.type;
    appendLength(out, target.data.size());
    out += target.data;
  }
  return out;
}

std::vector<PasteboardEntry> decode(const std::string& bytes) {
  std::vector<PasteboardEntry> targets;
  size_t at = 0;
  auto take = [&](std::string& into) {
    uint64_t length = 0;
    if (bytes.size() - at < 8) return false;
    std::memcpy(&length, bytes.data() + at, 8);
    at += 8;
    if (bytes.size() - at < length) return false;
    into.assign(bytes, at, length);
    at += length;
    return true;
  };
  while (at < bytes.size()) {
    PasteboardEntry target;
    if (!take(target.type) || !take(target.data)) return {};  // cut short: nothing rather than a part
    targets.push_back(std::move(target));
  }
  return targets;
}

bool start(const std::vector<PasteboardEntry>& targets, uint32_t takenAt) {
  const auto program = ownExecutable().parent_path() / executableName;
  FileDescriptor content(memfd_create("quillet-clipboard", MFD_CLOEXEC));
  if (!content) return false;
  bool started = writeAll(content.get(), encode(targets)) && lseek(content.get(), 0, SEEK_SET) == 0;
  if (started) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, content.get(), contentDescriptor);
    // Detached: no terminal, and none of the program's output, which others may wait to see end.
    for (int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
    // Nor any other descriptor of ours: a pipe end it held would keep a reader waiting as long as the copy is kept.
    posix_spawn_file_actions_addclosefrom_np(&actions, contentDescriptor + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::string path = program.string(), time = std::to_string(takenAt);
    char* argv[] = {path.data(), time.data(), nullptr};
    pid_t pid = 0;
    started = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ) == 0;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }
  return started;
}

int run(uint32_t takenAt) {
  auto targets = decode(readAll(FileDescriptor(contentDescriptor).get()));
  if (targets.empty()) return 1;
  X11DisplayConnection display;
  if (!display.isOpen()) return 1;
  Keeper keeper(display.connection(), targets);
  if (keeper.take(takenAt)) keeper.serveUntilTaken();
  return 0;
}

}  // namespace platform::clipboardkeeper
