#include "platform/registry_values.h"

#include "platform/log.h"

namespace nv {

bool IsStringValue(const RegValue& value) { return value.type == reg::Sz || value.type == reg::ExpandSz; }

Error InvalidDataType(const std::string& name) { return Error(FormatText("Invalid data type for '%s'", name)); }

Error FailedToSetData(const std::string& name) { return Error(FormatText("Failed to set data for '%s'", name)); }

std::optional<std::string> ReadStringValue(RegistryKey& key, const std::string& name) {
  const auto value = key.Read(name);
  if (!value) return std::nullopt;
  if (!IsStringValue(*value)) throw InvalidDataType(name);
  return value->AsString();
}

std::optional<uint32_t> ReadDwordValue(RegistryKey& key, const std::string& name) {
  const auto value = key.Read(name);
  if (!value) return std::nullopt;
  if (value->type != reg::Dword) throw InvalidDataType(name);
  return value->AsDword();
}

void WriteValue(RegistryKey& key, const std::string& name, const RegValue& value) {
  if (const auto written = key.Write(name, value); !written) {
    LogFailure(LogLevel::Error, "Cannot write '" + name + "'", written.error());
    throw FailedToSetData(name);
  }
}

}  // namespace nv
