// The Status table, the keychain error's alert, and what the keychain layer and job do with the
// codes no real Secret Service gives, on a fake keychain.
#include "Source/jobs/KeychainJob.hpp"
#include "Source/jobs/KeychainSecurityError.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "tests/keychain/FakeKeychainStore.hpp"
#include "tests/keychain/KeychainTestSupport.hpp"

#include <gtest/gtest.h>

using tavrel::jobs::KeychainJob;
using tavrel::jobs::KeychainSecurityError;
using tavrel::keychain::Keychain;
using tavrel::keychain::Status;
using namespace tavrel::testing;
using Lines = std::vector<std::string>;

namespace {
constexpr const char* kUnexpected = "OSStatus error:[-99999] Unexpected error has occurred.";
} // namespace

TEST(StatusTest, EveryCaseHasItsOwnCodeAndAlertAndAnUnknownCodeIsTheUnexpectedError) {
    // The table's ends and the ends of runs of consecutive codes, where a lookup goes wrong.
    for (const auto& [code, name] :
         std::vector<std::pair<int, const char*>>{{0, "success"},
                                                  {-2070, "internalComponent"},
                                                  {-25320, "inDarkWake"},
                                                  {-26265, "invalidCertificate"},
                                                  {-26271, "unsupportedOperation"},
                                                  {-25329, "otrIDTooNew"},
                                                  {-67585, "serviceNotAvailable"},
                                                  {-67898, "timestampRevocationNotification"},
                                                  {-99999, "unexpectedError"}}) {
        EXPECT_EQ(Status::fromCode(code).name(), name) << code;
    }
    for (std::size_t index = 0; index < Status::kCount; ++index) {
        const Status status(static_cast<Status::Case>(index));
        EXPECT_EQ(Status::fromRawValue(status.rawValue()), status) << status.name();
        EXPECT_EQ(status.description().empty(), status == Status::internalComponent)
            << status.name();
        // The error's alert shows the status message alone, not its code.
        const KeychainSecurityError error("Tavrel", status);
        const std::string message(status.description());
        EXPECT_EQ(error.alert(),
                  (tavrel::Alert{
                      message, std::nullopt, {"OK"}, tavrel::AlertStyle::warning, std::nullopt}))
            << status.name();
        EXPECT_EQ(error.description(), "KeychainSecurityError(service: \"Tavrel\", status: " +
                                           std::string(status.name()) + ")");
    }
    EXPECT_EQ(Status::fromRawValue(1), std::nullopt);
    EXPECT_EQ(Status::fromCode(1), Status::unexpectedError);
}

TEST(KeychainListingTest, AFailedListingIsEmptyAndWritesItsStatusUnlessTheUserCancelled) {
    for (const auto& [code, line] : std::vector<std::pair<int, std::string>>{
             {-1, std::string(kUnexpected) + "\n"}, {-128, ""}, {-25300, ""}}) {
        FakeKeychainStore store;
        store.keys["S"] = {"a"};
        store.listingCode = code;
        std::optional<Keychain::Listing> listing;
        EXPECT_EQ(standardOutputOf([&] { listing = Keychain("S", store).listing(); }), line)
            << code;
        // A service without items is an empty listing, no failure.
        EXPECT_EQ(listing->ok(), code == -25300) << code;
        EXPECT_TRUE(!listing->ok() || listing->value().empty()) << code;
    }
}

TEST(KeychainJobTest, AFailedLookupOrDeletionIsLoggedTwiceAndThrownAndEndsTheJob) {
    struct Case {
        std::int32_t FakeKeychainStore::*failing; // the call that answers `code`
        std::int32_t code;
        Lines log;                    // after the first service's line: all, when it throws
        std::optional<Status> thrown; // the error's status, when the job throws
    };
    const std::string refused = "The user name or passphrase you entered is not correct.";
    const std::vector<Case> cases{
        {&FakeKeychainStore::deletionCode,
         -25293,
         {"E forceRemove(_:) SecKeychainItemDelete. OSStatus error:[-25293] " + refused,
          "E removeAll() [KeychainUtility] failed to delete keychain items of Tavrel. " + refused},
         Status::authFailed},
        {&FakeKeychainStore::lookupCode,
         -1,
         {std::string("E forceRemove(_:) SecItemCopyMatching. ") + kUnexpected,
          "E removeAll() [KeychainUtility] failed to delete keychain items of Tavrel. Unexpected "
          "error has occurred."},
         Status::unexpectedError},
        // Gone between the lookup and the deletion: as good as deleted, and the job goes on.
        {&FakeKeychainStore::deletionCode,
         -25300,
         {"I forceRemove(_:) removed items: Tavrel", "I forceRemove(_:) removed items: Tavrel",
          "I removeAllItems(service:keySuffix:) service: KVTOAuthCredentialService"},
         std::nullopt},
    };
    for (const Case& test : cases) {
        FakeKeychainStore store;
        store.keys["Tavrel"] = {"a", "b"};
        store.*test.failing = test.code;
        takeLogLines();
        std::optional<Status> thrown;
        try {
            KeychainJob::removeAll(tavrel::product::kKeychainTargets, {}, store);
        } catch (const KeychainSecurityError& error) {
            EXPECT_EQ(error.service(), "Tavrel") << test.code;
            thrown = error.status();
        }
        Lines log{"I removeAll() ----- Delete Keychain Item -----",
                  "I removeAllItems(service:) service: Tavrel"};
        log.insert(log.end(), test.log.begin(), test.log.end());
        Lines written = takeLogLines();
        if (!test.thrown) { // the later services' lines are not compared
            written.resize(log.size());
        }
        EXPECT_EQ(written, log) << test.code;
        EXPECT_EQ(thrown, test.thrown) << test.code;
    }
}
