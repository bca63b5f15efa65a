#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRectF>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>

class QPainter;

namespace platform {
class LauncherEntry;
}

namespace kit {

// How far a task has come: completed units out of a total, finished when all are done, and cancelled. Each change
// is announced on the thread that made it; it may be updated from any thread.
class TaskProgress : public QObject {
  Q_OBJECT

 public:
  explicit TaskProgress(int64_t totalUnitCount, QObject* parent = nullptr);

  // From 0 to 1; 0 while the total is 0.
  double fractionCompleted() const;
  bool isFinished() const;
  bool isCancelled() const { return cancelled_; }

  void setCompletedUnitCount(int64_t count);
  void cancel() { cancelled_ = true; }

 Q_SIGNALS:
  void fractionCompletedChanged();
  void finishedChanged();

 private:
  const int64_t total_;
  std::atomic<int64_t> completed_{0};
  std::atomic<bool> cancelled_{false};
};

// The progress of a long task over the application's icon in the desktop's docks and task managers: a fraction
// between 0 and 1 (exclusive) shows the icon with an overlay, anything else the plain icon. The fraction is set
// directly or follows a tracked TaskProgress. The docks are told through the launcher entry and draw their own bar;
// the icon with the overlay in the chosen style becomes the windows' icon, which task bars show. Main thread only.
class DockProgress {
 public:
  struct Bar {};
  struct Squircle {
    std::optional<double> inset;
    QColor color;
  };
  struct Circle {
    double radius;
    QColor color;
  };
  struct Badge {
    QColor color;
    std::function<int64_t()> badgeValue;
  };
  struct Pie {
    QColor color;
  };
  struct Custom {
    std::function<void(QPainter&, const QRectF&)> drawHandler;
  };
  using Style = std::variant<Bar, Squircle, Circle, Badge, Pie, Custom>;

  // The task followed (none at start); setting none resets the progress. A finished task shows 1, a cancelled one
  // changes nothing any more. Held weakly.
  static TaskProgress* trackedProgress();
  static void setTrackedProgress(TaskProgress* progress);

  static double progress();
  // Redraws when the change from the fraction drawn last exceeds 0.01, or when nothing was drawn since a reset.
  static void setProgress(double fraction);
  static double lastDrawnProgress();

  // Bar at start. A new style shows at the next redraw.
  static const Style& style();
  static void setStyle(Style style);

  // Back to 0 and the plain icon.
  static void reset();

  // The icon as drawn last (the plain application icon before any drawing).
  static QImage tileImage();

  // Where the progress is announced: the session bus's entry of this application unless another is given.
  static void setLauncherEntry(platform::LauncherEntry* entry);
};

// The count a badge shows: the number below 1000, then thousands as "1k" to "9k", and "9k+" (or "-9k+") beyond;
// never more than four characters.
std::string badgeText(int64_t value);

}  // namespace kit
