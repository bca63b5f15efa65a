#include "platform/pasteboard/x11_targets.h"

#include <gtest/gtest.h>

#include <map>

namespace {

namespace targets = platform::x11targets;
namespace Type = platform::PasteboardType;

struct FakeOwner {
  std::map<std::string, std::string> data;
  std::vector<std::string> reads;
  targets::TargetReader reader() {
    return [this](const std::string& target) -> std::optional<platform::Bytes> {
      reads.push_back(target);
      auto it = data.find(target);
      if (it == data.end()) return std::nullopt;
      return it->second;
    };
  }
};

TEST(X11Targets, ListsLogicalTypesInOfferOrderThenTheRemainingTargets) {
  FakeOwner owner;
  auto offered = targets::contentTargets({"TARGETS", "MULTIPLE", "text/html", "text/plain", "UTF8_STRING",
                                          "org.nspasteboard.source", "image/png", "text/rtf", "application/rtf",
                                          "_NETSCAPE_URL", "TIMESTAMP", "text/html"});
  EXPECT_EQ(offered, (std::vector<std::string>{"text/html", "text/plain", "UTF8_STRING", "org.nspasteboard.source",
                                               "image/png", "text/rtf", "application/rtf", "_NETSCAPE_URL"}));
  EXPECT_EQ(targets::logicalTypes(offered, owner.reader()),
            (std::vector<std::string>{Type::html, Type::string, Type::tiff, Type::rtf, Type::url,
                                      "org.nspasteboard.source"}));
  EXPECT_TRUE(owner.reads.empty());  // listing reads nothing it does not need
}

TEST(X11Targets, UriListsAreFilesOrLinksByTheirContent) {
  FakeOwner files{{{"text/uri-list", "# copied\r\nfile:///home/a.txt\r\n"}}};
  EXPECT_EQ(targets::logicalTypes({"text/uri-list"}, files.reader()), std::vector<std::string>{Type::fileUrl});
  EXPECT_EQ(targets::readType(Type::fileUrl, {"text/uri-list"}, files.reader()), "file:///home/a.txt");
  EXPECT_EQ(targets::readType(Type::url, {"text/uri-list"}, files.reader()), std::nullopt);

  FakeOwner links{{{"text/uri-list", "https://example.com/a\r\n"}, {"text/x-moz-url", ""}}};
  EXPECT_EQ(targets::logicalTypes({"text/uri-list"}, links.reader()), std::vector<std::string>{Type::url});
  EXPECT_EQ(targets::readType(Type::url, {"text/uri-list"}, links.reader()), "https://example.com/a");

  std::u16string moz = u"https://example.org/ü\nTitle";
  std::string mozBytes(reinterpret_cast<const char*>(moz.data()), moz.size() * 2);
  FakeOwner browser{{{"text/x-moz-url", mozBytes}}};
  EXPECT_EQ(targets::readType(Type::url, {"text/x-moz-url"}, browser.reader()), "https://example.org/ü");

  FakeOwner manager{{{"x-special/gnome-copied-files", "copy\nfile:///tmp/b.png"}}};
  EXPECT_EQ(targets::readType(Type::fileUrl, {"x-special/gnome-copied-files"}, manager.reader()), "file:///tmp/b.png");
}

TEST(X11Targets, DecodesHtmlAndTextFromOutsideSafely) {
  const std::string utf16("\xff\xfe<\0b\0>\0\xe4\0", 10);
  FakeOwner owner{{{"text/html", utf16}, {"UTF8_STRING", "bad \xff byte"}}};
  EXPECT_EQ(targets::readType(Type::html, {"text/html"}, owner.reader()), "<b>ä");
  EXPECT_EQ(targets::readType(Type::string, {"UTF8_STRING"}, owner.reader()), "bad \xef\xbf\xbd byte");
  EXPECT_EQ(targets::readType(Type::rtf, {"text/html"}, owner.reader()), std::nullopt);
}

TEST(X11Targets, SecretHintMakesTheConcealedMarkerAvailableOnlyForSecrets) {
  FakeOwner secret{{{"UTF8_STRING", "pw"}, {"x-kde-passwordManagerHint", "secret"}}};
  auto types = targets::logicalTypes({"UTF8_STRING", "x-kde-passwordManagerHint"}, secret.reader());
  EXPECT_EQ(types.back(), "org.nspasteboard.ConcealedType");
  EXPECT_EQ(targets::readType("org.nspasteboard.ConcealedType", {"UTF8_STRING", "x-kde-passwordManagerHint"},
                              secret.reader()),
            "");
  FakeOwner other{{{"x-kde-passwordManagerHint", "public"}}};
  types = targets::logicalTypes({"x-kde-passwordManagerHint"}, other.reader());
  EXPECT_EQ(std::count(types.begin(), types.end(), "org.nspasteboard.ConcealedType"), 0);
}

TEST(X11Targets, WritesEachLogicalTypeUnderItsTargets) {
  auto written = targets::targetsForWrite({{Type::string, "t"},
                                           {Type::html, "<b>t</b>"},
                                           {Type::rtf, "{\\rtf1 t}"},
                                           {"org.nspasteboard.ConcealedType", ""},
                                           {"x.nspasteboard.ModifiedType", "7"}});
  std::vector<std::string> names;
  for (const auto& entry : written) names.push_back(entry.type);
  EXPECT_EQ(names, (std::vector<std::string>{"text/plain", "text/plain;charset=utf-8", "text/html", "text/rtf",
                                             "application/rtf", "org.nspasteboard.ConcealedType",
                                             "x-kde-passwordManagerHint", "x.nspasteboard.ModifiedType"}));
  EXPECT_EQ(written[6].data, "secret");
}

}  // namespace
