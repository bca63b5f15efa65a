#include "platform/text/link_detector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using platform::detectLinks;

std::vector<std::string> linkTexts(std::string_view text) {
  std::vector<std::string> out;
  for (const auto& match : detectLinks(text)) out.emplace_back(text.substr(match.range.location, match.range.length));
  return out;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Each corpus text sits beside a ".links" file with the text of every link it holds, in order.
TEST(LinkDetector, FindsExactlyTheLinksOfRealTexts) {
  const std::filesystem::path corpus = std::filesystem::path(QUILLET_TEST_DATA) / "platform/text/link_corpus";
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() == ".links") continue;
    auto expectedPath = entry.path();
    expectedPath.replace_extension(".links");
    std::vector<std::string> expected;
    std::istringstream lines(readFile(expectedPath));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty()) expected.push_back(line);
    }
    EXPECT_EQ(linkTexts(readFile(entry.path())), expected) << entry.path().filename();
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

TEST(LinkDetector, GivesSchemelessLinksAWebOrMailScheme) {
  const auto links = detectLinks("www.example.com/a, shop.example.de?x=1, joe@example.com, mailto:ann@example.org");
  ASSERT_EQ(links.size(), 4u);
  EXPECT_EQ(links[0].url.absoluteString(), "http://www.example.com/a");
  EXPECT_EQ(links[1].url.absoluteString(), "http://shop.example.de?x=1");
  EXPECT_EQ(links[2].url.absoluteString(), "mailto:joe@example.com");
  EXPECT_EQ(links[3].url.absoluteString(), "mailto:ann@example.org");
}

TEST(LinkDetector, TrimsSentencePunctuationAndBracketsItDidNotOpen) {
  EXPECT_EQ(linkTexts("Go to https://x.com/a_(b)). Now!"), std::vector<std::string>{"https://x.com/a_(b)"});
  EXPECT_EQ(linkTexts("(see https://x.com/?q=[1]])"), std::vector<std::string>{"https://x.com/?q=[1]"});
  EXPECT_EQ(linkTexts("‘https://x.com/a’…"), std::vector<std::string>{"https://x.com/a"});
  EXPECT_EQ(linkTexts("{https://x.com/{id}}"), std::vector<std::string>{"https://x.com/{id}"});
  EXPECT_EQ(linkTexts("https://x.com/ü?a=1 next"), std::vector<std::string>{"https://x.com/ü?a=1"});
}

TEST(LinkDetector, StaysConservativeWithWordsThatLookLikeHosts) {
  for (const char* text : {"file.txt and notes.md", "e.g. i.e. etc.", "version 2.3.1/beta", "a.b/c", "readme.txt/x",
                           "https://", "https:// x", "www.", "user@localhost", "x@y.z", "price: 3.50€",
                           "foo.notatld?baz", "a@b", "mailto:", "mailto: x", "http//x.com", "-x.com/a"}) {
    EXPECT_EQ(linkTexts(text), std::vector<std::string>{}) << text;
  }
}

// The text is read several bytes at a time: links are the same wherever they fall in the text.
TEST(LinkDetector, FindsTheSameLinksAtEveryOffset) {
  const std::string text =
      "Mail ann@example.org: see https://x.example/a_(b)?q=1. Or www.example.co.uk/p, "
      "café.example.com/x — «https://y.example/ü» e.g. 14:00 done.";
  const auto expected = detectLinks(text);
  ASSERT_EQ(linkTexts(text), (std::vector<std::string>{"ann@example.org", "https://x.example/a_(b)?q=1",
                                                       "www.example.co.uk/p", "https://y.example/\u00fc"}));
  for (std::size_t padding = 1; padding <= 16; ++padding) {
    for (const char* pad : {" ", "é"}) {
      std::string prefix;
      while (prefix.size() < padding) prefix += pad;
      const auto links = detectLinks(prefix + text);
      ASSERT_EQ(links.size(), expected.size()) << padding << pad;
      for (std::size_t i = 0; i < links.size(); ++i) {
        EXPECT_EQ(links[i].range.location, expected[i].range.location + prefix.size());
        EXPECT_EQ(links[i].range.length, expected[i].range.length);
        EXPECT_EQ(links[i].url, expected[i].url);
      }
    }
  }
}

TEST(LinkDetector, ALongLinkEndsAtEveryKindOfStopWhereverItFalls) {
  for (std::size_t pathLength = 0; pathLength <= 40; ++pathLength) {
    const std::string link = "https://example.com/" + std::string(pathLength, 'p') + "/a.b:c@d";
    for (const char* stop : {" ", "\t", "\n", "\x01", "\x7F", "<", ">", "\"", "`", "|", "\\", "^", "\u00AB", "\xFF"}) {
      const std::string text = "See " + link + stop + " and more.";
      const auto links = detectLinks(text);
      ASSERT_EQ(links.size(), 1u) << pathLength << stop;
      EXPECT_EQ(links[0].range.location, 4u);
      EXPECT_EQ(links[0].range.length, link.size()) << pathLength << stop;
    }
  }
}

TEST(LinkDetector, RangesPointIntoTextWithOtherScriptsAndInvalidBytes) {
  const std::string text = "日本語のリンク：https://例え.jp/パス?a=1、次\xff www.example.com/x";
  const auto links = detectLinks(text);
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(text.substr(links[0].range.location, links[0].range.length), "https://例え.jp/パス?a=1");
  EXPECT_EQ(links[0].url.absoluteString(), "https://%E4%BE%8B%E3%81%88.jp/%E3%83%91%E3%82%B9?a=1");
  EXPECT_EQ(text.substr(links[1].range.location, links[1].range.length), "www.example.com/x");
}

}  // namespace
