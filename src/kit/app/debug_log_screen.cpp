#include "kit/app/debug_log_screen.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "kit/app/debug_pane_header.h"
#include "kit/foundation/log.h"
#include "kit/ui/every_second_timeline.h"
#include "kit/ui/link_copy.h"
#include "kit/ui/selectable_row_text.h"
#include "platform/text/whitespace.h"

namespace kit {

namespace {

std::string joinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  return text;
}

}  // namespace

DebugLogScreen::DebugLogScreen(platform::Pasteboard& pasteboard, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  header_ = new DebugPaneHeader(
      "Logs", !debugLogStore().entries().empty(),
      [&pasteboard] { copyText(pasteboard, joinedLines(debugLogStore().entries())); }, [] { debugLogStore().clear(); },
      this);
  layout->addWidget(header_);
  list_ = new QListWidget(this);
  // What the user picks out of a line is its text, not the row.
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setWordWrap(true);
  list_->setUniformItemSizes(false);
  makeRowTextSelectable(*list_);
  layout->addWidget(list_, 1);

  timeline_ = new Timeline(this, [this] { refresh(); });
}

void DebugLogScreen::refresh() {
  std::vector<std::string> entries = debugLogStore().entries();
  if (entries == shown_) return;
  // New lines at the end are the usual change; anything else (cleared, oldest dropped) builds the list anew.
  const bool appended = entries.size() > shown_.size() && std::equal(shown_.begin(), shown_.end(), entries.begin());
  if (!appended) list_->clear();
  for (size_t i = appended ? shown_.size() : 0; i < entries.size(); ++i)
    list_->addItem(QString::fromStdString(platform::trimmingWhitespaceAndNewlines(entries[i])));
  shown_ = std::move(entries);
}

}  // namespace kit
