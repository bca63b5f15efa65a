#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace kit {

// Shows a hint (an arrow, a tip) only during a window of application runs, counted per hint: a run counts when
// the hint first appears in it. The count is stored under "Zv_ShowForAppRuns_" + id in the standard preferences.
// Main thread only.
struct ShowForAppRuns {
  // How many consecutive counted runs show the hint.
  int64_t count = 1;
  std::string id;
  // The first counted run that shows it; runs are counted from 1.
  int64_t startShowingFromAppRun = 1;
  // The hint shows at only one appearance per run (of any hint with this id); later appearances hide it.
  bool oncePerAppRun = false;

  // Puts `hint` under the rule: at its first appearance the run is counted (once per run and id) and the hint is
  // hidden for good when the run lies outside the window; each appearance applies the once-per-run rule.
  void apply(QWidget& hint) const;

  // Advances the stored count of `id` by one (a missing or unreadable count is 0; the count stops at the largest
  // integer), settles it for the rest of this run and answers it.
  static int64_t runCount(const std::string& id);
  // Whether a run with this count shows the hint.
  bool showsInRun(int64_t runCount) const;

  // Forgets what this run settled, as a new run would.
  static void forgetRunForTesting();
};

}  // namespace kit
