#include "kit/ui/system_sound.h"

#include <gtest/gtest.h>

#include "kit/preferences/key.h"

namespace kit {
namespace {

TEST(MacSystemSoundTest, NamedExactlyAndStoredByName) {
  EXPECT_EQ(macSystemSoundFromRaw("Basso"), MacSystemSound::basso);
  EXPECT_EQ(macSystemSoundFromRaw("basso"), std::nullopt);
  EXPECT_EQ(macSystemSoundFromRaw("Beep"), std::nullopt);

  const Preferences::Key<MacSystemSound> key("alertSound", MacSystemSound::ping);
  EXPECT_EQ(Preferences::get(key), MacSystemSound::ping);
  Preferences::set(key, MacSystemSound::tink);
  EXPECT_EQ(*platform::UserDefaults::standard().object("alertSound")->get<std::string>(), "Tink");
  EXPECT_EQ(Preferences::get(key), MacSystemSound::tink);
  platform::UserDefaults::standard().set("alertSound", platform::PlistValue(std::string("tink")));
  EXPECT_EQ(Preferences::get(key), MacSystemSound::ping);  // not a sound's name: the default
}

}  // namespace
}  // namespace kit
