#pragma once

#include <QWidget>
#include <filesystem>
#include <string>

// Saves what the widget shows as settings-screenshots/<name> beside the test programs, for people to look at.
inline void saveScreenshot(QWidget& widget, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(QUILLET_BIN_DIR) / ".." / "settings-screenshots";
  std::filesystem::create_directories(folder);
  widget.grab().save(QString::fromStdString((folder / name).string()));
}
