#include "kit/app/debug_settings_screen.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "kit/app/debug_pane_header.h"
#include "kit/app/debugging_aids.h"
#include "kit/app/relaunch.h"
#include "kit/preferences/preference_toggle.h"

namespace kit {

DebugSettingsScreen::DebugSettingsScreen(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(makeDebugPaneTitle("Settings", this));
  auto* section = new QGroupBox(this);
  auto* rows = new QVBoxLayout(section);
  const std::pair<const char*, const char*> switches[] = {
      {"Draw Outlines Around Views", DebuggingAids::drawOutlinesKey},
      {"Visualize Mutually Exclusive Constraints", DebuggingAids::visualizeConstraintsKey},
      {"Log AppKit Events", DebuggingAids::logEventsKey},
      {"Show Internal AppKit Debug Menu", DebuggingAids::internalDebugMenuKey},
  };
  for (const auto& [title, name] : switches) {
    auto* toggle = new Preferences::PreferenceToggle(title, Preferences::Key<bool>(name, false), false, section);
    toggle->onChange([](bool) { requestRelaunch(); });
    rows->addWidget(toggle);
  }
  rows->addWidget(new HighlightDrawnRectanglesToggle(section));
  layout->addWidget(section);
  layout->addStretch(1);
}

HighlightDrawnRectanglesToggle::HighlightDrawnRectanglesToggle(QWidget* parent)
    : QCheckBox("Highlight Drawn Rectangles", parent) {
  showStored();
  connect(this, &QCheckBox::toggled, this, [this] {
    DebuggingAids::flipHighlightDrawnRectangles();
    showStored();
    requestRelaunch();
  });
}

void HighlightDrawnRectanglesToggle::showStored() {
  const QSignalBlocker block(this);
  setChecked(DebuggingAids::highlightsDrawnRectangles());
}

}  // namespace kit
