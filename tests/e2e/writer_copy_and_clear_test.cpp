// Copy and clear in LibreOffice Writer, under a window manager, the way a user presses it: select all, Ctrl+C, and
// the shortcut half a second later, again and again. Writer takes the clipboard back on the keystroke and serves its
// copies from a clipboard window of its own; the program under test is this test program, with the shortcut bound.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QtGlobal>
#include <filesystem>
#include <memory>
#include <string>

#include "app/shortcut_commands.h"
#include "e2e/key_test_support.h"
#include "e2e/x11_session_support.h"
#include "engine/pasteboard_controller.h"
#include "engine/preference_keys.h"
#include "engine/shortcut_names.h"
#include "kit/shortcuts/handlers.h"
#include "kit/shortcuts/storage.h"
#include "support/rich_text_sample.h"

namespace {

using namespace std::chrono_literals;
namespace Keys = kit::Preferences::Keys;
namespace Names = kit::GlobalShortcuts::Names;

const std::string officeProgram = "/usr/lib/libreoffice/program/soffice.bin";
// The document Writer shows, and the text each copy of it has to paste.
const richtext_test::RichCopy document = richtext_test::richCopy("Read bold text");
// The program's exit status when it set up a new profile and wants to be started again.
constexpr int restartWanted = 81;

std::string windowNamed(const std::string& name) {
  std::string ids = x11test::run({"xdotool", "search", "--name", name});
  if (auto end = ids.find('\n'); end != std::string::npos) ids.resize(end);
  return ids;
}

// LibreOffice Writer on a document of rich text, on a private profile, until the test ends.
class Writer {
 public:
  explicit Writer(const x11test::TemporaryFolder& folder) : folder_(folder) {
    folder_.write("writer-test.html", "<html><body>" + document.html + "</body></html>");
  }

  // Starts Writer and gives its document window the focus; false when Writer cannot start here.
  bool start() {
    if (access(officeProgram.c_str(), X_OK) != 0) return false;
    for (int launch = 0; launch < 2 && window_.empty(); ++launch) {
      // Its output goes nowhere: nobody reads it while it runs.
      process_ = std::make_unique<x11test::ChildProcess>(std::vector<std::string>{
          "sh", "-c", "SAL_USE_VCLPLUGIN=gen exec \"$0\" \"$@\" >/dev/null 2>&1", officeProgram, "--writer",
          "-env:UserInstallation=file://" + folder_.path() + "/profile", "--norestore", "--nologo",
          folder_.path() + "/writer-test.html"});
      int status = -1;
      x11test::processEventsUntil(
          [&] {
            window_ = windowNamed("writer-test");
            if (!window_.empty()) return true;
            status = process_->wait(0ms);
            return status != -1;
          },
          90s);
      if (status != restartWanted) break;
    }
    if (window_.empty()) return false;
    x11test::run({"xdotool", "windowactivate", "--sync", window_});
    x11test::processEventsFor(1500ms);  // the document laid out and the cursor in it
    return true;
  }

 private:
  const x11test::TemporaryFolder& folder_;
  std::unique_ptr<x11test::ChildProcess> process_;
  std::string window_;
};

class WriterCopyAndClearTest : public x11test::SessionTest {
 protected:
  void SetUp() override {
    kit::Preferences::removeAll();
    kit::Preferences::set(Keys::automaticallyClearFormatting(), false);
    controller = std::make_unique<engine::PasteboardController>(platform::generalPasteboard());
    app::bindShortcutCommands(*controller);
    kit::GlobalShortcuts::saveShortcut({40, 256 | 512}, Names::copyAndClearFormatting());  // Ctrl+Shift+K
  }
  void TearDown() override {
    kit::GlobalShortcuts::removeAllHandlers();
    controller.reset();
  }

  std::unique_ptr<engine::PasteboardController> controller;
  x11test::RefusedTakeCounter refusedTakes;
};

TEST_F(WriterCopyAndClearTest, EveryCopyIsLeftCleanedAndNeverWithoutText) {
  const auto windowManager = x11test::startWindowManager();
  ASSERT_TRUE(windowManager);
  x11test::TemporaryFolder folder;
  Writer writer(folder);
  if (!writer.start()) GTEST_SKIP() << "LibreOffice Writer (" << officeProgram << ") could not start here";

  int withoutText = 0, leftFormatted = 0;
  for (int attempt = 1; attempt <= 30; ++attempt) {
    xdotool("key ctrl+a");
    x11test::processEventsFor(100ms);
    xdotool("key ctrl+c");
    x11test::processEventsFor(500ms);
    xdotool("key ctrl+shift+k");
    // Every check after the synthetic copy, then the read of a copy that Writer was slow to serve and its cleaning.
    x11test::processEventsFor(1300ms);
    x11test::processEventsUntil(
        [] { return x11test::readClipboard("TARGETS").find("com.kestrova.Quillet.hasRun") != std::string::npos; }, 4s);

    const std::string targets = x11test::readClipboard("TARGETS");
    const std::string text = x11test::readClipboard("UTF8_STRING");
    if (targets.find("UTF8_STRING") == std::string::npos || text.find(document.text) == std::string::npos) {
      ++withoutText;
      ADD_FAILURE() << "attempt " << attempt << ": offers " << targets << ", pastes \"" << text << "\"";
    } else if (targets.find("com.kestrova.Quillet.hasRun") == std::string::npos ||
               targets.find("text/html") != std::string::npos) {
      ++leftFormatted;
      ADD_FAILURE() << "attempt " << attempt << " left formatted: offers " << targets;
    }
  }
  EXPECT_EQ(withoutText, 0);
  EXPECT_EQ(leftFormatted, 0);
  EXPECT_EQ(refusedTakes.count(), 0);
}

}  // namespace
