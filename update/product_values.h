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

// Records `buildVersion` as "Version" when the key holds another (or none, or a value of another
// type: no installer records it on Linux, and the version that runs is the one installed), writes
// the missing defaults, all in one write of the hive, and answers the CheckUpdate switch (false
// when the key can be neither read nor made). A value of the wrong type throws nv::Error before
// anything is written; a refused write throws nv::Error naming the first value it held.
bool LoadProductValues(Registry& registry, const std::string& buildVersion);

// The "Version" string of the product key, empty when absent; throws nv::Error when it is
// not a string.
std::string InstalledVersion(Registry& registry);

// The "HomePage" string of the product key, its default when absent; throws nv::Error when it
// is not a string.
std::string HomePage(Registry& registry);

}  // namespace nv
