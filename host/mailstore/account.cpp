// Parsing of the account file: a small INI reader for one section, and the number format
// of the Capabilities key.
#include "host/mailstore/account.h"

#include <utility>

#include "common/text.h"

namespace qp::mailstore {

std::string_view trimIniText(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (blank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

namespace {

// Stores `value` into `slot` unless an earlier line already set the key.
void setOnce(std::optional<std::string>& slot, std::string_view value) {
  if (!slot) slot = std::string(value);
}

int digitValue(char c, uint32_t base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value >= 0 && static_cast<uint32_t>(value) < base ? value : -1;
}

}  // namespace

Account parseAccount(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte order mark
  std::optional<std::string> userName, password, fullName, fullAddress, capabilities, pollResult;
  bool inAccount = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = trimIniText(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      inAccount =
          close != std::string_view::npos && equalsNoCase(trimIniText(line.substr(1, close - 1)), "Account");
      continue;
    }
    size_t equals = line.find('=');
    if (!inAccount || equals == std::string_view::npos) continue;
    std::string_view key = trimIniText(line.substr(0, equals));
    std::string_view value = trimIniText(line.substr(equals + 1));
    const std::pair<const char*, std::optional<std::string>*> keys[] = {
        {"UserName", &userName},       {"Password", &password},         {"FullName", &fullName},
        {"FullAddress", &fullAddress}, {"Capabilities", &capabilities},
        {"PollResult", &pollResult},
    };
    for (const auto& [name, slot] : keys) {
      if (equalsNoCase(key, name)) setOnce(*slot, value);
    }
  }
  Account account;
  account.userName = userName.value_or("");
  account.password = password.value_or("");
  account.fullName = fullName.value_or("");
  account.fullAddress = fullAddress.value_or("");
  if (capabilities) account.capabilities = parseNumber(*capabilities);
  if (pollResult) account.pollResult = parseNumber(*pollResult).value_or(0);
  return account;
}

std::optional<uint32_t> parseNumber(std::string_view text) {
  text = trimIniText(text);
  uint32_t base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    int digit = digitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<uint32_t>(digit);
    if (value > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

bool acceptsCredentials(const Account& account, const char* userName, const char* password) {
  if (account.userName.empty() || userName == nullptr || password == nullptr) return false;
  return qp::equalsNoCase(account.userName.c_str(), userName) && account.password == password;
}

}  // namespace qp::mailstore
