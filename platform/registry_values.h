#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/registry.h"

namespace nv {

// Typed access to the values the program keeps in the registry. A value of another type than
// the one asked for, and a refused write, are errors that end the operation in hand.

// A string value: REG_SZ or REG_EXPAND_SZ.
bool IsStringValue(const RegValue& value);

// nv::Error "Invalid data type for 'NAME'".
Error InvalidDataType(const std::string& name);
// nv::Error "Failed to set data for 'NAME'".
Error FailedToSetData(const std::string& name);

// The text of the value; nullopt when it does not exist. Throws InvalidDataType when it is no
// string value.
std::optional<std::string> ReadStringValue(RegistryKey& key, const std::string& name);
// The number of the value; nullopt when it does not exist. Throws InvalidDataType when it is
// no REG_DWORD.
std::optional<uint32_t> ReadDwordValue(RegistryKey& key, const std::string& name);
// Throws FailedToSetData when the write is refused.
void WriteValue(RegistryKey& key, const std::string& name, const RegValue& value);

}  // namespace nv
