#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kit/foundation/alert.h"

// Stands in for the real alerts in tests: records every alert, answers at once with `answer`, never blocks.
class RecordingAlertPresenter final : public kit::AlertPresenter {
 public:
  std::vector<kit::Alert> alerts;
  // What happened, in order: "activate", "modal: <message>", "sheet: <message>" (or "sheet without window: ..."),
  // "end sheet".
  std::vector<std::string> events;
  int answer = kit::alertFirstButtonReturn;
  bool suppressionChecked = false;
  // Runs once, inside the next modal alert, as if the user took that long to answer it.
  std::function<void()> whileOpen;
  // Sheets stay open until dismissSheet() instead of being answered at once.
  bool holdsSheets = false;

  std::vector<std::string> messages() const {
    std::vector<std::string> texts;
    for (const auto& alert : alerts) texts.push_back(alert.messageText);
    return texts;
  }

  kit::AlertResponse runModal(const kit::Alert& alert) override {
    alerts.push_back(alert);
    events.push_back("modal: " + alert.messageText);
    if (auto work = std::exchange(whileOpen, nullptr)) work();
    return {answer, suppressionChecked};
  }
  void beginSheet(const kit::Alert& alert, QWidget* window,
                  std::function<void(kit::AlertResponse)> completion) override {
    alerts.push_back(alert);
    events.push_back(std::string(window ? "sheet: " : "sheet without window: ") + alert.messageText);
    if (holdsSheets) {
      openSheet_ = std::move(completion);
    } else if (completion) {
      completion({answer, suppressionChecked});
    }
  }
  void endSheet(QWidget*) override {
    events.push_back("end sheet");
    if (openSheet_) std::exchange(openSheet_, nullptr)({0, false});
  }
  void activateApp() override { events.push_back("activate"); }

  void dismissSheet() { std::exchange(openSheet_, nullptr)({answer, suppressionChecked}); }

 private:
  std::function<void(kit::AlertResponse)> openSheet_;
};
