#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <vector>

#include "platform/core/clock.h"

class QTimer;

namespace kit {

enum class TimelineMode { normal, lowFrequency };

// A schedule that comes due once a second, or once every 30 seconds when updates may be rare.
struct EverySecondimelineSchedule {
  static std::chrono::seconds interval(TimelineMode mode);
  // The first `count` entries: from `now` (whenever the schedule was set up), one interval apart.
  std::vector<platform::Date> entries(platform::Date now, TimelineMode mode, size_t count) const;
};

// Calls `update` at once and then at every entry of the schedule, for as long as it lives, also while another
// application is the active one (a tray program almost never is). The mode stays normal until it is set: a Linux
// desktop never asks a program for fewer updates. Setting it back to normal runs an update at once.
class Timeline : public QObject {
  Q_OBJECT

 public:
  Timeline(QObject* parent, std::function<void()> update);

  TimelineMode mode() const { return mode_; }
  void setMode(TimelineMode mode);
  std::chrono::milliseconds currentInterval() const;

 private:
  std::function<void()> update_;
  TimelineMode mode_ = TimelineMode::normal;
  QTimer* timer_;
};

}  // namespace kit
