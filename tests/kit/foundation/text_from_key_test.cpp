#include "kit/foundation/text_from_key.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

namespace {

// A catalogue of the kit's context with one entry, as a translation file loaded by the application would be.
class KitCatalogue : public QTranslator {
 public:
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (QByteArray(context) != kit::Text::translationContext) return {};
    if (QByteArray(sourceText) == "Quit") return QStringLiteral("Beenden");
    if (QByteArray(sourceText) == "Move %@ to %@") return QStringLiteral("%@ nach %@ verschieben");
    return {};
  }
  bool isEmpty() const override { return false; }
};

TEST(TextFromKey, IsTheKeyWithoutACatalogueAndItsTranslationWithOne) {
  EXPECT_EQ(kit::Text::fromKey("Quit"), "Quit");

  int argc = 1;
  char name[] = "text_from_key_test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  EXPECT_EQ(kit::Text::fromKey("Quit"), "Quit");

  KitCatalogue catalogue;
  ASSERT_TRUE(QCoreApplication::installTranslator(&catalogue));
  EXPECT_EQ(kit::Text::fromKey("Quit"), "Beenden");
  // A key the catalogue does not know stays itself; so does text outside ASCII.
  EXPECT_EQ(kit::Text::fromKey("Open \u201cQuillet\u201d"), "Open \u201cQuillet\u201d");
  QCoreApplication::removeTranslator(&catalogue);
  EXPECT_EQ(kit::Text::fromKey("Quit"), "Quit");
}

TEST(TextFromKey, InterpolatedValuesTakeThePlacesOfTheLookedUpText) {
  using kit::Text::fromKey;
  EXPECT_EQ(fromKey("Quit %@", {"Quillet"}), "Quit Quillet");
  EXPECT_EQ(fromKey("Move %@ to %@", {"a", "b"}), "Move a to b");
  EXPECT_EQ(fromKey("Move %@ to %@", {"%@", "b"}), "Move %@ to b") << "a value is never read as a placeholder";
  EXPECT_EQ(fromKey("Move %@ to %@", {"a"}), "Move a to %@");
  EXPECT_EQ(fromKey("Quit", {"Quillet"}), "Quit");

  int argc = 1;
  char name[] = "text_from_key_test";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  KitCatalogue catalogue;
  ASSERT_TRUE(QCoreApplication::installTranslator(&catalogue));
  EXPECT_EQ(fromKey("Move %@ to %@", {"a", "b"}), "a nach b verschieben");
  QCoreApplication::removeTranslator(&catalogue);
}

}  // namespace
