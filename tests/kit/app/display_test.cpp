#include "kit/app/display.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include "support/offscreen_application.h"

namespace kit {
namespace {

TEST(Display, CodesAsAnObjectWithOnlyItsId) {
  const Display display{QUuid::createUuid()};
  const Json json = encodeDisplay(display);
  ASSERT_EQ(json.size(), 1u);
  EXPECT_TRUE(json.contains("id"));
  EXPECT_EQ(decodeJson<Display>(json), display);
  EXPECT_EQ(decodedJson<Display>(jsonText(json)), display);
  EXPECT_EQ(decodeJson<std::vector<Display>>(Json::array({json, json})), (std::vector<Display>{display, display}));

  try {
    decodeDisplay(Json{{"uuid", json["id"]}});
    ADD_FAILURE() << "decoded without an id";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::keyNotFound);
    EXPECT_EQ(error.subject(), "id");
  }
  EXPECT_EQ(decodedJson<Display>(R"({"id":"not a uuid"})"), std::nullopt);
  const std::vector<Display> displays{display, Display{QUuid::createUuid()}};
  EXPECT_EQ(decodedJson<std::vector<Display>>(jsonText(encodeJson(displays))), displays);
}

TEST(Display, FindsItsScreenAndIsStoredAsItsUUID) {
  ensureOffscreenApplication();
  QScreen* primary = QGuiApplication::primaryScreen();
  ASSERT_NE(primary, nullptr);
  const Display display = Display::forScreen(*primary);
  EXPECT_EQ(display, Display::forScreen(*primary)) << "the same screen gives the same id in every run";
  EXPECT_EQ(display.screen(), primary);
  EXPECT_EQ(Display{QUuid::createUuid()}.screen(), nullptr);

  using Bridge = Preferences::Serializable<Display>::Bridge;
  const auto stored = Bridge::serialize(display);
  EXPECT_EQ(stored, display.id.toString(QUuid::WithoutBraces).toUpper().toStdString());
  EXPECT_EQ(Bridge::deserialize(stored), display);
  EXPECT_EQ(Bridge::deserialize(std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace kit
