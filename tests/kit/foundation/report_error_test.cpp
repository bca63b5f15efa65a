#include "kit/foundation/report_error.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "kit/foundation/general_error.h"
#include "kit/foundation/log.h"

namespace {

namespace keys = platform::userinfo;
using kit::GeneralError;
namespace ZvApp = kit::ZvApp;

class ReportError : public ::testing::Test {
 protected:
  void SetUp() override { kit::debugLogStore().clear(); }
  void TearDown() override {
    ZvApp::setIgnoredErrors({});
    ZvApp::setErrorReportFilter(nullptr);
  }
  static std::vector<std::string> logged() { return kit::debugLogStore().entries(); }
};

TEST_F(ReportError, DropsCancellationsIgnoredPairsAndFilteredErrors) {
  ZvApp::reportError(platform::CancellationError());
  ZvApp::reportError(std::make_exception_ptr(platform::CancellationError()));

  ZvApp::setIgnoredErrors({{"NSCocoaErrorDomain", 4}});
  ZvApp::reportError(platform::PlatformError("NSCocoaErrorDomain", 4));
  auto listed = std::make_shared<platform::PlatformError>("NSCocoaErrorDomain", 4);
  ZvApp::reportError(GeneralError("Several failed.", std::nullopt, {}, std::nullopt, {}, {listed}));

  ZvApp::setErrorReportFilter([](const platform::Error& error) { return error.localizedDescription() != "Quiet."; });
  ZvApp::reportError(GeneralError("Quiet."));
  EXPECT_TRUE(logged().empty());
}

TEST_F(ReportError, OnePairAddedToTheIgnoredOnesKeepsTheOthersAndTheFilterReadsBack) {
  EXPECT_TRUE(ZvApp::ignoredErrors().empty());
  ZvApp::setIgnoredErrors({{"NSCocoaErrorDomain", 4}});
  ZvApp::addIgnoredError("NSPOSIXErrorDomain", ENOENT);
  EXPECT_EQ(ZvApp::ignoredErrors(), (ZvApp::IgnoredErrors{{"NSCocoaErrorDomain", 4}, {"NSPOSIXErrorDomain", ENOENT}}));
  ZvApp::reportError(platform::PlatformError("NSCocoaErrorDomain", 4));
  ZvApp::reportError(platform::PlatformError::posix(ENOENT, "open"));
  EXPECT_TRUE(logged().empty());

  EXPECT_TRUE(ZvApp::errorReportFilter()(GeneralError("Anything.")));
  ZvApp::setErrorReportFilter([](const platform::Error& error) { return error.code() != 7; });
  const auto filter = ZvApp::errorReportFilter();
  EXPECT_FALSE(filter(platform::PlatformError("D", 7)));
  EXPECT_TRUE(filter(platform::PlatformError("D", 8)));
}

TEST_F(ReportError, LogsEverythingElseAtItsCallSite) {
  ZvApp::setIgnoredErrors({{"NSCocoaErrorDomain", 4}});
  // Only the task cancellation is dropped by reporting; other cancellations still count.
  ZvApp::reportError(platform::PlatformError("NSURLErrorDomain", -999));
  ZvApp::reportError(platform::PlatformError("NSCocoaErrorDomain", 5));
  ZvApp::reportError(GeneralError("Invalid string."), {}, "/src/kit/ZvKit.cpp", 120);
  ZvApp::reportError(std::make_exception_ptr(std::runtime_error("plain failure")));

  auto entries = logged();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_NE(entries[0].find("\"NSURLErrorDomain\" -999 \"The operation couldn’t be completed. (NSURLErrorDomain "
                            "error -999.)\" \"report_error_test.cpp:"),
            std::string::npos)
      << entries[0];
  EXPECT_NE(entries[1].find("\"NSCocoaErrorDomain\" 5"), std::string::npos) << entries[1];
  EXPECT_TRUE(entries[2].starts_with("\"GeneralError.GeneralError Invalid string.\" " +
                                     std::to_string(kit::hashIgnoringQuotedParts("GeneralError Invalid string.")) +
                                     " \"Invalid string.\" \"ZvKit.cpp:120\"\n\t[reportError in ZvKit:120]\n"))
      << entries[2];
  EXPECT_NE(entries[3].find("GeneralError.GeneralError plain failure"), std::string::npos) << entries[3];
  EXPECT_NE(entries[3].find("report_error_test:"), std::string::npos) << entries[3];
}

TEST_F(ReportError, ReportingToTheHookHandsTheSameErrorBackWithItsOwnType) {
  const platform::PlatformError made = platform::PlatformError::posix(EXDEV, "Could not move it");
  const int line = __LINE__ + 1;
  const platform::PlatformError handedBack = kit::reportToErrorHook(made, {{"url()", std::string("/usr/bin/quillet")}});
  EXPECT_EQ(handedBack.domain(), made.domain());
  EXPECT_EQ(handedBack.code(), EXDEV);
  EXPECT_EQ(handedBack.localizedDescription(), made.localizedDescription());
  const auto entries = logged();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(entries[0].find("report_error_test.cpp:" + std::to_string(line)), std::string::npos) << entries[0];

  ZvApp::setErrorReportFilter([](const platform::Error&) { return false; });
  EXPECT_THROW(throw kit::reportToErrorHook(GeneralError("Filtered, still thrown.")), GeneralError);
  EXPECT_EQ(logged().size(), 1u);
}

TEST_F(ReportError, ReportableFormGroupsOurErrorsAndKeepsPlatformCodes) {
  auto reportable =
      ZvApp::reportableError(GeneralError("Invalid string."), {{"fileLine", std::string("ZvKit.cpp:120")}});
  EXPECT_EQ(reportable.domain(), "GeneralError.GeneralError Invalid string.");
  EXPECT_EQ(reportable.code(), kit::hashIgnoringQuotedParts("GeneralError Invalid string."));
  EXPECT_EQ(platform::userInfoString(reportable.userInfo(), "codeString"), "GeneralError Invalid string.");
  EXPECT_EQ(platform::userInfoString(reportable.userInfo(), "fileLine"), "ZvKit.cpp:120");
  EXPECT_EQ(reportable.localizedDescription(), "Invalid string.");

  auto first = ZvApp::reportableError(GeneralError("Can\u2019t read \u201ca\u201d."), {});
  auto second = ZvApp::reportableError(GeneralError("Can\u2019t read \u201cb\u201d."), {});
  EXPECT_EQ(first.code(), second.code());
  EXPECT_NE(first.domain(), second.domain());

  auto fileError = platform::PlatformError::posix(ENOENT, "open");
  auto kept = ZvApp::reportableError(fileError, {{"line", int64_t{9}}});
  EXPECT_EQ(kept.domain(), "NSPOSIXErrorDomain");
  EXPECT_EQ(kept.code(), ENOENT);
  EXPECT_EQ(kept.localizedDescription(), "open: No such file or directory");
  EXPECT_EQ(kept.userInfo().size(), 2u);
  EXPECT_FALSE(kept.userInfo().contains("codeString"));

  // A platform error with code 1 is grouped like our own errors.
  EXPECT_EQ(ZvApp::reportableError(platform::PlatformError("D", 1), {}).domain(),
            "D.Error The operation couldn\u2019t be completed. (D error 1.)");
}

TEST(IsCancelled, RecognisesEveryKindOfCancellationButOnlyThroughTheUnderlyingError) {
  using platform::PlatformError;
  EXPECT_TRUE(kit::isCancelled(platform::CancellationError()));
  EXPECT_TRUE(kit::isCancelled(PlatformError("NSURLErrorDomain", -999)));
  EXPECT_TRUE(kit::isCancelled(PlatformError("NSURLErrorDomain", -1012)));
  EXPECT_TRUE(kit::isCancelled(PlatformError::posix(ECANCELED)));
  EXPECT_TRUE(kit::isCancelled(PlatformError("SKErrorDomain", 2)));
  EXPECT_TRUE(kit::isCancelled(kit::AnyError(std::make_shared<PlatformError>("NSCocoaErrorDomain", 3072))));
  EXPECT_FALSE(kit::isCancelled(PlatformError("NSURLErrorDomain", -1000)));
  EXPECT_FALSE(kit::isCancelled(GeneralError("x")));

  std::shared_ptr<const platform::Error> urlCancelled = std::make_shared<PlatformError>("NSURLErrorDomain", -999);
  EXPECT_TRUE(kit::isCancelled(PlatformError("Outer", 3, {{keys::underlyingError, urlCancelled}})));
  EXPECT_FALSE(kit::isCancelled(GeneralError("Outer", std::nullopt, {}, std::nullopt, {}, {urlCancelled})));
  EXPECT_TRUE(kit::isCancelled(std::make_exception_ptr(platform::CancellationError())));
  EXPECT_FALSE(kit::isCancelled(std::make_exception_ptr(std::runtime_error("x"))));
}

}  // namespace
