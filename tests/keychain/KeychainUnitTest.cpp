// The Status table, the keychain error's alert, and the keychain job's handling of the failures
// no real Secret Service gives, on a fake keychain.
#include "Source/Job/KeychainJob.hpp"
#include "Source/Job/KeychainSecurityError.hpp"
#include "Source/ProductIdentifiers.hpp"
#include "tests/keychain/FakeKeychainStore.hpp"
#include "tests/keychain/KeychainTestSupport.hpp"

#include <gtest/gtest.h>

using tavrel::Alert;
using tavrel::AlertStyle;
using tavrel::jobs::KeychainJob;
using tavrel::jobs::KeychainSecurityError;
using tavrel::jobs::ServiceRemoval;
using tavrel::keychain::Status;
using tavrel::testing::FakeKeychainStore;
using tavrel::testing::StandardOutputCapture;
using tavrel::testing::takeLogLines;
using Lines = std::vector<std::string>;

TEST(StatusTest, HoldsEveryCaseInOrderEachWithACodeOfItsOwn) {
    EXPECT_EQ(Status::kCount, 403U);
    struct Row {
        std::size_t index;
        const char* name;
        std::int32_t code;
    };
    // The first and last case and the ends of runs of consecutive codes.
    for (const Row& row : std::vector<Row>{{0, "success", 0},
                                           {10, "internalComponent", -2070},
                                           {40, "inDarkWake", -25320},
                                           {56, "invalidCertificate", -26265},
                                           {63, "unsupportedOperation", -26271},
                                           {87, "otrIDTooNew", -25329},
                                           {88, "serviceNotAvailable", -67585},
                                           {401, "timestampRevocationNotification", -67898},
                                           {402, "unexpectedError", -99999}}) {
        const Status status(static_cast<Status::Case>(row.index));
        EXPECT_EQ(status.name(), row.name) << row.index;
        EXPECT_EQ(status.rawValue(), row.code) << row.name;
    }
    // Every code leads back to its own case, so no two cases share one.
    for (std::size_t index = 0; index < Status::kCount; ++index) {
        const Status status(static_cast<Status::Case>(index));
        EXPECT_EQ(Status::fromRawValue(status.rawValue()), status) << status.name();
        EXPECT_EQ(status.description().empty(), status == Status::internalComponent)
            << status.name();
    }
    EXPECT_EQ(Status::fromRawValue(1), std::nullopt);
    EXPECT_EQ(Status::fromCode(1), Status::unexpectedError);
}

TEST(StatusTest, TheRowsTheFlowMeetsHaveTheirCodesAndMessages) {
    const std::vector<std::tuple<std::int32_t, const char*, const char*>> rows{
        {0, "success", "No error."},
        {-4, "unimplemented", "Function or operation not implemented."},
        {-36, "io", "I/O error (bummers)"},
        {-49, "opWr", "file already open with with write permission"},
        {-50, "param", "One or more parameters passed to a function were not valid."},
        {-108, "allocate", "Failed to allocate memory."},
        {-128, "userCanceled", "User canceled the operation."},
        {-2070, "internalComponent", ""},
        {-25291, "notAvailable",
         "No keychain is available. You may need to restart your computer."},
        {-25292, "readOnly", "This keychain cannot be modified."},
        {-25293, "authFailed", "The user name or passphrase you entered is not correct."},
        {-25299, "duplicateItem", "The specified item already exists in the keychain."},
        {-25300, "itemNotFound", "The specified item could not be found in the keychain."},
        {-25304, "invalidItemRef",
         "The specified item is no longer valid. It may have been deleted from the keychain."},
        {-25306, "noSuchClass", "The specified item does not appear to be a valid keychain item."},
        {-25308, "interactionNotAllowed", "User interaction is not allowed."},
        {-25315, "interactionRequired",
         "User interaction is required, but is currently not allowed."},
        {-34018, "missingEntitlement",
         "Internal error when a required entitlement isn't present, client has neither "
         "application-identifier nor keychain-access-groups entitlements."},
        {-99999, "unexpectedError", "Unexpected error has occurred."},
    };
    for (const auto& [code, name, message] : rows) {
        const auto status = Status::fromRawValue(code);
        ASSERT_TRUE(status) << name;
        EXPECT_EQ(status->name(), name);
        EXPECT_EQ(status->description(), message) << name;
    }
}

TEST(KeychainSecurityErrorTest, ItsAlertShowsOnlyTheStatusMessage) {
    for (const auto& [status, message] : std::vector<std::pair<Status, const char*>>{
             {Status::interactionNotAllowed, "User interaction is not allowed."},
             {Status::internalComponent, ""}}) {
        const KeychainSecurityError error("Tavrel", status);
        EXPECT_EQ(error.alert(),
                  (Alert{message, std::nullopt, {"OK"}, AlertStyle::warning, std::nullopt}))
            << status.name();
        EXPECT_EQ(error.description(), "KeychainSecurityError(service: \"Tavrel\", status: " +
                                           std::string(status.name()) + ")");
    }
}

TEST(KeychainJobTest, FailuresOnlyAFakeGivesAreWrittenAndThrownByTheirCase) {
    const std::string unexpected = "OSStatus error:[-99999] Unexpected error has occurred.";
    std::string fiveUnexpected;
    for (int line = 0; line < 5; ++line) {
        fiveUnexpected += unexpected + "\n";
    }
    struct Case {
        const char* name;
        std::int32_t FakeKeychainStore::*failing; // the call that answers `code`
        std::int32_t code;
        Lines log;                    // after the first service's line
        std::string out;              // standard output
        std::optional<Status> thrown; // the error's status, when the job throws
        std::vector<int> removed;     // each finished service's count, -1 for a failed listing
        Lines calls;                  // when the job throws: every call it made
    };
    const std::vector<Case> cases{
        {"a deletion refused",
         &FakeKeychainStore::deletionCode,
         -25293,
         {"E forceRemove(_:) SecKeychainItemDelete. OSStatus error:[-25293] The user name or "
          "passphrase you entered is not correct.",
          "E removeAll() [KeychainUtility] failed to delete keychain items of Tavrel. The user "
          "name or passphrase you entered is not correct."},
         "",
         Status::authFailed,
         {},
         {"list Tavrel", "find Tavrel/a", "delete Tavrel/a"}},
        {"a lookup with a code the table lacks",
         &FakeKeychainStore::lookupCode,
         -1,
         {"E forceRemove(_:) SecItemCopyMatching. " + unexpected,
          "E removeAll() [KeychainUtility] failed to delete keychain items of Tavrel. Unexpected "
          "error has occurred."},
         "",
         Status::unexpectedError,
         {},
         {"list Tavrel", "find Tavrel/a"}},
        {"an item gone before its deletion",
         &FakeKeychainStore::deletionCode,
         -25300,
         {"I forceRemove(_:) removed items: Tavrel", "I forceRemove(_:) removed items: Tavrel"},
         "",
         std::nullopt,
         {2, 0, 0, 0, 0, 0},
         {}},
        {"listings with a code the table lacks",
         &FakeKeychainStore::listingCode,
         -1,
         {},
         fiveUnexpected,
         std::nullopt,
         {-1, -1, -1, 0, -1, -1},
         {}},
        {"listings the user cancelled",
         &FakeKeychainStore::listingCode,
         -128,
         {},
         "",
         std::nullopt,
         {-1, -1, -1, 0, -1, -1},
         {}},
    };
    const Lines laterServices{
        "I removeAllItems(service:keySuffix:) service: KVTOAuthCredentialService",
        "I removeAllItems(service:keySuffix:) service: AFOAuthCredentialService",
        "I removeItem(service:key:) service: Tavrel Device Restriction",
        "I forceRemove(_:) item not found",
        "I removeAllItems(service:) service: com.quillorchid.tavrel.macos",
        "I removeAllItems(service:) service: Tavrel Credential"};
    for (const Case& test : cases) {
        FakeKeychainStore store;
        store.keys["Tavrel"] = {"a", "b"};
        store.*test.failing = test.code;
        StandardOutputCapture out;
        takeLogLines();
        std::vector<int> removed;
        std::optional<Status> thrown;
        try {
            KeychainJob::removeAll(
                tavrel::product::kKeychainTargets,
                [&](const ServiceRemoval& removal) {
                    removed.push_back(removal.listingFailure ? -1 : removal.removed);
                },
                store);
        } catch (const KeychainSecurityError& error) {
            EXPECT_EQ(error.service(), "Tavrel") << test.name;
            thrown = error.status();
        }
        Lines log{"I removeAll() ----- Delete Keychain Item -----",
                  "I removeAllItems(service:) service: Tavrel"};
        log.insert(log.end(), test.log.begin(), test.log.end());
        if (!test.thrown) {
            log.insert(log.end(), laterServices.begin(), laterServices.end());
        }
        EXPECT_EQ(takeLogLines(), log) << test.name;
        EXPECT_EQ(out.take(), test.out) << test.name;
        EXPECT_EQ(thrown, test.thrown) << test.name;
        EXPECT_EQ(removed, test.removed) << test.name;
        if (test.thrown) {
            EXPECT_EQ(store.calls, test.calls) << test.name;
        }
    }
}
