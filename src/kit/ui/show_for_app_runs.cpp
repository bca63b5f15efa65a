#include "kit/ui/show_for_app_runs.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <limits>
#include <map>
#include <set>

#include "kit/preferences/key.h"

namespace kit {

namespace {

struct RunTables {
  std::map<std::string, int64_t> runCounts;  // settled in this run
  std::set<std::string> shownThisRun;        // hints with once-per-run that appeared in this run
};

RunTables& tables() {
  static RunTables value;
  return value;
}

int64_t settledRunCount(const std::string& id) {
  auto& counts = tables().runCounts;
  if (auto it = counts.find(id); it != counts.end()) return it->second;
  return ShowForAppRuns::runCount(id);
}

// Watches the hint's appearances; the hint is hidden from within a queued call, never inside its own show.
class AppearanceFilter : public QObject {
 public:
  AppearanceFilter(QWidget& hint, ShowForAppRuns rule) : QObject(&hint), hint_(&hint), rule_(std::move(rule)) {
    hint.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == hint_ && event->type() == QEvent::Show) appeared();
    return false;
  }

 private:
  void appeared() {
    if (!settled_) {
      settled_ = true;
      if (!rule_.showsInRun(settledRunCount(rule_.id))) return hideForGood();
    }
    auto& shown = tables().shownThisRun;
    const bool shouldHide = shown.count(rule_.id) != 0;
    if (rule_.oncePerAppRun) shown.insert(rule_.id);
    if (shouldHide) hideForGood();
  }

  void hideForGood() {
    hint_->removeEventFilter(this);
    // Update requests wait behind ordinary queued calls: the hint is gone before anything is painted.
    QMetaObject::invokeMethod(
        hint_, [hint = hint_] { hint->hide(); }, Qt::QueuedConnection);
  }

  QWidget* hint_;
  ShowForAppRuns rule_;
  bool settled_ = false;
};

}  // namespace

void ShowForAppRuns::apply(QWidget& hint) const { new AppearanceFilter(hint, *this); }

int64_t ShowForAppRuns::runCount(const std::string& id) {
  const Preferences::Key<int64_t> key("Zv_ShowForAppRuns_" + id, 0);
  const int64_t stored = Preferences::get(key);
  Preferences::set(key, stored == std::numeric_limits<int64_t>::max() ? stored : stored + 1);
  const int64_t count = Preferences::get(key);
  tables().runCounts[id] = count;
  return count;
}

bool ShowForAppRuns::showsInRun(int64_t runCount) const {
  if (runCount < startShowingFromAppRun || count <= 0) return false;
  // runCount - start + 1 runs of the window have passed; computed without overflowing for any stored count.
  int64_t passed = 0;
  if (__builtin_sub_overflow(runCount, startShowingFromAppRun, &passed)) return false;
  return passed < count;
}

void ShowForAppRuns::forgetRunForTesting() { tables() = {}; }

}  // namespace kit
