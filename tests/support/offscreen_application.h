#pragma once

#include <QApplication>
#include <cstdlib>

// The one QApplication of a test program that does not get it from gui_application.cpp: offscreen, named like
// the program. Made on first call; lives for the program.
inline void ensureOffscreenApplication() {
  if (QApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "quillet-tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  QApplication::setApplicationName("Quillet");
}
