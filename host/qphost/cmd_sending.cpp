// QPHOST's host commands for outgoing mail of a logged-in host session: send a message,
// validate recipients, compare two addresses, each through QPXMULTI's export.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/qphost/commands.h"
#include "host/qphost/host_script.h"
#include "hostapi/qpxcomm.h"
#include "multi/send_exports.h"

namespace qphost {

namespace {

// The host's recipient arrays have room for this many entries.
constexpr size_t kAddressCapacity = 50000;

// A recipient array owned by the host: null-terminated, entries from QPmalloc.
struct HostArray {
  std::vector<char*> entries = std::vector<char*>(kAddressCapacity + 1, nullptr);
  ~HostArray() {
    for (char* entry : entries) QPfree(entry);
  }
  void print(const char* label) const {
    std::printf("%s:\n", label);
    for (size_t i = 0; i < kAddressCapacity && entries[i] != nullptr; ++i)
      std::printf("  %s\n", shown(entries[i]).c_str());
  }
};

// send TO CC BCC SUBJECT TEXT [FILES NAMES]: one message; the subject becomes the first
// line of the text. Lists as the common library reads them ("," or ";" between
// addresses, ";" between files).
int cmdSend(Script& s, const Args& a) {
  const auto send = boundExport<decltype(&QPISendMailMessage)>(s, "QPISendMailMessage");
  if (send == nullptr) return kExitFailed;
  const std::string text = "Subject: " + a[4] + "\r\n\r\n" + a[5];
  const char* files = a.size() > 6 ? a[6].c_str() : "";
  const char* names = a.size() > 7 ? a[7].c_str() : "";
  const int32_t result = send(s.host.session(), hostUser(s), a[1].c_str(), a[2].c_str(),
                              a[3].c_str(), 0, 0, 0, text.c_str(), files, names, 0, 0, 0, 0, 0);
  std::printf("QPISendMailMessage: %ld\n", static_cast<long>(result));
  return kExitOk;
}

// validate TO [CC [BCC]]: the three arrays after validation.
int cmdValidate(Script& s, const Args& a) {
  const auto validate =
      boundExport<decltype(&QPIValidateMessageRecipients)>(s, "QPIValidateMessageRecipients");
  if (validate == nullptr) return kExitFailed;
  HostArray lists[3];
  for (size_t x = 0; x < 3 && x + 1 < a.size(); ++x) {
    AddressStringToArray(a[x + 1].c_str(), lists[x].entries.data(),
                         static_cast<int32_t>(kAddressCapacity));
  }
  const int32_t result = validate(s.host.session(), hostUser(s), lists[0].entries.data(),
                                  lists[1].entries.data(), lists[2].entries.data(), 0);
  std::printf("QPIValidateMessageRecipients: %ld\n", static_cast<long>(result));
  lists[0].print("to");
  lists[1].print("cc");
  lists[2].print("bcc");
  return kExitOk;
}

// compare A B: whether the two addresses name the same mailbox.
int cmdCompare(Script& s, const Args& a) {
  const auto compare = boundExport<decltype(&QPICompareAddress)>(s, "QPICompareAddress");
  if (compare == nullptr) return kExitFailed;
  const int32_t result = compare(s.host.session(), a[1].c_str(), a[2].c_str());
  std::printf("QPICompareAddress %s %s: %ld\n", shown(a[1].c_str()).c_str(),
              shown(a[2].c_str()).c_str(), static_cast<long>(result));
  return kExitOk;
}

const HostCommand kSendingCommands[] = {
    {"send", 5, 7, true, cmdSend},
    {"validate", 1, 3, true, cmdValidate},
    {"compare", 2, 2, true, cmdCompare},
};

}  // namespace

const HostCommandTable kSendingCommandTable = {
    kSendingCommands, sizeof kSendingCommands / sizeof kSendingCommands[0]};

}  // namespace qphost
