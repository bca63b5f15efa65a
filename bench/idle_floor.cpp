// The least an idle program that wakes twice a second can cost, for bench/idle_minute.sh to set beside quillet:
//   idle_floor        a Qt application with one half-second (coarse) timer and nothing else
//   idle_floor poll   a plain loop of half-second waits in the kernel, without Qt
#include <poll.h>

#include <QApplication>
#include <QTimer>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "poll") == 0)
    for (;;) poll(nullptr, 0, 500);
  QApplication application(argc, argv);
  QTimer timer;
  timer.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer, &QTimer::timeout, [] {});
  timer.start(500);
  return QApplication::exec();
}
