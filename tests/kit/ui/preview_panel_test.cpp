#include "kit/ui/preview_panel.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <mutex>

#include "kit/foundation/general_error.h"
#include "support/fake_bus_object.h"
#include "support/private_bus.h"

namespace kit {
namespace {

// A file previewer on the private bus, answering from a thread of its own as a service in another process would.
class FakePreviewer : public QDBusVirtualObject {
 public:
  explicit FakePreviewer(QDBusConnection connection) : connection_(std::move(connection)) {}

  std::vector<std::string> calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    std::lock_guard lock(mutex_);
    if (message.member() == "Get") {
      connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(visible_))));
    } else if (message.member() == "ShowFile") {
      calls_.push_back("show " + message.arguments()[0].toString().toStdString());
      visible_ = true;
      connection_.send(message.createReply());
    } else if (message.member() == "Close") {
      calls_.push_back("close");
      visible_ = false;
      connection_.send(message.createReply());
    } else {
      return false;
    }
    return true;
  }

 private:
  QDBusConnection connection_;
  std::mutex mutex_;
  std::vector<std::string> calls_;
  bool visible_ = false;
};

TEST(PreviewPanel, TogglesTheDesktopsPreviewerOrSaysThereIsNone) {
  bustest::PrivateBus bus;
  const platform::Url file = *platform::Url::parse("file:///tmp/a%20note.txt");
  {
    platform::FilePreviewer previewer(bus.connect("client"));
    try {
      togglePreviewPanel(file, nullptr, previewer);
      ADD_FAILURE() << "no previewer runs";
    } catch (const GeneralError& error) {
      EXPECT_EQ(error.errorDescription(), "File previews are not available");
    }
  }

  bustest::FakeBusObject<FakePreviewer> fake(bus, "org.gnome.NautilusPreviewer", "/org/gnome/NautilusPreviewer");
  {
    platform::FilePreviewer previewer(bus.connect("client"));
    togglePreviewPanel(file, nullptr, previewer);
    EXPECT_TRUE(previewer.isVisible());
    togglePreviewPanel(file, nullptr, previewer);
    EXPECT_FALSE(previewer.isVisible());
  }
  EXPECT_EQ(fake.object().calls(), (std::vector<std::string>{"show file:///tmp/a%20note.txt", "close"}));
}

}  // namespace
}  // namespace kit
