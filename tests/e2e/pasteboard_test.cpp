#include "platform/pasteboard/pasteboard.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xfixes.h>

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QGuiApplication>
#include <cstdlib>
#include <optional>
#include <thread>

#include "platform/system/xcb_reply.h"
#include "x11_session_support.h"

namespace {

using platform::PasteboardType::html;
using platform::PasteboardType::string;
using namespace std::chrono_literals;

class PasteboardOnX11 : public x11test::SessionTest {
 protected:
  // Lets the change of an owner that a test let go arrive before the next test counts.
  void SetUp() override { x11test::processEventsFor(300ms); }

  platform::Pasteboard& pasteboard = platform::generalPasteboard();

  // Waits until the count moved past `from`, then a little longer, and answers how far it moved.
  int64_t settledMoveFrom(int64_t from) {
    x11test::processEventsUntil([&] { return pasteboard.changeCount() != from; });
    x11test::processEventsFor(300ms);
    return pasteboard.changeCount() - from;
  }
};

TEST_F(PasteboardOnX11, ReadsEveryTypeOfAnotherOwnerAndCountsEachNewOwnerOnce) {
  int64_t before = pasteboard.changeCount();
  std::vector<int64_t> published;
  auto subscription = pasteboard.changes().sink([&](int64_t count) { published.push_back(count); });
  {
    x11test::SelectionOwner owner(
        {.targets = {{"text/html", "<b>bold</b> text"},
                     {"UTF8_STRING", "bold text"},
                     {"org.nspasteboard.TransientType", ""},
                     {"com.example.private", "\x01\x02"}},
         .order = {"text/html", "UTF8_STRING", "org.nspasteboard.TransientType", "com.example.private"}});
    ASSERT_EQ(settledMoveFrom(before), 1);

    EXPECT_EQ(pasteboard.types(),
              (std::vector<std::string>{html, string, "org.nspasteboard.TransientType", "com.example.private"}));
    EXPECT_EQ(pasteboard.string(html), "<b>bold</b> text");
    EXPECT_EQ(pasteboard.string(string), "bold text");
    EXPECT_EQ(pasteboard.data("org.nspasteboard.TransientType"), "");
    EXPECT_EQ(pasteboard.data("com.example.private"), "\x01\x02");
    EXPECT_EQ(pasteboard.data("org.nspasteboard.ConcealedType"), std::nullopt);
    std::string_view wanted[] = {"public.rtf", "public.html"};
    EXPECT_EQ(pasteboard.availableType(wanted), html);
    ASSERT_EQ(pasteboard.items().size(), 1u);
    EXPECT_EQ(pasteboard.items()[0].dataByType.at(html), "<b>bold</b> text");
  }

  // The owner went away: the clipboard is empty, which is a change too.
  int64_t afterFirst = pasteboard.changeCount();
  ASSERT_EQ(settledMoveFrom(afterFirst), 1);
  EXPECT_TRUE(pasteboard.types().empty());
  EXPECT_TRUE(pasteboard.items().empty());

  int64_t beforeXclip = pasteboard.changeCount();
  x11test::ChildProcess xclip({"xclip", "-quiet", "-selection", "clipboard", "-t", "text/html", "-i"},
                              "<i>from xclip</i>");
  ASSERT_EQ(settledMoveFrom(beforeXclip), 1);
  EXPECT_EQ(pasteboard.string(html), "<i>from xclip</i>");
  EXPECT_EQ(published, (std::vector<int64_t>{before + 1, before + 2, before + 3}));
  subscription.cancel();
}

TEST_F(PasteboardOnX11, OwnWriteCountsOnceAndOtherClientsReadEveryTargetBackExactly) {
  const std::string text = "Grüße — plain";
  const std::string markup = "<p>Grüße</p>";
  const std::string rtf = "{\\rtf1 Gr\\'fc\\'dfe}";
  int64_t before = pasteboard.changeCount();
  ASSERT_TRUE(pasteboard.write({{string, text},
                                {html, markup},
                                {"public.rtf", rtf},
                                {"com.kestrova.Quillet.hasRun", ""},
                                {"x.nspasteboard.ModifiedType", "42"},
                                {"org.nspasteboard.ConcealedType", ""}}));
  EXPECT_EQ(settledMoveFrom(before), 1);

  std::string targets = x11test::run({"xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"});
  for (const char* target :
       {"text/plain", "UTF8_STRING", "text/html", "text/rtf", "application/rtf", "com.kestrova.Quillet.hasRun",
        "x.nspasteboard.ModifiedType", "org.nspasteboard.ConcealedType", "x-kde-passwordManagerHint"}) {
    EXPECT_NE(targets.find(target), std::string::npos) << target << " missing from " << targets;
  }
  auto read = [](const char* target) { return x11test::run({"xclip", "-o", "-selection", "clipboard", "-t", target}); };
  EXPECT_EQ(read("UTF8_STRING"), text);
  EXPECT_EQ(read("text/plain;charset=utf-8"), text);
  EXPECT_EQ(read("text/html"), markup);
  EXPECT_EQ(read("text/rtf"), rtf);
  EXPECT_EQ(read("application/rtf"), rtf);
  EXPECT_EQ(read("x.nspasteboard.ModifiedType"), "42");
  EXPECT_EQ(read("x-kde-passwordManagerHint"), "secret");
  EXPECT_EQ(read("com.kestrova.Quillet.hasRun"), "");

  // A conditional write against a stale count writes nothing.
  int64_t now = pasteboard.changeCount();
  EXPECT_FALSE(pasteboard.write({{string, "late"}}, now - 1));
  EXPECT_EQ(pasteboard.changeCount(), now);
  EXPECT_EQ(read("UTF8_STRING"), text);
  // Our own content has no owner application to report, and no source marker we did not write.
  EXPECT_EQ(pasteboard.ownerApplication(), std::nullopt);
  EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), std::nullopt);
}

TEST_F(PasteboardOnX11, PasswordManagerHintCountsAsConcealed) {
  int64_t before = pasteboard.changeCount();
  x11test::SelectionOwner owner({.targets = {{"UTF8_STRING", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}}});
  ASSERT_EQ(settledMoveFrom(before), 1);
  auto types = pasteboard.types();
  EXPECT_NE(std::find(types.begin(), types.end(), "org.nspasteboard.ConcealedType"), types.end());
  EXPECT_EQ(pasteboard.data("org.nspasteboard.ConcealedType"), "");
}

TEST_F(PasteboardOnX11, LargeTargetsComeInParts) {
  std::string large(3 << 20, 'a');
  for (size_t i = 0; i < large.size(); i += 97) large[i] = static_cast<char>('b' + i % 20);
  pasteboard.setTypesToReadAhead({html});
  x11test::SelectionOwner owner({.targets = {{"text/html", large}, {"UTF8_STRING", "small"}}, .partSize = 100000});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return pasteboard.string(string) == "small"; }));
  EXPECT_EQ(pasteboard.data(html), large);
}

TEST_F(PasteboardOnX11, HungOwnerCostsOneTimeoutPerChange) {
  int64_t before = pasteboard.changeCount();
  x11test::SelectionOwner owner({.targets = {{"text/html", "<b>x</b>"}, {"UTF8_STRING", "x"}}, .hangOnData = true});
  ASSERT_EQ(settledMoveFrom(before), 1);

  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(pasteboard.string(html), std::nullopt);
  EXPECT_EQ(pasteboard.string(string), std::nullopt);
  EXPECT_EQ(pasteboard.data("public.rtf"), std::nullopt);
  pasteboard.items();
  auto firstRound = std::chrono::steady_clock::now() - started;

  started = std::chrono::steady_clock::now();
  pasteboard.types();
  EXPECT_EQ(pasteboard.string(html), std::nullopt);
  auto secondRound = std::chrono::steady_clock::now() - started;

  EXPECT_LT(firstRound, 7s);  // one conversion timeout of the toolkit, not one per question
  EXPECT_LT(secondRound, 200ms);
}

// Right after a copy from an owner that answers slowly, the clipboard still holds the content before it. Asked, it
// tells once the copy is read, or that it could not be read in time.
TEST_F(PasteboardOnX11, TellsWhenTheLastCopyIsRead) {
  pasteboard.setTypesToReadAhead({html, string});
  x11test::SelectionOwner slow({.targets = {{"text/html", "<b>slow</b>"}, {"UTF8_STRING", "slow"}},
                                .shortestPause = 80ms,
                                .longestPause = 80ms});
  ASSERT_EQ(x11test::clipboardOwner(), slow.window());
  std::optional<bool> read;
  pasteboard.whenLastChangeIsRead(2s, [&](bool answer) { read = answer; });
  EXPECT_FALSE(read.has_value()) << "its answers are on their way";
  ASSERT_TRUE(x11test::processEventsUntil([&] { return read.has_value(); }));
  EXPECT_TRUE(*read);
  EXPECT_EQ(pasteboard.string(string), "slow");
  read.reset();
  pasteboard.whenLastChangeIsRead(2s, [&](bool answer) { read = answer; });
  EXPECT_EQ(read, true) << "at once: nothing changed since";

  x11test::SelectionOwner hung({.targets = {{"text/html", "<b>x</b>"}, {"UTF8_STRING", "x"}}, .hangOnData = true});
  ASSERT_EQ(x11test::clipboardOwner(), hung.window());
  read.reset();
  pasteboard.whenLastChangeIsRead(300ms, [&](bool answer) { read = answer; });
  ASSERT_TRUE(x11test::processEventsUntil([&] { return read.has_value(); }, 2s));
  EXPECT_FALSE(*read);
  // Also when the reader gives up on it first, and afterwards: it handed nothing over.
  read.reset();
  pasteboard.whenLastChangeIsRead(10s, [&](bool answer) { read = answer; });
  ASSERT_TRUE(x11test::processEventsUntil([&] { return read.has_value(); }, 10s));
  EXPECT_FALSE(*read);
  read.reset();
  pasteboard.whenLastChangeIsRead(10s, [&](bool answer) { read = answer; });
  EXPECT_EQ(read, false);
}

TEST_F(PasteboardOnX11, AWriteNeverTakesTheClipboardBackFromANewerCopy) {
  // Another application copies right after our write: its copy stays, whatever the timing.
  for (auto delay : {0us, 1000us, 2000us, 10000us}) {
    int lost = 0;
    for (int round = 0; round < 100; ++round) {
      std::string newer = "newer " + std::to_string(round);
      x11test::SelectionOwner other({.targets = {{"text/html", "<b>older</b>"}, {"UTF8_STRING", "older"}},
                                     .takeBackAfter = delay,
                                     .takeBackWith = {{"UTF8_STRING", newer}}});
      ASSERT_TRUE(x11test::processEventsUntil([&] { return pasteboard.string(string) == "older"; }));
      // Whether the write counts as done depends on how soon the other client answered it.
      pasteboard.write({{string, "older, cleaned"}}, pasteboard.changeCount());
      ASSERT_TRUE(x11test::processEventsUntil([&] { return other.tookBack(); }, 1s));
      x11test::processEventsUntil([&] { return pasteboard.string(string) == newer; }, 200ms);
      if (x11test::clipboardOwner() != other.window()) ++lost;
    }
    EXPECT_EQ(lost, 0) << "of 100 at " << delay.count() << " µs";
  }
}

// Keeps the news of another client's copy from Qt, as a main thread busy elsewhere does for a while.
class SelectionNewsWithheld final : public QAbstractNativeEventFilter {
 public:
  explicit SelectionNewsWithheld(xcb_connection_t* qtConnection)
      : selectionNotify_(xcb_get_extension_data(qtConnection, &xcb_xfixes_id)->first_event +
                         XCB_XFIXES_SELECTION_NOTIFY) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~SelectionNewsWithheld() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
  bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
    return (static_cast<xcb_generic_event_t*>(message)->response_type & 0x7f) == selectionNotify_;
  }

 private:
  int selectionNotify_;
};

TEST_F(PasteboardOnX11, AWriteBeforeQtHeardOfTheCopyIsNotRefused) {
  auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  ASSERT_NE(native, nullptr);
  SelectionNewsWithheld withheld(native->connection());
  x11test::RefusedTakeCounter refusedTakes;
  for (int round = 0; round < 5; ++round) {
    // One client copies and Qt hears of it (it loses the clipboard); the server's clock moves on past that, then
    // another client copies.
    x11test::SelectionOwner earlier({.targets = {{"UTF8_STRING", "earlier"}}});
    ASSERT_TRUE(x11test::processEventsUntil([&] { return pasteboard.string(string) == "earlier"; }));
    std::this_thread::sleep_for(20ms);
    x11test::SelectionOwner other({.targets = {{"text/html", "<b>copied</b>"}, {"UTF8_STRING", "copied"}}});
    ASSERT_TRUE(x11test::processEventsUntil([&] { return pasteboard.string(string) == "copied"; }));
    EXPECT_TRUE(pasteboard.write({{string, "cleaned"}}, pasteboard.changeCount())) << "round " << round;
    EXPECT_EQ(x11test::run({"xclip", "-o", "-selection", "clipboard"}), "cleaned") << "round " << round;
  }
  EXPECT_EQ(refusedTakes.count(), 0);
}

TEST_F(PasteboardOnX11, OwnerApplicationIsTheSelectionOwnersDesktopEntry) {
  x11test::TemporaryFolder dataHome;
  dataHome.write("applications/org.example.Owner.desktop",
                 "[Desktop Entry]\nType=Application\nName=Owner\nExec=owner-app\nStartupWMClass=ExampleOwner\n");
  dataHome.write("applications/org.example.Clipper.desktop",
                 "[Desktop Entry]\nType=Application\nName=Clipper\nExec=xclip -selection clipboard\n");
  setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);

  {
    int64_t before = pasteboard.changeCount();
    x11test::SelectionOwner owner({.targets = {{"UTF8_STRING", "hello"}},
                                   .wmInstance = "exampleowner",
                                   .wmClass = "ExampleOwner",
                                   .netWmPid = static_cast<uint32_t>(getpid())});
    ASSERT_EQ(settledMoveFrom(before), 1);
    EXPECT_EQ(pasteboard.ownerApplication(), "org.example.Owner");
    // The owner is no marker of the content.
    EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), std::nullopt);
    auto types = pasteboard.types();
    EXPECT_EQ(std::find(types.begin(), types.end(), "org.nspasteboard.source"), types.end());
  }
  {
    // A marker offered by the content is read as it is, beside the owner.
    x11test::processEventsFor(300ms);
    int64_t before = pasteboard.changeCount();
    x11test::SelectionOwner owner({.targets = {{"UTF8_STRING", "hello"}, {"org.nspasteboard.source", "com.other.App"}},
                                   .wmInstance = "exampleowner",
                                   .wmClass = "ExampleOwner"});
    ASSERT_EQ(settledMoveFrom(before), 1);
    EXPECT_EQ(pasteboard.string("org.nspasteboard.source"), "com.other.App");
    EXPECT_EQ(pasteboard.ownerApplication(), "org.example.Owner");
  }
  {
    // An owner without window properties: its process, found through the X server, names the application.
    x11test::processEventsFor(300ms);
    int64_t before = pasteboard.changeCount();
    x11test::ChildProcess xclip({"xclip", "-quiet", "-selection", "clipboard", "-i"}, "from a process");
    ASSERT_EQ(settledMoveFrom(before), 1);
    EXPECT_EQ(pasteboard.ownerApplication(), "org.example.Clipper");
  }
  {
    // A hidden helper window owns the copy: the managed window of the same client names the application, found
    // among the clients of other processes.
    x11test::processEventsFor(300ms);
    x11test::ChildProcess other({"sleep", "60"});
    x11test::TestWindow otherWindow(0, 0, 100, 100);
    x11test::setCardinalProperty(otherWindow.window(), "_NET_WM_PID", "CARDINAL", {static_cast<uint32_t>(other.pid())});
    x11test::TestWindow mainWindow(200, 0, 100, 100);
    const char wmClass[] = "exampleowner\0ExampleOwner";
    xcb_change_property(mainWindow.connection(), XCB_PROP_MODE_REPLACE, mainWindow.window(), XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, sizeof wmClass, wmClass);
    platform::xcbReply(
        xcb_get_input_focus_reply(mainWindow.connection(), xcb_get_input_focus(mainWindow.connection()), nullptr));
    x11test::setCardinalProperty(x11test::rootWindow(), "_NET_CLIENT_LIST", "WINDOW",
                                 {otherWindow.window(), mainWindow.window()});
    int64_t before = pasteboard.changeCount();
    x11test::SelectionOwner helper({.targets = {{"UTF8_STRING", "from a helper window"}}});
    ASSERT_EQ(settledMoveFrom(before), 1);
    EXPECT_EQ(pasteboard.ownerApplication(), "org.example.Owner");
    x11test::setCardinalProperty(x11test::rootWindow(), "_NET_CLIENT_LIST", "WINDOW", {});
  }
  unsetenv("XDG_DATA_HOME");
}

// Clipboard managers take each copy over within milliseconds, often before its content could be read: the owners that
// held the clipboard only for moments are still told, in order, with their applications, as long as they can be told.
TEST_F(PasteboardOnX11, TellsEveryOwnerSinceAChangeAlsoThoseThatHeldTheClipboardForMoments) {
  x11test::TemporaryFolder dataHome;
  dataHome.write("applications/org.example.Owner.desktop",
                 "[Desktop Entry]\nType=Application\nName=Owner\nExec=owner-app\nStartupWMClass=ExampleOwner\n");
  dataHome.write("applications/org.example.Keeper.desktop",
                 "[Desktop Entry]\nType=Application\nName=Keeper\nExec=keeper\nStartupWMClass=ExampleKeeper\n");
  setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);

  const uint64_t mark = pasteboard.lastOwnerChange();
  auto copy = std::make_unique<x11test::SelectionOwner>(x11test::SelectionOwner::Options{
      .targets = {{"UTF8_STRING", "copied"}}, .wmInstance = "exampleowner", .wmClass = "ExampleOwner"});
  x11test::SelectionOwner manager(
      {.targets = {{"UTF8_STRING", "kept"}}, .wmInstance = "examplekeeper", .wmClass = "ExampleKeeper"});
  ASSERT_TRUE(x11test::processEventsUntil([&] { return pasteboard.string(string) == "kept"; }));
  auto changes = pasteboard.ownerChangesSince(mark);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_LT(changes[0].serial, changes[1].serial);
  EXPECT_LE(changes[0].at, changes[1].at);
  EXPECT_FALSE(changes[0].ours || changes[1].ours);
  EXPECT_EQ(pasteboard.applicationOfOwnerChange(changes[0].serial), "org.example.Owner");
  EXPECT_EQ(pasteboard.applicationOfOwnerChange(changes[1].serial), "org.example.Keeper");
  EXPECT_EQ(pasteboard.ownerChangesSince(changes[0].serial).size(), 1u);

  // Our write is one of them; an owner whose client has gone can no longer be told.
  ASSERT_TRUE(pasteboard.write({{string, "cleaned"}}, pasteboard.changeCount()));
  copy.reset();
  x11test::processEventsFor(100ms);
  changes = pasteboard.ownerChangesSince(mark);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_TRUE(changes[2].ours);
  EXPECT_EQ(pasteboard.applicationOfOwnerChange(changes[2].serial), std::nullopt);
  EXPECT_EQ(pasteboard.applicationOfOwnerChange(changes[0].serial), std::nullopt);
  EXPECT_EQ(pasteboard.applicationOfOwnerChange(changes[1].serial), "org.example.Keeper");
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
