#include "kit/ui/view_conditionals.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

namespace kit {
namespace {

TEST(BackgroundColorTest, RemovingTheBackgroundKeepsTheOtherColoursSetOnTheWidget) {
  QWidget window;
  auto* widget = new QWidget(&window);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, Qt::red);
  widget->setPalette(palette);

  setBackgroundColor(*widget, QColor(Qt::yellow));
  EXPECT_TRUE(widget->autoFillBackground());
  EXPECT_EQ(widget->palette().color(QPalette::Window), QColor(Qt::yellow));

  setBackgroundColor(*widget, std::nullopt);
  EXPECT_FALSE(widget->autoFillBackground());
  EXPECT_EQ(widget->palette().color(QPalette::WindowText), QColor(Qt::red)) << "the caller's text colour stays";
  // The background follows the window again, also when the window's changes later.
  QPalette windowPalette = window.palette();
  windowPalette.setColor(QPalette::Window, QColor(30, 30, 30));
  window.setPalette(windowPalette);
  EXPECT_EQ(widget->palette().color(QPalette::Window), QColor(30, 30, 30));
}

}  // namespace
}  // namespace kit
