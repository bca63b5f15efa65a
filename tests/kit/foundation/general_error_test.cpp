#include "kit/foundation/general_error.h"

#include <gtest/gtest.h>

#include "kit/foundation/json_coding.h"
#include "kit/foundation/string_hash.h"

namespace {

namespace keys = platform::userinfo;
using kit::GeneralError;

TEST(GeneralError, UserInfoHoldsOnlyWhatWasGivenWithTheDescriptionWinning) {
  GeneralError bare("Invalid string.");
  EXPECT_EQ(bare.userInfo().size(), 1u);
  EXPECT_EQ(platform::userInfoString(bare.userInfo(), keys::localizedDescription), "Invalid string.");
  EXPECT_EQ(bare.localizedDescription(), "Invalid string.");

  GeneralError withBase("New.", std::nullopt, {}, std::nullopt,
                        {{keys::localizedDescription, std::string("Old.")}, {"custom", int64_t{4}}}, {});
  auto info = withBase.userInfo();
  EXPECT_EQ(platform::userInfoString(info, keys::localizedDescription), "New.");
  EXPECT_EQ(std::get<int64_t>(info.at("custom")), 4);
  for (const char* absent :
       {keys::localizedRecoveryOptions, keys::recoveryAttempter, keys::multipleUnderlyingErrors, keys::url})
    EXPECT_FALSE(info.contains(absent)) << absent;
}

TEST(GeneralError, RecoveryOptionsBecomeTitlesAndAnAttempterThatGuardsItsIndex) {
  int runs = 0;
  GeneralError error("Failed.", "Try again.",
                     {{"Retry",
                       [&] {
                         ++runs;
                         return true;
                       }},
                      {"Ignore", [&] {
                         ++runs;
                         return false;
                       }}});
  auto info = error.userInfo();
  EXPECT_EQ(std::get<std::vector<std::string>>(info.at(keys::localizedRecoveryOptions)),
            (std::vector<std::string>{"Retry", "Ignore"}));
  EXPECT_EQ(error.recoverySuggestion(), "Try again.");
  auto attempter = std::get<std::shared_ptr<kit::ErrorRecoveryAttempter>>(info.at(keys::recoveryAttempter));
  EXPECT_FALSE(attempter->attemptRecovery(error, -1));
  EXPECT_FALSE(attempter->attemptRecovery(error, 2));
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(attempter->attemptRecovery(error, 0));
  std::optional<bool> told;
  attempter->attemptRecovery(error, 1, [&](bool recovered) { told = recovered; });
  EXPECT_EQ(told, false);
  EXPECT_EQ(runs, 2);
}

TEST(GeneralError, IntentFailureTextEndsEachPartWithOnePeriod) {
  EXPECT_EQ(kit::intentFailureText(GeneralError(" No access ", "Grant access")), "No access. Grant access.");
  EXPECT_EQ(kit::intentFailureText(GeneralError("No access.", "Grant access.\n")), "No access. Grant access.");
  EXPECT_EQ(kit::intentFailureText(GeneralError("  No access\n")), "No access");
  EXPECT_EQ(kit::intentFailureText(GeneralError("No access.")), "No access.");
}

TEST(ErrorHelpers, AppErrorsLiveInTheApplicationDomain) {
  auto plain = kit::appError("Incorrect directory.");
  EXPECT_EQ(plain.domain(), "com.kestrova.Quillet");
  EXPECT_EQ(plain.code(), 1);
  EXPECT_EQ(plain.localizedDescription(), "Incorrect directory.");

  auto cause = std::make_shared<platform::PlatformError>(platform::PlatformError::posix(ENOENT));
  auto detailed =
      kit::appError("The selected item is not an app.", "Please select an app.", {}, std::nullopt, {}, "Login", cause);
  EXPECT_EQ(detailed.domain(), "com.kestrova.Quillet - Login");
  EXPECT_EQ(detailed.recoverySuggestion(), "Please select an app.");
  EXPECT_TRUE(detailed.userInfo().contains(keys::underlyingError));
  EXPECT_FALSE(detailed.userInfo().contains(keys::multipleUnderlyingErrors));
}

TEST(ErrorHelpers, PrefixingTheDescriptionKeepsDomainCodeAndOtherEntries) {
  platform::PlatformError script("JSDomain", 7,
                                 {{keys::localizedDescription, std::string("x is not defined")}, {"line", int64_t{3}}});
  auto prefixed = kit::prefixingLocalizedDescription(script, "[JavaScript Exception]");
  EXPECT_EQ(prefixed.localizedDescription(), "[JavaScript Exception] x is not defined");
  EXPECT_EQ(prefixed.domain(), "JSDomain");
  EXPECT_EQ(prefixed.code(), 7);
  EXPECT_EQ(std::get<int64_t>(prefixed.userInfo().at("line")), 3);

  // An error of our own keeps its description when bridged, so the prefix lands in front of it.
  EXPECT_EQ(kit::prefixingLocalizedDescription(GeneralError("Boom."), "[X]").localizedDescription(), "[X] Boom.");
}

// An error of the program's own that names why it failed.
struct ReasonedError : kit::Error {
  std::optional<std::string> errorDescription() const override { return "Couldn't load."; }
  std::optional<std::string> failureReason() const override { return "The file is gone."; }
  std::string typeOrCaseName() const override { return "ReasonedError"; }
};

TEST(ErrorHelpers, WrappedAndNilErrorsDescribeThemselves) {
  kit::AnyError wrapped(std::make_shared<ReasonedError>());
  auto info = wrapped.userInfo();
  EXPECT_EQ(platform::userInfoString(info, keys::localizedDescription), "Couldn't load.");
  EXPECT_EQ(platform::userInfoString(info, keys::localizedFailure), "The file is gone.");
  EXPECT_FALSE(info.contains(keys::localizedRecoverySuggestion));
  EXPECT_EQ(wrapped.domain(), "AnyError");
  EXPECT_TRUE(wrapped == kit::AnyError(std::make_shared<ReasonedError>()));
  EXPECT_FALSE(wrapped == kit::AnyError(std::make_shared<GeneralError>("Couldn't load.")));
  // The whole wrapped value counts, not only its type and description.
  auto wrap = [](auto error) { return kit::AnyError(std::make_shared<decltype(error)>(std::move(error))); };
  EXPECT_TRUE(wrap(GeneralError("x", "Retry.")) == wrap(GeneralError("x", "Retry.")));
  EXPECT_FALSE(wrap(GeneralError("x", "Retry.")) == wrap(GeneralError("x", "Wait.")));
  EXPECT_FALSE(wrap(GeneralError("x", {}, {}, {}, {{"k", int64_t{1}}})) ==
               wrap(GeneralError("x", {}, {}, {}, {{"k", int64_t{2}}})));
  using Decoding = kit::DecodingError;
  EXPECT_FALSE(wrap(Decoding(Decoding::Kind::keyNotFound, {"a"}, "No value.")) ==
               wrap(Decoding(Decoding::Kind::keyNotFound, {"b"}, "No value.")));

  kit::UnexpectedNilError bare(std::nullopt, "Foo.cpp", 12), said("No window.", "Foo.cpp", 12);
  EXPECT_EQ(bare.localizedDescription(), "Unexpected nil encountered at Foo.cpp:12");
  EXPECT_EQ(bare.failureReason(), "Unexpected nil encountered at Foo.cpp:12");
  EXPECT_EQ(said.localizedDescription(), "No window.");
  EXPECT_EQ(said.failureReason(), "Unexpected nil encountered at Foo.cpp:12");

  EXPECT_FALSE(kit::isGenuineNSError(bare));
  EXPECT_FALSE(kit::isGenuineNSError(GeneralError("x")));
  EXPECT_TRUE(kit::isGenuineNSError(platform::PlatformError::posix(ENOENT)));
}

TEST(ErrorHelpers, HashIgnoresCurlyQuotedSpansOnly) {
  EXPECT_EQ(kit::hashIgnoringQuotedParts("Couldn\u2019t open \u201ca.txt\u201d."),
            kit::hashIgnoringQuotedParts("Couldn\u2019t open \u201cb.txt\u201d."));
  EXPECT_EQ(kit::hashIgnoringQuotedParts("open \u201ca.txt\u201d"), static_cast<int64_t>(kit::fnv1aHash("open ")));
  EXPECT_NE(kit::hashIgnoringQuotedParts("open \"a.txt\""), kit::hashIgnoringQuotedParts("open \"b.txt\""));
  // A quoted span never crosses a line break.
  EXPECT_NE(kit::hashIgnoringQuotedParts("\u201ca\n\u201d"), kit::hashIgnoringQuotedParts("\u201cb\n\u201d"));
}

}  // namespace
