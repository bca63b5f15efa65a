#include "kit/app/email.h"

#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>

#include "kit/foundation/url_query.h"
#include "kit/ui/url_opening.h"
#include "private_home_test_support.h"

namespace kit {
namespace {

TEST(Mailto, ListsEachRecipientOnceAndKeepsTheQueryIntact) {
  const auto a = *EmailAddress::fromString("a@example.com");
  const auto b = *EmailAddress::fromString(" b@example.org\n");
  const auto url = mailtoUrl({a, b, a}, "Q&A = #1 + ?", "line\nnext", {a, b}, {});
  EXPECT_EQ(url.absoluteString().rfind("mailto:a@example.com,b@example.org?", 0), 0u) << url.absoluteString();
  EXPECT_EQ(queryItemValue(url, "subject"), "Q&A = #1 + ?");
  EXPECT_EQ(queryItemValue(url, "body"), "line\nnext");
  EXPECT_EQ(queryItemValue(url, "cc"), "a@example.com,b@example.org");
  EXPECT_NE(url.absoluteString().find("cc=a%40example.com%2Cb%40example.org"), std::string::npos);
  EXPECT_EQ(queryItemValue(url, "bcc"), std::nullopt);
  EXPECT_EQ(queryItems(mailtoUrl({a}, "", "")).size(), 2u) << "empty subject and body are still given";
}

TEST(Mailto, AnInlineAttachmentIsCappedAtALineEnd) {
  EXPECT_EQ(inlineAttachmentBody("Hi", "debug-info.txt", "abc"),
            "Hi\n\n\n\ndebug-info.txt\n" + std::string(30, '-') + "\n\nabc");
  EXPECT_EQ(inlineAttachmentBody(std::nullopt, "f", "x").substr(0, 5), "\n\n\n\nf");
  const std::string body = inlineAttachmentBody(std::nullopt, "f", "first line\nsecond line\nthird", 16);
  EXPECT_EQ(body.substr(body.size() - 24), "\n\nfirst line\n[truncated]");
}

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
    setAttachmentRetentionForTesting(std::chrono::milliseconds(100));
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    setUrlOpenerForTesting({});
    setAttachmentRetentionForTesting(std::nullopt);
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
};

TEST_F(Mail, GoesToXdgEmailWithTheTextAttachedAndTheFileGoesAfterwards) {
  installXdgEmail(0);
  sendEmail({to}, "Quillet — Debug info", std::nullopt, "debug-info.txt", "the debug text");
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(bin / "attached"); }));
  const auto arguments = recordedArguments();
  ASSERT_EQ(arguments.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(arguments.begin(), arguments.begin() + 4),
            (std::vector<std::string>{"--utf8", "--subject", "Quillet — Debug info", "--attach"}));
  EXPECT_EQ(fs::path(arguments[4]).filename(), "debug-info.txt");
  EXPECT_EQ(arguments[5], to.rawValue());
  EXPECT_EQ(contentOf(bin / "attached"), "the debug text");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !fs::exists(fs::path(arguments[4]).parent_path()); }));
  EXPECT_TRUE(opened.empty());
}

TEST_F(Mail, FallsBackToALinkWithTheTextInlineWhenXdgEmailFailsOrIsMissing) {
  installXdgEmail(3);
  sendEmail({to}, "S", "Hi", "debug-info.txt", "abc");
  ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 1; }));
  EXPECT_EQ(queryItemValue(opened[0], "body"), inlineAttachmentBody("Hi", "debug-info.txt", "abc"));
  const fs::path attached = recordedArguments().at(6);
  EXPECT_FALSE(fs::exists(attached.parent_path())) << "the file of a failed hand-over goes at once";

  setenv("PATH", bin.c_str(), 1);
  fs::remove(bin / "xdg-email");
  sendEmail({to}, "S", std::nullopt, "debug-info.txt", std::string(100000, 'x'));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_LT(opened[1].absoluteString().size(), 128u * 1024) << "short enough for the desktop's tools";
}

}  // namespace
}  // namespace kit
