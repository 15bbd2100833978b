// The keychain layer, the keychain job and the command's keychain step against a real
// gnome-keyring, each test on a private session bus of its own (see with-private-keyring.sh); the
// Status table, and the codes no real Secret Service gives, on a fake keychain.
#include "keychain/Keychain.hpp"

#include "Source/jobs/KeychainJob.hpp"
#include "Source/jobs/KeychainSecurityError.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "platform/KeychainStore.hpp"
#include "tests/keychain/FakeKeychainStore.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

using tavrel::jobs::KeychainJob;
using tavrel::jobs::KeychainSecurityError;
using tavrel::jobs::ServiceRemoval;
using tavrel::keychain::Keychain;
using tavrel::keychain::Status;
using namespace tavrel::testing;
using Lines = std::vector<std::string>;

namespace {

const char* const kLocked = "OSStatus error:[-25308] User interaction is not allowed.";
constexpr const char* kUnexpected = "OSStatus error:[-99999] Unexpected error has occurred.";

/// Every log line since the last call, as "<I|E> <function> <message>".
std::vector<std::string> takeLogLines() {
    std::vector<std::string> lines;
    for (const tavrel::logging::LogMessage& line : RecordingLogger::shared().take()) {
        const char* level = line.flag() == tavrel::logging::LogFlag::error ? "E " : "I ";
        lines.push_back(level + std::string(line.function().value_or("")) + " " +
                        std::string(line.message()));
    }
    return lines;
}

/// What `work` writes to std::cout, which it must not throw past.
template <class Work>
std::string standardOutputOf(const Work& work) {
    std::ostringstream text;
    std::streambuf* const saved = std::cout.rdbuf(text.rdbuf());
    work();
    std::cout.rdbuf(saved);
    return text.str();
}

class KeychainTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only ever the private bus: never the user's own keyring.
        const char* privateBus = std::getenv("TAVREL_PRIVATE_KEYRING_BUS"); // NOLINT
        const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");          // NOLINT
        ASSERT_TRUE(privateBus != nullptr && bus != nullptr && std::string(bus) == privateBus)
            << "run this test through tests/keychain/with-private-keyring.sh";
        bus_ = std::string("DBUS_SESSION_BUS_ADDRESS=") + bus;
        takeLogLines();
    }

    ProcessRun onBus(const Lines& command) const {
        return runProcess(command, {"PATH=/usr/bin:/bin", bus_});
    }

    // Stores a password the way another tool would: with secret-tool, under its own schema.
    void store(const std::string& service, const std::string& account,
               const std::string& schema = "org.freedesktop.Secret.Generic") const {
        // Without an account, another attribute keeps it from replacing an item it matches.
        const Lines attributes = account.empty() ? Lines{"service", service, "note", "keyless"}
                                                 : Lines{"service", service, "account", account};
        Lines command{"secret-tool", "store", "--label=test", "xdg:schema", schema};
        command.insert(command.end(), attributes.begin(), attributes.end());
        ASSERT_EQ(onBus(command).status, 0) << service << " " << account;
    }

    // The accounts of the service's items, sorted, "-" for one stored without; read from
    // secret-tool's standard error, where it shows the attributes of locked items too.
    [[nodiscard]] Lines stored(const std::string& service) const {
        Lines accounts;
        for (const std::string& line :
             splitLines(onBus({"secret-tool", "search", "--all", "service", service}).err)) {
            if (line.starts_with("attribute.account = ")) {
                accounts.push_back(line.substr(20));
            } else if (line.starts_with("attribute.note = keyless")) {
                accounts.emplace_back("-");
            }
        }
        std::sort(accounts.begin(), accounts.end());
        return accounts;
    }

    void lock() const {
        ASSERT_EQ(onBus({"gdbus", "call", "--session", "--dest", "org.freedesktop.secrets",
                         "--object-path", "/org/freedesktop/secrets", "--method",
                         "org.freedesktop.Secret.Service.Lock",
                         "['/org/freedesktop/secrets/collection/login']"})
                      .status,
                  0);
    }

    // Removes the product's items; each finished service's count, -1 for a failed listing.
    static std::vector<int> removeAll() {
        std::vector<int> removed;
        KeychainJob::removeAll(tavrel::product::kKeychainTargets, [&](const ServiceRemoval& done) {
            removed.push_back(done.listingFailure ? -1 : done.removed);
        });
        return removed;
    }

    [[nodiscard]] ProcessRun uninstall() const {
        const TemporaryFolder home;
        const TemporaryFolder applications;
        return Sandbox()
            .applications(applications.string())
            .run({TAVREL_UNINSTALL, "--yes", "--verbose"}, homeEnvironment(home.string(), {bus_}));
    }

    std::string bus_;
};

// A line of the command's summary for step 1.
std::string row(const std::string& label, const std::string& items) {
    return "Step  1  " + label + std::string(14 - label.size(), ' ') + items;
}

} // namespace

TEST_F(KeychainTest, TheJobLooksAtEveryServiceAndTheCommandRemovesExactlyTheProductsItems) {
    EXPECT_EQ(standardOutputOf([] { EXPECT_EQ(removeAll(), std::vector<int>(6, 0)); }), "");
    EXPECT_EQ(takeLogLines(),
              (Lines{"I removeAll() ----- Delete Keychain Item -----",
                     "I removeAllItems(service:) service: Tavrel",
                     "I removeAllItems(service:keySuffix:) service: KVTOAuthCredentialService",
                     "I removeAllItems(service:keySuffix:) service: AFOAuthCredentialService",
                     "I removeItem(service:key:) service: Tavrel Device Restriction",
                     "I forceRemove(_:) item not found",
                     "I removeAllItems(service:) service: com.quillorchid.tavrel.macos",
                     "I removeAllItems(service:) service: Tavrel Credential"}));

    store("Tavrel", "alpha");
    store("Tavrel", "alpha", "com.example.Other"); // same key, another tool's schema
    store("Tavrel", "");                           // no key: never listed, so it stays
    store("KVTOAuthCredentialService", "user@tavrel.com");
    store("KVTOAuthCredentialService", "user@TAVREL.COM");
    store("KVTOAuthCredentialService", "tavrel.com.example.org");
    store("AFOAuthCredentialService", "token.tavrel.com");
    store("Tavrel Device Restriction", "DeviceSecret");
    store("Tavrel Device Restriction", "Other");
    store("Tavrel Credential", "k");
    store("Tavrel Credentials", "k");
    store("tavrel", "k");
    store("Elsewhere", "DeviceSecret");
    EXPECT_EQ(Keychain("Tavrel").itemKeys(), (Lines{"alpha", "alpha"}));

    TAVREL_SKIP_WITHOUT_SANDBOX();
    const ProcessRun run = uninstall();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    Lines out = splitLines(run.out);
    EXPECT_EQ(out.back(), "Tavrel has been removed from this account.");
    out.resize(6);
    EXPECT_EQ(out, (Lines{row("removed", "2 keychain items of \"Tavrel\""),
                          row("removed", "1 keychain item of \"KVTOAuthCredentialService\""),
                          row("removed", "1 keychain item of \"AFOAuthCredentialService\""),
                          row("removed", "1 keychain item of \"Tavrel Device Restriction\""),
                          row("not found", "keychain items of \"com.quillorchid.tavrel.macos\""),
                          row("removed", "1 keychain item of \"Tavrel Credential\"")}))
        << run.out;
    EXPECT_EQ(run.out.find("alpha"), std::string::npos) << run.out; // never a key
    for (const auto& [service, accounts] : std::vector<std::pair<std::string, Lines>>{
             {"Tavrel", {"-"}},
             {"KVTOAuthCredentialService", {"tavrel.com.example.org", "user@TAVREL.COM"}},
             {"AFOAuthCredentialService", {}},
             {"Tavrel Device Restriction", {"Other"}},
             {"Tavrel Credential", {}},
             {"Tavrel Credentials", {"k"}},
             {"tavrel", {"k"}},
             {"Elsewhere", {"DeviceSecret"}}}) {
        EXPECT_EQ(stored(service), accounts) << service;
    }
}

TEST_F(KeychainTest, ALockedKeyringFailsTheListingQuietlyTheLookupLoudlyAndTheStep) {
    store("Tavrel", "alpha");
    store("Tavrel Device Restriction", "DeviceSecret");
    store("Tavrel Credential", "k");
    lock();
    const std::string statusLine = std::string(kLocked) + "\n";
    EXPECT_EQ(standardOutputOf([] { EXPECT_TRUE(Keychain("Tavrel").itemKeys().empty()); }),
              statusLine);
    takeLogLines();

    EXPECT_EQ(standardOutputOf([] {
                  try {
                      removeAll();
                      ADD_FAILURE() << "no error thrown";
                  } catch (const KeychainSecurityError& error) {
                      EXPECT_EQ(error.service(), "Tavrel Device Restriction");
                      EXPECT_EQ(error.status(), Status::interactionNotAllowed);
                  }
              }),
              statusLine);
    const Lines log = takeLogLines();
    EXPECT_EQ(Lines(log.end() - 2, log.end()),
              (Lines{std::string("E forceRemove(_:) SecItemCopyMatching. ") + kLocked,
                     "E removeAll() [KeychainUtility] failed to delete keychain items of Tavrel "
                     "Device Restriction. User interaction is not allowed."}));
    EXPECT_EQ(stored("Tavrel Credential"), Lines{"k"});

    TAVREL_SKIP_WITHOUT_SANDBOX();
    const ProcessRun run = uninstall();
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    const std::string locked = "         The keychain is locked: unlock it and run again.";
    Lines out = splitLines(run.out);
    out.resize(11);
    EXPECT_EQ(out,
              (Lines{kLocked, row("FAILED", "keychain items of \"Tavrel\""), locked,
                     row("not found", "keychain items of \"KVTOAuthCredentialService\""),
                     row("not found", "keychain items of \"AFOAuthCredentialService\""),
                     row("FAILED", "keychain items of \"Tavrel Device Restriction\""), locked,
                     row("FAILED", "keychain items of \"com.quillorchid.tavrel.macos\""), locked,
                     row("FAILED", "keychain items of \"Tavrel Credential\""), locked}))
        << run.out;
    EXPECT_EQ(stored("Tavrel"), Lines{"alpha"});
}

// Without an address in the environment the Secret Service is reached through the bus of the
// runtime folder only: nothing is made in the home folder (GLib made ~/.cache when
// XDG_RUNTIME_DIR was unset) and no bus is started.
TEST(KeychainStoreTest, IsReachedThroughTheRuntimeFoldersBusOnlyAndLeavesTheHomeFolderAsItWas) {
    const std::string address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); // NOLINT
    ASSERT_TRUE(address.starts_with("unix:path=")) << address;
    const std::string socket = address.substr(10, address.find(',') - 10);
    const TemporaryFolder home;
    const TemporaryFolder runtime;
    writeFile(home.path() / ".config/autostart/x.desktop", "[Desktop Entry]\n");
    const auto contents = [&] {
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& item : std::filesystem::recursive_directory_iterator(home.path())) {
            found.emplace_back(item.path(), readFile(item.path()));
        }
        return found;
    };
    const auto before = contents();
    setenv("HOME", home.string().c_str(), 1); // before GLib reads it, once
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    for (const char* variable : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
        unsetenv(variable);
    }
    auto& store = tavrel::platform::KeychainStore::system();
    EXPECT_EQ(store.accounts("Tavrel").error().code,
              tavrel::platform::keychain_code::kNotAvailable);
    std::filesystem::create_symlink(socket, runtime.path() / "bus");
    setenv("XDG_RUNTIME_DIR", runtime.string().c_str(), 1);
    EXPECT_EQ(store.accounts("Tavrel").error().code,
              tavrel::platform::keychain_code::kItemNotFound);
    EXPECT_EQ(contents(), before);
}

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
