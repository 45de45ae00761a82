// The exports of QPXMULTI.DLL that hand the host nothing but their result or a fixed
// buffer, as cases of the allocation-failure sweep.
#include "multi/tests/alloc_sweep.h"

namespace allocsweep {

// The exports that hand the host nothing but their result or a fixed buffer: each runs
// in the sweep too, so that an allocation it (or a member for it) makes is found.
std::vector<Case> AllocSweep::simpleCases() {
  const QPSESSION host = host_;
  const char* user = profile_.c_str();
  auto intArg = [](const char* text) { return reinterpret_cast<intptr_t>(text); };
  HMODULE m = library_.get();
  auto simple = [](const char* name, std::function<int32_t()> call,
                   std::vector<int32_t> failures = {}) {
    return Case{name,
                [call](Faults& faults) {
                  Outcome out;
                  out.result = faults(call);
                  return out;
                },
                std::move(failures),
                0,
                nullptr,
                kInOrder};
  };
  char* buffer = buffer_;
  // Made here, before any failure is armed.
  auto members = std::make_shared<AddressArray>(Texts{"gus@example.com"});
  return {
      simple("QPICleanUpAfterUser",
             [=] {
               // On a host session of its own, logged in before the failure is armed.
               const QPSESSION fresh = QPOpenSession(user, "", "", "MULTI", nullptr, nullptr);
               void** cell = GetUserData(fresh, 0, nullptr);
               const int32_t pending = QPGetAllocFailurePending();
               QPSetAllocFailure(0);
               const int32_t opened = multi_.authenticateUser("", user, "", 2, cell);
               QPSetAllocFailure(pending);
               multi_.cleanUpAfterUser(fresh, user);
               QPfree(*cell);
               QPCloseSession(fresh);
               return opened;
             }),
      simple("QPICheckInterfaceStatus",
             [=] {
               int32_t a = 0, b = 0;
               return multi_.checkInterfaceStatus(buffer, &a, &b);
             }),
      simple("QPIGetFullName", [=] { return multi_.getFullName(host, user, buffer); }),
      simple("QPIGetFullAddress", [=] { return multi_.getFullAddress(host, user, buffer); }),
      simple("QPIGetMessageSignature",
             [=] {
               char* text = multi_.getMessageSignature(host, user);
               const int32_t got = text != nullptr ? 1 : 0;
               QPfree(text);
               return got;
             },
             {0}),  // no memory for the text: none
      simple("QPIUpdateMessageSignature",
             [=] {
               multi_.updateMessageSignature(host, user, "Profile sig\r\n");
               return 0;
             }),
      simple("QPIForcePollForNewMail",
             [=] { return multi_.forcePollForNewMail(host, user, 0, 0); }),
      simple("QPIQueryCapabilities",
             [=] { return static_cast<int32_t>(multi_.queryCapabilities()); }),
      simple("QPIQueryLoginPrompt",
             [=] {
               multi_.queryLoginPrompt(0, buffer);
               return 0;
             }),
      simple("QPICheckMessageIndexUpdated",
             [=] {
               return proc<decltype(&::QPICheckMessageIndexUpdated)>(
                   m, "QPICheckMessageIndexUpdated")(host, user, intArg("Inbox"), 0, 0, 0, 0);
             }),
      simple("QPIUpdateMailMessageStatus",
             [=] {
               return proc<decltype(&::QPIUpdateMailMessageStatus)>(
                   m, "QPIUpdateMailMessageStatus")(host, user, 0, 0, "MULTI:1:Inbox/00000002", 1,
                                                    0, 0, 0);
             }),
      simple("QPIDeleteMailMessage",
             [=] {
               putMessage(*imap_, "Inbox", "00000009", "Subject: Gone\r\n\r\nx\r\n");
               return proc<decltype(&::QPIDeleteMailMessage)>(m, "QPIDeleteMailMessage")(
                   host, user, 0, "MULTI:1:Inbox/00000009");
             }),
      simple("QPIOpenRFC822MessageFile",
             [=] {
               const int32_t file = proc<decltype(&::QPIOpenRFC822MessageFile)>(
                   m, "QPIOpenRFC822MessageFile")(host, user, "MULTI:1:Inbox/00000002");
               if (file != -1) CloseHandle(LongToHandle(file));
               return file != -1 ? 1 : 0;
             }),
      simple("QPICompareAddress",
             [=] {
               return proc<decltype(&::QPICompareAddress)>(m, "QPICompareAddress")(
                   host, "Carl <IMAP:carl@x.org>", "imap:CARL@x.org");
             }),
      simple("QPIGetMailMessageFolderInfo",
             [=] {
               int32_t count = 0;
               return folders_.getFolderInfo(host, user, "Inbox", &count, buffer);
             }),
      simple("QPIRenameMailFolder",
             [=] {
               for (const qptest::MailDatabase* db : {pop_, imap_, smtp_})
                 CreateDirectoryA(folderDir(*db, "Old").c_str(), nullptr);
               const int32_t result =
                   folders_.renameFolder(host, user, intArg("Old"), intArg("New"), 0);
               for (const qptest::MailDatabase* db : {pop_, imap_, smtp_}) {
                 std::filesystem::remove_all(folderDir(*db, "Old"));
                 std::filesystem::remove_all(folderDir(*db, "New"));
               }
               return result;
             }),
      simple("QPIDeleteMailFolder",
             [=] {
               for (const qptest::MailDatabase* db : {pop_, imap_, smtp_})
                 CreateDirectoryA(folderDir(*db, "Gone").c_str(), nullptr);
               const int32_t result = folders_.deleteFolder(host, user, "Gone");
               for (const qptest::MailDatabase* db : {pop_, imap_, smtp_})
                 std::filesystem::remove_all(folderDir(*db, "Gone"));
               return result;
             }),
      simple("QPISetFolderNewMailStatus",
             [=] { return folders_.setNewMail(host, user, "Inbox", 1); }),
      simple("QPIDoesFolderHaveNewMail", [=] { return folders_.hasNewMail(host, user, "Inbox"); }),
      simple("QPIGetRulesDir", [=] { return folders_.getRulesDir(host, user, buffer); }),
      simple("QPIGetDefaultAddressBook",
             [=] {
               return proc<decltype(&::QPIGetDefaultAddressBook)>(m, "QPIGetDefaultAddressBook")(
                   host, user, reinterpret_cast<intptr_t>(buffer));
             }),
      simple("QPIGetPublicAddressBookEntry",
             [=] {
               return publicEntry_(host, user, "IMAP:Staff", "carl@example.com", buffer, 0, 0, 0,
                                   0);
             }),
      simple("QPIGetPersonalAddressBookEntry",
             [=] {
               return proc<decltype(&::QPIGetPersonalAddressBookEntry)>(
                   m, "QPIGetPersonalAddressBookEntry")(host, user, intArg("gus@example.com"),
                                                        reinterpret_cast<intptr_t>(buffer), 0, 0, 0,
                                                        0, 0);
             }),
      simple("QPISavePersonalAddressBookEntry",
             [=] {
               return proc<decltype(&::QPISavePersonalAddressBookEntry)>(
                   m, "QPISavePersonalAddressBookEntry")(
                   host, user, intArg("Ivy <ivy@example.com>"), 0, 0, 0, 0, 0, 0, 0);
             }),
      simple("QPIDeletePersonalAddressBookEntry",
             [=] {
               return proc<decltype(&::QPIDeletePersonalAddressBookEntry)>(
                   m, "QPIDeletePersonalAddressBookEntry")(host, user, intArg("ivy@example.com"), 0,
                                                           0, 0);
             }),
      simple("QPISavePersonalDList",
             [=] {
               return proc<decltype(&::QPISavePersonalDList)>(m, "QPISavePersonalDList")(
                   host, user, intArg("Spare"), reinterpret_cast<intptr_t>(members->data()), 0, 0,
                   0, 0, 0, 0);
             }),
      simple("QPIDeletePersonalDList",
             [=] {
               return proc<decltype(&::QPIDeletePersonalDList)>(m, "QPIDeletePersonalDList")(
                   host, user, intArg("Spare"), 0, 0, 0);
             }),
  };
}

}  // namespace allocsweep
