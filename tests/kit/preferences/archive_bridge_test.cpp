#include "kit/preferences/archive_bridge.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QPointF>

#include "kit/preferences/color_bridge.h"
#include "kit/preferences/key.h"
#include "support/preference_files.h"

namespace sample {

// A value with both an archive and a JSON form; the marked one prefers its archive.
template <int Tag>
struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};
using PlainPoint = Point<0>;
using MarkedPoint = Point<1>;

template <int Tag>
QDataStream& operator<<(QDataStream& out, const Point<Tag>& point) {
  return out << qint32(point.x) << qint32(point.y);
}
template <int Tag>
QDataStream& operator>>(QDataStream& in, Point<Tag>& point) {
  qint32 x = 0, y = 0;
  in >> x >> y;
  point = {x, y};
  return in;
}

}  // namespace sample

namespace kit::Preferences {
template <int Tag>
struct JsonCodec<sample::Point<Tag>> {
  static Json encode(const sample::Point<Tag>& point) { return Json::array({point.x, point.y}); }
  static std::optional<sample::Point<Tag>> decode(const Json& j) {
    auto values = JsonCodec<std::vector<int>>::decode(j);
    if (!values || values->size() != 2) return std::nullopt;
    return sample::Point<Tag>{(*values)[0], (*values)[1]};
  }
};
template <>
struct PreferNSSecureCoding<sample::MarkedPoint> : std::true_type {};
template <int Tag>
struct Serializable<sample::Point<Tag>> : StoredAsArchivable<sample::Point<Tag>> {};
template <>
struct Serializable<QDateTime> : StoredAsArchivable<QDateTime> {};
template <>
struct Serializable<QPointF> : StoredAsArchivable<QPointF> {};
}  // namespace kit::Preferences

using namespace kit::Preferences;

namespace {

class ArchiveBridgeTest : public ::testing::Test {
 protected:
  prefs_test::TemporaryConfigHome home;
  std::shared_ptr<UserDefaults> suite = UserDefaults::named(prefs_test::uniqueSuiteName());

  // Reads the key with the stored object replaced, answering what was read and what was printed.
  template <class T>
  std::pair<T, std::string> readWithStored(const Key<T>& key, const PlistValue& stored) {
    suite->set(key.name(), stored);
    testing::internal::CaptureStdout();
    T value = get(key);
    return {value, testing::internal::GetCapturedStdout()};
  }
};

const std::string badDataLine = "The data couldn\u2019t be read because it isn\u2019t in the correct format.\n";

TEST_F(ArchiveBridgeTest, AnArchivableTypeWithAJsonFormStoresJsonUnlessItPrefersItsArchive) {
  Key<sample::PlainPoint> plain("plain", {}, *suite);
  Key<sample::MarkedPoint> marked("marked", {}, *suite);
  set(plain, {3, -4});
  set(marked, {3, -4});
  EXPECT_EQ(suite->object("plain"), PlistValue("[3,-4]"));
  ASSERT_TRUE(suite->object("marked")->get<Data>());
  EXPECT_EQ(get(plain), (sample::PlainPoint{3, -4}));
  EXPECT_EQ(get(marked), (sample::MarkedPoint{3, -4}));

  // Qt's own types without a JSON form are archived and read back equal.
  Key<QPointF> point("point", {}, *suite);
  Key<QDateTime> stamp("stamp", {}, *suite);
  const QDateTime moment = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC);
  set(point, QPointF(1.5, -2));
  set(stamp, moment);
  ASSERT_TRUE(suite->object("stamp")->get<Data>());
  EXPECT_EQ(get(point), QPointF(1.5, -2));
  EXPECT_EQ(get(stamp), moment);
  // An invalid value has no archive: the write stores nothing.
  EXPECT_FALSE(NSSecureCodingBridge<QDateTime>::serialize(QDateTime()));
}

TEST_F(ArchiveBridgeTest, AnArchiveOfAnotherTypeOrCutOrWithBytesLeftOverReadsAsNoneWithOneLine) {
  Key<sample::MarkedPoint> marked("marked", {7, 7}, *suite);
  const Data whole = *NSSecureCodingBridge<sample::MarkedPoint>::serialize(sample::MarkedPoint{1, 2});
  const Data colour = *ColorBridge::serialize(QColor(Qt::red));
  const Data otherPoint = *NSSecureCodingBridge<sample::PlainPoint>::serialize(sample::PlainPoint{1, 2});

  for (const std::string& bad : {colour.bytes, otherPoint.bytes, whole.bytes.substr(0, whole.bytes.size() - 1),
                                 whole.bytes + '\0', std::string("junk")}) {
    auto [value, printed] = readWithStored(marked, Data{bad});
    EXPECT_EQ(value, (sample::MarkedPoint{7, 7}));
    EXPECT_EQ(printed, badDataLine);
  }
  auto [value, printed] = readWithStored(marked, whole);
  EXPECT_EQ(value, (sample::MarkedPoint{1, 2}));
  EXPECT_EQ(printed, "");
}

}  // namespace
