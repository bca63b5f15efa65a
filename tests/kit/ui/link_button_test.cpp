#include "kit/ui/link_button.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QTest>
#include <QUrl>
#include <string>
#include <vector>

#include "kit/ui/url_opening.h"
#include "support/title_shown.h"

namespace kit {
namespace {

TEST(LinkButtonTest, ShowsItsTitleAsWrittenAndOpensItsAddressWhenPressed) {
  std::vector<std::string> opened;
  setUrlOpenerForTesting([&](const platform::Url& url) {
    opened.push_back(url.absoluteString());
    return false;  // nothing could open it: nothing is said
  });
  LinkButton button("Q&A", *platform::Url::parse("https://example.com/q-and-a"));
  EXPECT_EQ(titleShown(button), "Q&A");
  EXPECT_FALSE(hasMnemonic(button)) << "Alt+A presses nothing";

  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<std::string>{"https://example.com/q-and-a"});
  setUrlOpenerForTesting({});
}

// Takes the URLs that the desktop is asked to open.
class UrlReceiver : public QObject {
  Q_OBJECT

 public:
  std::vector<QByteArray> received;

 public Q_SLOTS:
  void open(const QUrl& url) { received.push_back(url.toEncoded()); }
};

TEST(UrlOpening, HandsAHostOutsideAsciiToTheDesktopInItsAsciiForm) {
  UrlReceiver receiver;
  QDesktopServices::setUrlHandler("https", &receiver, "open");
  EXPECT_TRUE(openUrl(*platform::Url::parse("https://münchen.de/straße?q=ü")));
  EXPECT_TRUE(openUrl(*platform::Url::parse("https://example.com/a%2Fb")));
  QDesktopServices::unsetUrlHandler("https");
  EXPECT_EQ(receiver.received,
            (std::vector<QByteArray>{"https://xn--mnchen-3ya.de/stra%C3%9Fe?q=%C3%BC", "https://example.com/a%2Fb"}));
}

}  // namespace
}  // namespace kit

#include "link_button_test.moc"
