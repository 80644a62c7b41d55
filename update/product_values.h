#pragma once
#include <string>

#include "platform/product.h"
#include "platform/registry.h"

namespace nv {

// The product key under HKEY_CURRENT_USER, named after the product; installers and the updater
// record "Version" there.
inline const std::string kProductKey = std::string("Software\\") + kProductTitle;

// The maker's web host: the build's constant, unless NORVANE_UPDATE_HOST names another.
std::string UpdateHost();
std::string SupportAddress();

std::string HelpPageAddress();
std::string HomePageAddress();
std::string UpdateFileAddress();

// Writes the missing defaults of the product key and answers the CheckUpdate switch (false
// when the key cannot be opened). A value of the wrong type or a refused write throws nv::Error.
bool LoadProductValues(Registry& registry);

// The "Version" string of the product key, empty when absent; throws nv::Error when it is
// not a string.
std::string InstalledVersion(Registry& registry);

// Records `buildVersion` as "Version" when the key holds another (or none, or a value of another
// type): no installer records it on Linux, and the version that runs is the one installed.
// A refused write throws nv::Error.
void RecordInstalledVersion(Registry& registry, const std::string& buildVersion);

// The "HomePage" string of the product key, its default when absent; throws nv::Error when it
// is not a string.
std::string HomePage(Registry& registry);

}  // namespace nv
