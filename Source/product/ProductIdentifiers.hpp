// The identifiers of the product the uninstaller removes: bundle and group identifiers, bundle
// names, login item names, helper process names and keychain services. Every other file takes
// them from here.
#pragma once

#include "Source/product/KeychainTarget.hpp"

#include <array>

namespace tavrel::product {

/// Bundle identifiers.
inline constexpr const char* kMainAppID = "com.quillorchid.TavrelOSX";
inline constexpr const char* kAuthenticatorID = "com.quillorchid.TavrelAuthenticator";
inline constexpr const char* kMacOSID = "com.quillorchid.tavrel.macos";
inline constexpr const char* kFinderSyncID = "com.quillorchid.TavrelOSX.FinderSync";
inline constexpr const char* kLauncherID = "com.quillorchid.TavrelOSXLauncher";

/// Application group identifiers.
inline constexpr const char* kMainGroupID = "group.com.quillorchid.TavrelOSX";
inline constexpr const char* kMacOSGroupID = "group.com.quillorchid.tavrel.macos";

/// The folder the application bundles are installed in, and their two names there.
inline constexpr const char* kApplicationsFolder = "/Applications";
inline constexpr const char* kUpperCaseBundleName = "TAVREL.app";
inline constexpr const char* kMixedCaseBundleName = "Tavrel.app";
/// The name looked for in the Trash (only this one).
inline constexpr const char* kTrashName = "TAVREL.app";

/// The applications that must not be running while the product is removed, in check order.
inline constexpr std::array<const char*, 2> kRunningCheckIDs = {kMainAppID, kAuthenticatorID};
/// Whose preference files are removed, in run order.
inline constexpr std::array<const char*, 3> kPreferencesIDs = {kMainAppID, kAuthenticatorID,
                                                               kMacOSID};
/// Whose sandbox containers are removed, in run order.
inline constexpr std::array<const char*, 3> kContainerIDs = {kFinderSyncID, kLauncherID, kMacOSID};
/// Whose group containers are removed, in run order.
inline constexpr std::array<const char*, 2> kGroupContainerIDs = {kMainGroupID, kMacOSGroupID};

/// The user defaults domains the reset clears: the three applications' and the two groups'.
inline constexpr std::array<const char*, 5> kUserDefaultsDomains = {
    kMainAppID, kAuthenticatorID, kMacOSID, kMainGroupID, kMacOSGroupID};

/// Login item names, in run order.
inline constexpr std::array<const char*, 2> kLoginItemNames = {"TAVREL", "Tavrel"};
/// Helper process names, in run order.
inline constexpr std::array<const char*, 3> kHelperProcessNames = {"brolt", "TavrelFinderSync",
                                                                   "TavrelFileProvider"};

/// The product's internet domain, in lower case: its OAuth keychain keys end with it.
inline constexpr const char* kProductDomain = "tavrel.com";
/// The keychain services whose items are removed, in run order, each with its rule.
inline constexpr std::array<KeychainTarget, 6> kKeychainTargets{{
    {"Tavrel", KeychainTarget::Rule::allItems, {}},
    {"KVTOAuthCredentialService", KeychainTarget::Rule::keySuffix, kProductDomain},
    {"AFOAuthCredentialService", KeychainTarget::Rule::keySuffix, kProductDomain},
    {"Tavrel Device Restriction", KeychainTarget::Rule::oneKey, "DeviceSecret"},
    {kMacOSID, KeychainTarget::Rule::allItems, {}},
    {"Tavrel Credential", KeychainTarget::Rule::allItems, {}},
}};

} // namespace tavrel::product
