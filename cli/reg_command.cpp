#include "cli/reg_command.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "platform/error.h"
#include "platform/linux/registry/hive_environment.h"

namespace nv::cli {

namespace {

constexpr int kFailedExit = 1;

struct KeyName {
  RootKey root;
  std::string rootName;
  std::string path;
};

struct TypeName {
  uint32_t type;
  std::string_view name;
};
constexpr TypeName kTypeNames[] = {
    {reg::None, "REG_NONE"},
    {reg::Sz, "REG_SZ"},
    {reg::ExpandSz, "REG_EXPAND_SZ"},
    {reg::Binary, "REG_BINARY"},
    {reg::Dword, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {reg::MultiSz, "REG_MULTI_SZ"},
    {8, "REG_RESOURCE_LIST"},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR"},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST"},
    {11, "REG_QWORD"},
};
// The types `add` writes.
constexpr uint32_t kWritableTypes[] = {reg::Sz, reg::ExpandSz, reg::Binary, reg::Dword, reg::MultiSz};
constexpr std::string_view kMultiSeparator = "\\0";

// Bad input: its message goes to the user and the command exits with kUsageExit.
struct BadInput {
  std::string message;
};

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

KeyName ParseKey(const std::string& text) {
  const auto slash = text.find('\\');
  const std::string root = Upper(text.substr(0, slash));
  std::string path = slash == std::string::npos ? "" : text.substr(slash + 1);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  const bool emptyName = path.find("\\\\") != std::string::npos || (!path.empty() && path.front() == '\\');
  if (!emptyName) {
    if (root == "HKEY_LOCAL_MACHINE" || root == "HKLM") return {RootKey::HKeyLocalMachine, "HKEY_LOCAL_MACHINE", path};
    if (root == "HKEY_CURRENT_USER" || root == "HKCU") return {RootKey::HKeyCurrentUser, "HKEY_CURRENT_USER", path};
  }
  throw BadInput{"Invalid key name \"" + text + "\": it starts with HKEY_LOCAL_MACHINE, HKLM, HKEY_CURRENT_USER or HKCU and has no empty names."};
}

std::string TypeText(uint32_t type) {
  for (const auto& t : kTypeNames)
    if (t.type == type) return std::string(t.name);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%x", type);
  return buffer;
}

uint32_t ParseType(const std::string& text) {
  for (uint32_t type : kWritableTypes)
    if (Upper(text) == TypeText(type)) return type;
  throw BadInput{"Invalid type \"" + text + "\": use REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD or REG_MULTI_SZ."};
}

uint32_t ParseDword(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hex ? 2 : 0);
  const char* last = text.data() + text.size();
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(first, last, number, hex ? 16 : 10);
  if (text.empty() || first == last || end != last || error != std::errc())
    throw BadInput{"Invalid REG_DWORD data \"" + text + "\": give a number from 0 to 4294967295, decimal or 0x-hexadecimal."};
  return number;
}

std::vector<uint8_t> ParseHex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    uint8_t byte = 0;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (end != text.data() + i + 2 || error != std::errc()) break;
    bytes.push_back(byte);
  }
  if (bytes.size() * 2 != text.size())
    throw BadInput{"Invalid REG_BINARY data \"" + text + "\": give pairs of hexadecimal digits."};
  return bytes;
}

// Items separated by \0; each item ends with a zero and the list with one more.
std::vector<uint8_t> ParseMultiString(const std::string& text) {
  std::vector<uint8_t> data;
  for (size_t start = 0; !text.empty();) {
    const auto end = text.find(kMultiSeparator, start);
    const std::string item = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (item.empty())
      throw BadInput{"Invalid REG_MULTI_SZ data \"" + text + "\": an empty item would end the list early."};
    data.insert(data.end(), item.begin(), item.end());
    data.push_back(0);
    if (end == std::string::npos) break;
    start = end + kMultiSeparator.size();
  }
  data.push_back(0);
  return data;
}

RegValue ParseData(uint32_t type, const std::string& text) {
  switch (type) {
    case reg::Dword:
      return RegValue::Dword(ParseDword(text));
    case reg::Binary:
      return RegValue::Binary(ParseHex(text));
    case reg::MultiSz:
      return RegValue{reg::MultiSz, ParseMultiString(text)};
    default:
      return RegValue::String(text, type);
  }
}

std::string DataText(const RegValue& value) {
  std::string text;
  char buffer[16];
  switch (value.type) {
    case reg::Sz:
    case reg::ExpandSz:
      return PlainField(value.AsString());
    case reg::Dword:
      if (value.data.size() != 4) break;
      std::snprintf(buffer, sizeof buffer, "0x%x", value.AsDword());
      return buffer;
    case reg::MultiSz:
      for (size_t start = 0; start < value.data.size() && value.data[start] != 0;) {
        size_t end = start;
        while (end < value.data.size() && value.data[end] != 0) ++end;
        if (!text.empty()) text += kMultiSeparator;
        text.append(value.data.begin() + static_cast<std::ptrdiff_t>(start),
                    value.data.begin() + static_cast<std::ptrdiff_t>(end));
        start = end + 1;
      }
      return PlainField(text);
    default:
      break;
  }
  for (uint8_t byte : value.data) {
    std::snprintf(buffer, sizeof buffer, "%02X", byte);
    text += buffer;
  }
  return text;
}

void WriteValue(const HiveValue& v, std::ostream& out) {
  out << "    " << (v.name.empty() ? "(Default)" : PlainField(v.name)) << "    " << TypeText(v.value.type) << "    "
      << DataText(v.value) << '\n';
}

int NotFound(std::ostream& err) {
  err << "ERROR: The system was unable to find the specified registry key or value.\n";
  return kFailedExit;
}

int Refused(const Failure& failure, std::ostream& err) {
  err << "ERROR: " << failure.reason << '\n';
  return kFailedExit;
}

int Done(std::ostream& out) {
  out << "The operation completed successfully.\n";
  return 0;
}

int Query(HiveRegistry& registry, const KeyName& key, const std::optional<std::string>& name, std::ostream& out,
          std::ostream& err) {
  const auto values = registry.Values(key.root, key.path);
  if (!values) return NotFound(err);
  const HiveValue* only = nullptr;
  if (name) {
    for (const auto& v : *values)
      if (SameRegistryName(v.name, *name)) only = &v;
    if (!only) return NotFound(err);
  }
  out << key.rootName << (key.path.empty() ? "" : "\\") << PlainField(key.path) << '\n';
  if (only) {
    WriteValue(*only, out);
  } else {
    for (const auto& v : *values) WriteValue(v, out);
  }
  return 0;
}

int Add(HiveRegistry& registry, const KeyName& key, const Arguments& args, std::ostream& out, std::ostream& err) {
  const RegValue value = ParseData(ParseType(args[3]), args[4]);
  // One write makes the key with its value, so that a refused value leaves no key behind.
  if (const auto written = registry.WriteValue(key.root, key.path, args[2], value); !written)
    return Refused(written.error(), err);
  return Done(out);
}

int Delete(HiveRegistry& registry, const KeyName& key, const std::optional<std::string>& name, std::ostream& out,
           std::ostream& err) {
  if (name) {
    if (!registry.ReadValue(key.root, key.path, *name)) return NotFound(err);
    const auto handle = registry.Open(key.root, key.path, false);
    if (!handle) return Refused(handle.error(), err);
    if (const auto deleted = (*handle)->Delete(*name); !deleted) return Refused(deleted.error(), err);
    return Done(out);
  }
  if (key.path.empty()) throw BadInput{"A root key cannot be deleted."};
  const auto deleted = registry.DeleteKey(key.root, key.path);
  if (!deleted) return Refused(deleted.error(), err);
  return *deleted == HiveRegistry::KeyDeletion::Deleted ? Done(out) : NotFound(err);
}

}  // namespace

int RunReg(HiveRegistry& registry, const Arguments& args, std::ostream& out, std::ostream& err) {
  const std::string verb = args.empty() ? "" : args[0];
  const bool optionalValue = args.size() == 2 || args.size() == 3;
  if (!((verb == "query" || verb == "delete") && optionalValue) && !(verb == "add" && args.size() == 5))
    return Usage(err, kRegUsage);
  const std::optional<std::string> name = args.size() == 3 ? std::optional<std::string>(args[2]) : std::nullopt;
  try {
    const KeyName key = ParseKey(args[1]);
    if (verb == "query") return Query(registry, key, name, out, err);
    if (verb == "add") return Add(registry, key, args, out, err);
    return Delete(registry, key, name, out, err);
  } catch (const BadInput& e) {
    err << "ERROR: " << e.message << '\n';
    return kUsageExit;
  } catch (const Error& e) {
    err << "ERROR: " << e.what() << '\n';
    return kFailedExit;
  }
}

int RegCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
  return RunReg(*MakeHiveRegistry(), args, out, err);
}

}  // namespace nv::cli
