// The generator's address rules on any user record: the mailbox address stays within
// its buffer, an SMTP address always holds "@" unless the record kept one without it,
// other types give none, and the entry is written only for the three mailbox types
// with name and address both present.
#include <cstring>

#include "abgen/core/mailbox.h"
#include "fuzz/fuzz_input.h"

using namespace abgen;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qpfuzz::Input in(data, size);
  const size_t outSize = 1 + in.upTo(300);
  const std::string host = in.text();
  UserRecord record;
  record.clear();
  const std::string bytes = in.rest();
  std::memcpy(record.bytes, bytes.data(), std::min(bytes.size(), kUserRecordSize));

  const MailboxType type = mailboxTypeOf(record.mailboxType().c_str());
  std::vector<char> out(outSize + 16, '\xA5');
  mailboxAddress(record, type, host.c_str(), out.data(), outSize);
  const size_t length = std::strlen(out.data());
  FUZZ_CHECK(length < outSize);
  for (size_t i = outSize; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5');
  if (type == MailboxType::kOther) FUZZ_CHECK(length == 0);

  // With room for any address, the SMTP rules hold in full.
  char full[kUserRecordSize * 2 + 8];
  mailboxAddress(record, type, host.c_str(), full, sizeof full);
  FUZZ_CHECK(std::strncmp(full, out.data(), length) == 0);
  if (type == MailboxType::kSmtp && full[0] != '\0' && std::strchr(full, '@') == nullptr) {
    FUZZ_CHECK(full == record.keptAddress());
  }
  if (type == MailboxType::kSmtp && record.userName().empty()) {
    FUZZ_CHECK(full[0] != '@' || full == record.keptAddress());
  }

  BookEntry entry;
  bool written = entryFromUserRecord(record, host.c_str(), entry);
  FUZZ_CHECK(written == (type != MailboxType::kOther && entry.complete()));
  FUZZ_CHECK(std::memchr(entry.field(kNameField), 0, kNameField.size) != nullptr);
  FUZZ_CHECK(std::memchr(entry.field(kAddressField), 0, kAddressField.size) != nullptr);
  for (size_t i = kAddressField.offset + kAddressField.size; i < kEntrySize; ++i) {
    FUZZ_CHECK(entry.bytes[i] == 0);
  }
  return 0;
}
