#include "platform/pasteboard/x11_selection_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/core/file_descriptor.h"
#include "platform/core/thread_name.h"
#include "platform/system/x11_display.h"
#include "platform/system/xcb_reply.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// All asked for before the first answer is awaited: one round trip to the server instead of one per name.
std::vector<xcb_atom_t> internAll(xcb_connection_t* c, const std::vector<std::string>& names) {
  std::vector<xcb_intern_atom_cookie_t> cookies;
  cookies.reserve(names.size());
  for (const auto& name : names)
    cookies.push_back(xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()));
  std::vector<xcb_atom_t> atoms;
  atoms.reserve(names.size());
  for (auto cookie : cookies) {
    auto r = xcbReply(xcb_intern_atom_reply(c, cookie, nullptr));
    atoms.push_back(r ? r->atom : xcb_atom_t{XCB_ATOM_NONE});
  }
  return atoms;
}

// Property atoms for the transfers in flight, one each, taken in turn.
constexpr int propertyPoolSize = 32;

}  // namespace

class X11SelectionReader::Worker {
 public:
  Worker(Options options, xcb_connection_t* connection, xcb_window_t window, uint8_t fixesEvent)
      : options_(std::move(options)), c_(connection), window_(window), fixesEvent_(fixesEvent) {
    std::vector<std::string> names{"CLIPBOARD", "TARGETS", "INCR"};
    for (int i = 0; i < propertyPoolSize; ++i) names.push_back("_QUILLET_CLIPBOARD_" + std::to_string(i));
    const auto atoms = internAll(c_, names);
    clipboard_ = atoms[0];
    targetsAtom_ = atoms[1];
    incr_ = atoms[2];
    properties_.assign(atoms.begin() + 3, atoms.end());
    wake_.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  }

  ~Worker() {
    if (thread_.joinable()) {
      stopping_ = true;
      wake();
      thread_.join();
    }
    answerAll();
    xcb_disconnect(c_);
  }

  xcb_atom_t clipboard() const { return clipboard_; }

  void start() {
    thread_ = std::thread([this] { run(); });
  }

  std::map<std::string, std::optional<Bytes>> read(uint64_t serial, const std::vector<std::string>& targets,
                                                   std::chrono::milliseconds wait) {
    auto request = std::make_shared<Request>();
    request->serial = serial;
    request->targets = targets;
    ask(request, wait);
    std::lock_guard lock(request->mutex);
    std::map<std::string, std::optional<Bytes>> results = request->results;
    for (const auto& target : targets) results.try_emplace(target);
    return results;
  }

  std::optional<OwnerChange> lastOwnerChange(std::chrono::milliseconds wait) {
    auto request = std::make_shared<Request>();
    request->aboutTheOwner = true;
    ask(request, wait);
    std::lock_guard lock(request->mutex);
    return request->lastChange;
  }

  std::vector<PastOwner> recentOwners() const {
    std::lock_guard lock(recentOwnersMutex_);
    return {recentOwners_.begin(), recentOwners_.end()};
  }

 private:
  // A read asked for by another thread; answered once, under its own lock.
  struct Request {
    uint64_t serial = 0;
    std::vector<std::string> targets;
    bool aboutTheOwner = false;  // a question about the last owner change rather than a read
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::map<std::string, std::optional<Bytes>> results;
    std::optional<OwnerChange> lastChange;
  };

  void ask(const std::shared_ptr<Request>& request, std::chrono::milliseconds wait) {
    {
      std::lock_guard lock(queueMutex_);
      queue_.push_back(request);
    }
    wake();
    std::unique_lock lock(request->mutex);
    request->answered.wait_for(lock, wait, [&] { return request->done; });
  }

  // Answers with the last owner change the server made before the question: a round trip brings in every event
  // sent before its reply.
  void answerAboutTheOwner(Request& request) {
    xcbReply(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    while (auto event = xcbReply(xcb_poll_for_queued_event(c_))) handle(*event);
    {
      std::lock_guard lock(request.mutex);
      request.lastChange = OwnerChange{serial_, owner_, takenAt_, lastOwnSerial_};
    }
    answer(request);
  }

  struct Transfer {
    std::string target;
    xcb_atom_t targetAtom = XCB_ATOM_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;
    bool incremental = false;
    bool finished = false;
    std::optional<Bytes> bytes;
    std::shared_ptr<Request> request;  // none: the list of targets or a read-ahead target
  };

  // The reading of one owner's content.
  struct Fetch {
    std::shared_ptr<SelectionContent> content;  // handed over once reported, and not changed after
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    bool reported = false;
    bool hung = false;  // the owner let a transfer run out of patience
    std::map<std::string, xcb_atom_t> offered;
    std::deque<Transfer> transfers;  // grows at the back only, so references stay valid while it is read
    Clock::time_point lastProgress;
  };

  void wake() {
    uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(wake_.get(), &one, sizeof one);
  }

  void run() {
    nameThisThread("q-clipread");
    readCurrentOwner();
    int fd = xcb_get_file_descriptor(c_);
    while (!stopping_) {
      while (auto event = xcbReply(xcb_poll_for_event(c_))) handle(*event);
      if (xcb_connection_has_error(c_) != 0) break;
      takeRequests();
      giveUpOnHungOwner();
      dropAnsweredTransfers();
      xcb_flush(c_);
      pollfd fds[2] = {{fd, POLLIN, 0}, {wake_.get(), POLLIN, 0}};
      int timeout = -1;
      if (fetch_ && hasPendingTransfers()) {
        auto left =
            std::chrono::ceil<std::chrono::milliseconds>(fetch_->lastProgress + options_.patience - Clock::now());
        timeout = static_cast<int>(std::max<int64_t>(0, left.count()));
      }
      poll(fds, 2, timeout);
      if ((fds[1].revents & POLLIN) != 0) {
        uint64_t value;
        [[maybe_unused]] auto read = ::read(wake_.get(), &value, sizeof value);
      }
    }
    stopping_ = true;
    answerAll();
  }

  void readCurrentOwner() {
    auto owner = xcbReply(xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard_), nullptr));
    ownerChanged(owner ? owner->owner : XCB_NONE, XCB_CURRENT_TIME);
  }

  void handle(const xcb_generic_event_t& event) {
    uint8_t type = event.response_type & 0x7f;
    if (type == fixesEvent_) {
      const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
      if (notify.selection == clipboard_) {
        takenAt_ = notify.selection_timestamp;
        ownerChanged(notify.owner, notify.timestamp);
        remember(notify.owner, notify.timestamp);
      }
    } else if (type == XCB_SELECTION_NOTIFY) {
      selectionNotified(reinterpret_cast<const xcb_selection_notify_event_t&>(event));
    } else if (type == XCB_PROPERTY_NOTIFY) {
      propertyChanged(reinterpret_cast<const xcb_property_notify_event_t&>(event));
    }
  }

  void ownerChanged(xcb_window_t owner, xcb_timestamp_t time) {
    if (fetch_) abandon(*fetch_);
    fetch_.reset();
    auto content = std::make_shared<SelectionContent>();
    content->serial = ++serial_;
    content->owner = owner_ = owner;
    bool ours = owner != XCB_NONE && options_.isOwnWindow && options_.isOwnWindow(owner);
    if (ours) lastOwnSerial_ = content->serial;
    if (owner == XCB_NONE || ours) {
      report(std::move(content));
      return;
    }
    fetch_.emplace(Fetch{});  // clang cannot default-construct a nested aggregate with member initializers in place
    fetch_->content = std::move(content);
    fetch_->time = time;
    fetch_->lastProgress = Clock::now();
    startTransfer("TARGETS", targetsAtom_, nullptr);
  }

  void remember(xcb_window_t owner, xcb_timestamp_t time) {
    // The server counts milliseconds in 32 bits, which wrap after 49 days.
    serverTime_ = recentOwners_.empty()
                      ? std::chrono::milliseconds(time)
                      : serverTime_ + std::chrono::milliseconds(static_cast<int32_t>(time - lastTime_));
    lastTime_ = time;
    std::lock_guard lock(recentOwnersMutex_);
    if (recentOwners_.size() == Pasteboard::ownerChangesKept) recentOwners_.pop_front();
    recentOwners_.push_back({serial_, owner, serverTime_, lastOwnSerial_ == serial_});
  }

  void report(std::shared_ptr<const SelectionContent> content) {
    if (options_.contentRead) options_.contentRead(std::move(content));
  }

  void startTransfer(const std::string& target, xcb_atom_t atom, std::shared_ptr<Request> request) {
    Transfer transfer;
    transfer.target = target;
    transfer.targetAtom = atom;
    transfer.property = properties_[nextProperty_++ % properties_.size()];
    transfer.request = std::move(request);
    xcb_convert_selection(c_, window_, clipboard_, atom, transfer.property, fetch_->time);
    fetch_->transfers.push_back(std::move(transfer));
  }

  Transfer* pendingTransfer(const std::function<bool(const Transfer&)>& matches) {
    if (!fetch_) return nullptr;
    for (auto& transfer : fetch_->transfers) {
      if (!transfer.finished && matches(transfer)) return &transfer;
    }
    return nullptr;
  }

  void selectionNotified(const xcb_selection_notify_event_t& event) {
    if (!fetch_ || event.requestor != window_ || event.selection != clipboard_ || event.time != fetch_->time) return;
    // A refusal names no property: the oldest request of the target waits for it.
    Transfer* transfer = pendingTransfer([&](const Transfer& t) {
      return !t.incremental &&
             (event.property == XCB_NONE ? t.targetAtom == event.target : t.property == event.property);
    });
    if (transfer == nullptr) return;
    fetch_->lastProgress = Clock::now();
    std::optional<PropertyValue> value;
    if (event.property != XCB_NONE) value = takeProperty(event.property);
    if (!value) {
      finish(*transfer);
    } else if (value->type == incr_) {
      // The owner sends its data in parts, each as we delete the last one; it announces at least this many bytes.
      transfer->incremental = true;
      transfer->bytes = Bytes();
      uint32_t announced = 0;
      if (value->data.size() >= sizeof announced) std::memcpy(&announced, value->data.data(), sizeof announced);
      if (announced > options_.largestTarget) tooLarge(*transfer);
    } else if (value->data.size() > options_.largestTarget) {
      tooLarge(*transfer);
    } else {
      transfer->bytes = std::move(value->data);
      finish(*transfer);
    }
  }

  void propertyChanged(const xcb_property_notify_event_t& event) {
    if (event.window != window_ || event.state != XCB_PROPERTY_NEW_VALUE) return;
    Transfer* transfer = pendingTransfer([&](const Transfer& t) { return t.incremental && t.property == event.atom; });
    if (transfer == nullptr) return;
    fetch_->lastProgress = Clock::now();
    auto value = takeProperty(event.atom);
    if (!value || value->data.empty()) {
      if (!value) transfer->bytes.reset();
      finish(*transfer);
      return;
    }
    transfer->bytes->append(value->data);
    if (transfer->bytes->size() > options_.largestTarget) tooLarge(*transfer);
  }

  struct PropertyValue {
    xcb_atom_t type;
    Bytes data;
  };

  // Reads a property of our window and deletes it, which asks an incremental sender for its next part.
  std::optional<PropertyValue> takeProperty(xcb_atom_t property) {
    auto r = xcbReply(xcb_get_property_reply(
        c_, xcb_get_property(c_, 1, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff), nullptr));
    if (!r || r->type == XCB_ATOM_NONE) return std::nullopt;
    int length = std::max(xcb_get_property_value_length(r.get()), 0);
    return PropertyValue{r->type,
                         Bytes(static_cast<const char*>(xcb_get_property_value(r.get())), static_cast<size_t>(length))};
  }

  void tooLarge(Transfer& transfer) {
    if (!fetch_->reported) fetch_->content->tooLarge = true;
    transfer.bytes.reset();
    finish(transfer);
  }

  void finish(Transfer& transfer) {
    transfer.finished = true;
    if (transfer.request) {
      std::lock_guard lock(transfer.request->mutex);
      transfer.request->results[transfer.target] = std::move(transfer.bytes);
    } else if (transfer.targetAtom == targetsAtom_ && fetch_->offered.empty() && !fetch_->reported) {
      targetsCame(transfer.bytes);
    } else if (!fetch_->reported) {
      fetch_->content->data[transfer.target] = std::move(transfer.bytes);
    }
    settle();
  }

  void targetsCame(const std::optional<Bytes>& list) {
    std::vector<xcb_atom_t> atoms;
    if (list) {
      atoms.resize(list->size() / sizeof(xcb_atom_t));
      std::memcpy(atoms.data(), list->data(), atoms.size() * sizeof(xcb_atom_t));
    }
    // Names of atoms not seen before, asked for together.
    std::vector<xcb_atom_t> unnamed;
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (xcb_atom_t atom : atoms) {
      if (atom == XCB_ATOM_NONE || names_.count(atom) != 0 ||
          std::find(unnamed.begin(), unnamed.end(), atom) != unnamed.end()) {
        continue;
      }
      unnamed.push_back(atom);
      cookies.push_back(xcb_get_atom_name(c_, atom));
    }
    for (size_t i = 0; i < cookies.size(); ++i) {
      auto r = xcbReply(xcb_get_atom_name_reply(c_, cookies[i], nullptr));
      names_[unnamed[i]] =
          r ? std::string(xcb_get_atom_name_name(r.get()), static_cast<size_t>(xcb_get_atom_name_name_length(r.get())))
            : std::string();
    }
    SelectionContent& content = *fetch_->content;
    for (xcb_atom_t atom : atoms) {
      auto name = names_.find(atom);
      if (name == names_.end() || name->second.empty() || fetch_->offered.count(name->second) != 0) continue;
      fetch_->offered.emplace(name->second, atom);
      content.targets.push_back(name->second);
    }
    if (!options_.readAhead) return;
    for (const auto& target : options_.readAhead(content.targets)) {
      auto atom = fetch_->offered.find(target);
      if (atom == fetch_->offered.end() || content.data.count(target) != 0) continue;
      content.data[target] = std::nullopt;
      startTransfer(target, atom->second, nullptr);
    }
  }

  bool hasPendingTransfers() const {
    return std::any_of(fetch_->transfers.begin(), fetch_->transfers.end(),
                       [](const Transfer& t) { return !t.finished; });
  }

  // Reports the content once every read-ahead target is in, and answers requests whose targets all are.
  void settle() {
    bool readAheadPending = std::any_of(fetch_->transfers.begin(), fetch_->transfers.end(),
                                        [](const Transfer& t) { return !t.finished && !t.request; });
    if (!fetch_->reported && !readAheadPending) {
      fetch_->reported = true;
      report(fetch_->content);
    }
    for (const auto& transfer : fetch_->transfers) {
      if (!transfer.request || !transfer.finished) continue;
      const auto& request = transfer.request;
      bool pending = std::any_of(fetch_->transfers.begin(), fetch_->transfers.end(),
                                 [&](const Transfer& t) { return t.request == request && !t.finished; });
      if (!pending) answer(*request);
    }
  }

  void dropAnsweredTransfers() {
    if (fetch_) std::erase_if(fetch_->transfers, [](const Transfer& t) { return t.finished && t.request; });
  }

  void answer(Request& request) {
    {
      std::lock_guard lock(request.mutex);
      request.done = true;
    }
    request.answered.notify_all();
  }

  void takeRequests() {
    std::deque<std::shared_ptr<Request>> requests;
    {
      std::lock_guard lock(queueMutex_);
      requests.swap(queue_);
    }
    for (auto& request : requests) {
      if (request->aboutTheOwner) {
        answerAboutTheOwner(*request);
        continue;
      }
      // Only the current owner is asked, and not again once it has shown that it does not answer.
      bool askable = fetch_ && fetch_->reported && !fetch_->hung && fetch_->content->serial == request->serial;
      bool started = false;
      for (const auto& target : request->targets) {
        auto offered = askable ? fetch_->offered.find(target) : std::map<std::string, xcb_atom_t>::iterator{};
        if (askable) {
          if (auto known = fetch_->content->data.find(target); known != fetch_->content->data.end()) {
            std::lock_guard lock(request->mutex);
            request->results[target] = known->second;
            continue;
          }
        }
        if (!askable || offered == fetch_->offered.end()) continue;
        startTransfer(target, offered->second, request);
        started = true;
      }
      if (started) {
        fetch_->lastProgress = Clock::now();
      } else {
        answer(*request);
      }
    }
  }

  void giveUpOnHungOwner() {
    if (!fetch_ || !hasPendingTransfers() || Clock::now() - fetch_->lastProgress < options_.patience) return;
    fetch_->hung = true;
    if (!fetch_->reported) fetch_->content->ownerHung = true;
    for (size_t i = 0; i < fetch_->transfers.size(); ++i) {
      Transfer& transfer = fetch_->transfers[i];
      if (transfer.finished) continue;
      transfer.bytes.reset();
      finish(transfer);
    }
  }

  // The owner lost the clipboard: what was asked of it gets no answer.
  void abandon(Fetch& fetch) {
    for (auto& transfer : fetch.transfers) {
      if (transfer.request && !transfer.finished) {
        transfer.finished = true;
        answer(*transfer.request);
      }
    }
  }

  void answerAll() {
    if (fetch_) abandon(*fetch_);
    std::lock_guard lock(queueMutex_);
    for (auto& request : queue_) answer(*request);
    queue_.clear();
  }

  Options options_;
  xcb_connection_t* c_;
  xcb_window_t window_;
  uint8_t fixesEvent_;
  xcb_atom_t clipboard_ = XCB_ATOM_NONE, targetsAtom_ = XCB_ATOM_NONE, incr_ = XCB_ATOM_NONE;
  std::vector<xcb_atom_t> properties_;
  size_t nextProperty_ = 0;
  std::map<xcb_atom_t, std::string> names_;
  std::optional<Fetch> fetch_;
  uint64_t serial_ = 0;
  xcb_window_t owner_ = XCB_NONE;
  xcb_timestamp_t takenAt_ = XCB_CURRENT_TIME;
  uint64_t lastOwnSerial_ = 0;
  xcb_timestamp_t lastTime_ = XCB_CURRENT_TIME;
  std::chrono::milliseconds serverTime_{0};
  mutable std::mutex recentOwnersMutex_;  // guards what other threads read of the recent owners
  std::deque<PastOwner> recentOwners_;
  FileDescriptor wake_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex queueMutex_;
  std::deque<std::shared_ptr<Request>> queue_;
};

std::unique_ptr<X11SelectionReader> X11SelectionReader::start(Options options) {
  X11DisplayConnection display;
  if (!display.isOpen()) return nullptr;
  xcb_connection_t* c = display.connection();
  const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(c, &xcb_xfixes_id);
  auto version = xcbReply(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
  if (fixes == nullptr || fixes->present == 0 || !version) return nullptr;
  xcb_window_t window = xcb_generate_id(c);
  uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, 0, window, display.root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                    XCB_CW_EVENT_MASK, &events);
  auto worker = std::make_unique<Worker>(std::move(options), display.release(), window,
                                         static_cast<uint8_t>(fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY));
  xcb_xfixes_select_selection_input(c, window, worker->clipboard(),
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  xcb_flush(c);
  worker->start();
  return std::unique_ptr<X11SelectionReader>(new X11SelectionReader(std::move(worker)));
}

X11SelectionReader::X11SelectionReader(std::unique_ptr<Worker> worker) : worker_(std::move(worker)) {}

X11SelectionReader::~X11SelectionReader() = default;

std::optional<X11SelectionReader::OwnerChange> X11SelectionReader::lastOwnerChange(std::chrono::milliseconds wait) {
  return worker_->lastOwnerChange(wait);
}

std::vector<X11SelectionReader::PastOwner> X11SelectionReader::recentOwners() const { return worker_->recentOwners(); }

std::map<std::string, std::optional<Bytes>> X11SelectionReader::read(uint64_t serial,
                                                                     const std::vector<std::string>& targets,
                                                                     std::chrono::milliseconds wait) {
  return worker_->read(serial, targets, wait);
}

}  // namespace platform
