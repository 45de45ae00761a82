// User database records of any bytes and length: each text stays within its field and
// holds no zero byte, and laying the texts out again and reading them back gives the
// same texts, cut to leave each field its terminating zero.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "host/comm/userdb.h"

using namespace qpcomm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The record as a short or full read leaves it: exactly the bytes given.
  std::vector<unsigned char> bytes(data, data + size);
  UserRecord user = parseUserRecord(bytes.data(), bytes.size());
  struct Field {
    const std::string& text;
    size_t size;
  } const fields[] = {{user.userName, kFullNameOffset - kUserNameOffset},
                      {user.fullName, kMailboxTypeOffset - kFullNameOffset},
                      {user.mailboxType, kAddressOffset - kMailboxTypeOffset},
                      {user.address, kUserRecordSize - kAddressOffset}};
  for (const Field& f : fields) {
    FUZZ_CHECK(f.text.size() <= f.size);
    FUZZ_CHECK(f.text.find('\0') == std::string::npos);
  }

  unsigned char record[kUserRecordSize];
  buildUserRecord(user, record);
  UserRecord back = parseUserRecord(record, sizeof record);
  const std::string* again[] = {&back.userName, &back.fullName, &back.mailboxType, &back.address};
  for (size_t i = 0; i < 4; ++i) {
    FUZZ_CHECK(*again[i] == fields[i].text.substr(0, fields[i].size - 1));
  }
  return 0;
}
