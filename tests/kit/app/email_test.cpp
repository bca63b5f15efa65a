#include "kit/app/email.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTest>
#include <cstdlib>
#include <mutex>

#include "kit/app/attachments_folder.h"
#include "kit/foundation/url_query.h"
#include "kit/ui/url_opening.h"
#include "private_home_test_support.h"
#include "support/fake_bus_object.h"
#include "support/private_bus.h"
#include "support/xdg_folders.h"

// Qt starts xdg-email with a vfork-like clone that shares the test's memory, and the thread sanitizer then takes
// the test itself for a child of a threaded fork and stops it at its next new thread. Nothing of ours runs in that
// child before its exec, so the sanitizer may let the test go on.
extern "C" const char* __tsan_default_options() { return "die_after_fork=0"; }

namespace kit {
namespace {

TEST(Mailto, ListsEachRecipientOnceAndKeepsTheQueryIntact) {
  const auto a = *EmailAddress::fromString("a@example.com");
  const auto b = *EmailAddress::fromString(" b@example.org\n");
  const auto url = mailto({a, b, a}, "Q&A = #1 + ?", "line\nnext", {a, b}, {});
  EXPECT_EQ(url.absoluteString().rfind("mailto:a@example.com,b@example.org?", 0), 0u) << url.absoluteString();
  EXPECT_EQ(queryItemValue(url, "subject"), "Q&A = #1 + ?");
  EXPECT_EQ(queryItemValue(url, "body"), "line\nnext");
  EXPECT_EQ(queryItemValue(url, "cc"), "a@example.com,b@example.org");
  EXPECT_NE(url.absoluteString().find("cc=a%40example.com%2Cb%40example.org"), std::string::npos);
  EXPECT_EQ(queryItemValue(url, "bcc"), std::nullopt);
  EXPECT_EQ(queryItems(mailto({a}, "", "")).size(), 2u) << "empty subject and body are still given";
}

TEST(Mailto, AnInlineAttachmentIsCappedAtALineEnd) {
  EXPECT_EQ(inlineAttachmentBody("Hi", "debug-info.txt", "abc"),
            "Hi\n\n\n\ndebug-info.txt\n" + std::string(30, '-') + "\n\nabc");
  EXPECT_EQ(inlineAttachmentBody(std::nullopt, "f", "x").substr(0, 5), "\n\n\n\nf");
  const std::string body = inlineAttachmentBody(std::nullopt, "f", "first line\nsecond line\nthird", 16);
  EXPECT_EQ(body.substr(body.size() - 24), "\n\nfirst line\n[truncated]");
  // Without a line end to cut at, the cut never splits a character: "é" is two bytes.
  const std::string accented = inlineAttachmentBody(std::nullopt, "f", "a\u00e9b", 2);
  EXPECT_EQ(accented.substr(accented.size() - 15), "\n\na\n[truncated]");
}

// The e-mail interface of a desktop portal, on a private bus: it records each message it is handed, with the
// name and text of each attached file, and answers as it is told (0 composed, 1 cancelled, 2 failed).
class FakeEmailPortal : public QDBusVirtualObject {
 public:
  struct Message {
    QStringList addresses;
    QString subject;
    std::optional<QString> body;
    std::vector<std::pair<fs::path, std::string>> attachments;  // where the file is, its text
  };

  FakeEmailPortal(QDBusConnection connection, uint response)
      : connection_(std::move(connection)), response_(response) {}

  std::vector<Message> messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }

  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
    const auto arguments = message.arguments();
    if (message.member() == "Get" && arguments.value(0).toString() == "org.freedesktop.portal.Email") {
      connection_.send(message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(4u)))));
      return true;
    }
    if (message.interface() != "org.freedesktop.portal.Email" || message.member() != "ComposeEmail") return false;
    const auto options = qdbus_cast<QVariantMap>(arguments.value(1));
    Message received{options.value("addresses").toStringList(), options.value("subject").toString(), std::nullopt, {}};
    if (options.contains("body")) received.body = options.value("body").toString();
    QList<QDBusUnixFileDescriptor> files;
    if (options.contains("attachment_fds")) options.value("attachment_fds").value<QDBusArgument>() >> files;
    for (const QDBusUnixFileDescriptor& file : files)
      received.attachments.push_back(nameAndText(file.fileDescriptor()));
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(received);
    }
    QString sender = message.service().mid(1).replace('.', '_');
    const QString handle =
        "/org/freedesktop/portal/desktop/request/" + sender + "/" + options.value("handle_token").toString();
    connection_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
    QDBusMessage answer =
        QDBusMessage::createTargetedSignal(message.service(), handle, "org.freedesktop.portal.Request", "Response");
    answer << response_ << QVariantMap();
    connection_.send(answer);
    return true;
  }

 private:
  static std::pair<fs::path, std::string> nameAndText(int fd) {
    const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(fd));
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;)
      text.append(buffer, static_cast<size_t>(n));
    return {path, text};
  }

  QDBusConnection connection_;
  uint response_;
  std::mutex mutex_;
  std::vector<Message> messages_;
};

class Mail : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureOffscreenApplication();
    bin = createTemporaryDirectory();
    savedPath = std::getenv("PATH");
    setUrlOpenerForTesting([this](const platform::Url& url) {
      opened.push_back(url);
      return true;
    });
  }
  void TearDown() override {
    stopPortal();
    setenv("PATH", savedPath.c_str(), 1);
    setUrlOpenerForTesting({});
    fs::remove_all(bin);
  }
  // A stand-in for the desktop's xdg-email that records its arguments and the attached file's text.
  void installXdgEmail(int exitStatus) {
    write(bin / "xdg-email", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"" + (bin / "args").string() +
                                 "\"; done\nwhile [ $# -gt 0 ]; do [ \"$1\" = --attach ] && cp \"$2\" \"" +
                                 (bin / "copy").string() + "\" && mv \"" + (bin / "copy").string() + "\" \"" +
                                 (bin / "attached").string() + "\"; shift; done\nexit " + std::to_string(exitStatus) +
                                 "\n");
    fs::permissions(bin / "xdg-email", fs::perms::owner_all);
    setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);
  }
  // The desktop's default handler of "mailto:" links: an installed application that starts `program`.
  void setDefaultMailHandler(const std::string& id, const std::string& program) {
    xdg.install(id, applicationEntry(id, "Exec=" + program + " %u\n"));
    xdg.write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=" + id + ".desktop\n");
  }
  void startPortal(uint response) {
    fakePortal.emplace(bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", response);
  }
  void stopPortal() { fakePortal.reset(); }
  // A short message, and whether the n-th link opened carries its text inline.
  void sendShortMessage() { sendEmail({to}, "S", "Hi", "debug-info.txt", "abc", portal); }
  bool openedInline(size_t n) {
    return QTest::qWaitFor([&] { return opened.size() == n; }) &&
           queryItemValue(opened[n - 1], "body") == inlineAttachmentBody("Hi", "debug-info.txt", "abc");
  }
  std::vector<std::string> recordedArguments() {
    std::vector<std::string> lines;
    std::istringstream in(contentOf(bin / "args"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  fs::path bin;
  std::string savedPath;
  std::vector<platform::Url> opened;
  const EmailAddress to = EmailAddress::developerFeedback();
  TemporaryXdgFolders xdg;
  bustest::PrivateBus bus;
  std::optional<bustest::FakeBusObject<FakeEmailPortal>> fakePortal;
  platform::EmailPortal portal{bus.connect("client")};
};

TEST_F(Mail, GoesToThePortalWithTheFileAttachedAndNowhereElse) {
  startPortal(0);
  installXdgEmail(0);
  setDefaultMailHandler("thunderbird", "thunderbird");
  sendEmail({to, to}, "Quillet — Debug info", "Hi", "debug-info.txt", "the debug text", portal);
  ASSERT_TRUE(QTest::qWaitFor([&] { return fakePortal->object().messages().size() == 1; }));
  const auto message = fakePortal->object().messages()[0];
  EXPECT_EQ(message.addresses,
            QStringList({QString::fromStdString(to.rawValue()), QString::fromStdString(to.rawValue())}));
  EXPECT_EQ(message.subject, "Quillet — Debug info");
  EXPECT_EQ(message.body, "Hi\n\n") << "the message, then the file";
  ASSERT_EQ(message.attachments.size(), 1u);
  const auto& [file, text] = message.attachments[0];
  EXPECT_EQ(file.filename(), "debug-info.txt");
  EXPECT_EQ(text, "the debug text");
  QTest::qWait(300);
  EXPECT_TRUE(fs::exists(file)) << "the mail program may read the file later";
  EXPECT_FALSE(fs::exists(bin / "args")) << "xdg-email is not asked as well";
  EXPECT_TRUE(opened.empty());
}

TEST_F(Mail, APortalThatCannotFinishLeavesTheMessageToTheNextWayAndADeclinedOneEndsIt) {
  startPortal(2);
  setDefaultMailHandler("org.example.WebMail", "web-browser");
  sendShortMessage();
  EXPECT_TRUE(openedInline(1));
  EXPECT_EQ(fakePortal->object().messages().size(), 1u);

  stopPortal();
  startPortal(1);
  sendShortMessage();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fakePortal->object().messages().size() == 1; }));
  const fs::path declined = fakePortal->object().messages()[0].attachments.at(0).first;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(declined.parent_path()); }));
  EXPECT_EQ(opened.size(), 1u) << "the user declined the message";
}

TEST_F(Mail, WithoutAPortalGoesToXdgEmailWithTheTextAttached) {
  installXdgEmail(0);
  setDefaultMailHandler("thunderbird", "/usr/lib/thunderbird/thunderbird");
  sendEmail({to}, "Quillet — Debug info", "Hi", "debug-info.txt", "the debug text", portal);
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(bin / "attached"); }));
  // One argument a line: the body is the message and two line feeds.
  const auto arguments = recordedArguments();
  ASSERT_EQ(arguments.size(), 10u);
  EXPECT_EQ(
      std::vector<std::string>(arguments.begin(), arguments.begin() + 8),
      (std::vector<std::string>{"--utf8", "--subject", "Quillet — Debug info", "--body", "Hi", "", "", "--attach"}));
  EXPECT_EQ(fs::path(arguments[8]).filename(), "debug-info.txt");
  EXPECT_EQ(arguments[9], to.rawValue());
  EXPECT_EQ(contentOf(bin / "attached"), "the debug text");
  EXPECT_TRUE(opened.empty());
}

// Some mail programs read an attachment only when the message is sent, perhaps after Quillet quit: the file stays
// until a later start finds it older than a day, and only then goes.
TEST_F(Mail, AHandedOverFileStaysUntilItIsADayOld) {
  installXdgEmail(0);
  setDefaultMailHandler("thunderbird", "thunderbird");
  sendShortMessage();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(bin / "attached"); }));
  const fs::path handedOver = fs::path(recordedArguments().at(8)).parent_path();
  QTest::qWait(300);
  ASSERT_TRUE(fs::exists(handedOver / "debug-info.txt"));

  fs::remove(bin / "attached");
  sendShortMessage();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(bin / "attached"); }));
  const fs::path young = fs::path(recordedArguments().at(18)).parent_path();
  ASSERT_NE(young, handedOver);
  fs::last_write_time(handedOver, fs::file_time_type::clock::now() - std::chrono::hours(25));
  fs::last_write_time(young, fs::file_time_type::clock::now() - std::chrono::hours(23));
  removalOfOldAttachments()();
  EXPECT_FALSE(fs::exists(handedOver));
  EXPECT_TRUE(fs::exists(young / "debug-info.txt"));
}

TEST_F(Mail, AMailHandlerThatCannotTakeAttachmentsGetsTheTextInlineThoughXdgEmailWouldSucceed) {
  installXdgEmail(0);
  setDefaultMailHandler("firefox-esr", "/usr/lib/firefox-esr/firefox-esr");
  sendShortMessage();
  EXPECT_TRUE(openedInline(1));
  EXPECT_FALSE(fs::exists(bin / "args"));
}

TEST_F(Mail, FallsBackToALinkWithTheTextInlineWhenXdgEmailFailsOrIsMissing) {
  installXdgEmail(3);
  setDefaultMailHandler("org.gnome.Evolution", "evolution");
  sendShortMessage();
  EXPECT_TRUE(openedInline(1));
  const fs::path attached = recordedArguments().at(8);
  EXPECT_FALSE(fs::exists(attached.parent_path())) << "the file of a failed hand-over goes at once";

  setenv("PATH", bin.c_str(), 1);
  fs::remove(bin / "xdg-email");
  sendEmail({to}, "S", std::nullopt, "debug-info.txt", std::string(100000, 'x'), portal);
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }));
  EXPECT_LT(opened[1].absoluteString().size(), 128u * 1024) << "short enough for the desktop's tools";
}

}  // namespace
}  // namespace kit
