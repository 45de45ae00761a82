// Allocation-failure sweeps of QPXMULTI.DLL's exports over three sample mail stores: each
// export runs once to count the QPmalloc calls it makes (its own and its members'), then
// once per allocation with exactly that one failing. Every run must end without a crash,
// a leaked block or a left temporary file, with a result the export documents, the
// host's entries from before the call unchanged, every entry it wrote either as the good
// run wrote it or as the member wrote it (the documented fallback of a rewrite that found
// no memory), and a change outside the host's lists (mail sent, a message stored, a
// folder made) either whole or not made at all.
#include "multi/tests/alloc_sweep.h"

namespace allocsweep {

TEST_F(AllocSweep, EveryAllocationOfEveryExportFailsOnce) {
  world();
  if (HasFatalFailure()) return;
  size_t exportsSwept = 0;
  size_t sweptCases = 0;
  std::vector<Case> all = cases();
  for (Case& c : simpleCases()) all.push_back(std::move(c));
  size_t exportsRun = 0;
  for (const Case& c : all) {
    ++exportsRun;
    SCOPED_TRACE(c.name);
    const int32_t startBlocks = QPGetLiveBlockCount();
    Faults counting(kCounting);
    const Outcome good = c.run(counting);
    ASSERT_EQ(QPGetLiveBlockCount(), startBlocks) << "the good run leaks";
    const int32_t allocations = counting.made();
    std::printf("  %-34s %3d allocations, result %d\n", c.name, allocations, good.result);
    exportsSwept += allocations > 0;
    for (int32_t n = 1; n <= allocations; ++n) {
      SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(allocations));
      const Texts copiesBefore = temporaryCopies();
      Faults faults(n);
      const Outcome got = c.run(faults);
      EXPECT_TRUE(faults.reachedFailure()) << "the call made fewer allocations this time";
      EXPECT_EQ(QPGetLiveBlockCount(), startBlocks) << "blocks leaked";
      EXPECT_EQ(temporaryCopies(), copiesBefore) << "a temporary copy was left behind";
      expectLikeGood(c, good, got);
      ++sweptCases;
    }
  }
  std::printf("%zu exports run, %zu of them allocate: %zu exports, %zu export x allocation cases\n",
              exportsRun, exportsSwept, exportsSwept, sweptCases);
  EXPECT_GE(exportsSwept, 10u);
}

std::vector<Case> AllocSweep::cases() {
  const QPSESSION host = host_;
  const char* user = profile_.c_str();
  const Texts oldEntries = {"Old one|MULTI:0:Old/1", "Old two|MULTI:1:Old/2"};
  auto intArg = [](const char* text) { return reinterpret_cast<intptr_t>(text); };
  return {
      {"QPIAuthenticateUser",
       [=](Faults& faults) {
         const QPSESSION fresh = QPOpenSession(user, "", "", "MULTI", nullptr, nullptr);
         void** cell = GetUserData(fresh, 0, nullptr);
         Outcome out;
         out.result = faults([&] { return multi_.authenticateUser("", user, "", 2, cell); });
         int32_t filled = 0;
         if (*cell != nullptr) {
           for (QPSESSION s : table(fresh)) filled += s != qpmulti::kEmptySlot;
           multi_.cleanUpAfterUser(fresh, user);
           QPfree(*cell);
           *cell = nullptr;
         }
         QPCloseSession(fresh);
         // A log-in without members hands over no table; with members all are in it.
         EXPECT_EQ(filled, out.result);
         return out;
       },
       {0, 1, 2},
       0,
       nullptr,
       kInOrder},
      {"QPIInitUser",
       [=](Faults& faults) {
         writeFile(imap_->path() + "\\SIGNATURE.TXT", "Member sig\r\n");
         DeleteFileA((pop_->path() + "\\SIGNATURE.TXT").c_str());
         DeleteFileA((smtp_->path() + "\\SIGNATURE.TXT").c_str());
         const QPSESSION fresh = QPOpenSession(user, "", "", "MULTI", nullptr, nullptr);
         faults([&] {
           multi_.initUser(fresh, user);
           return 0;
         });
         if (void** cell = GetUserData(fresh, 0, nullptr); *cell != nullptr) {
           multi_.cleanUpAfterUser(fresh, user);
           QPfree(*cell);
         }
         QPCloseSession(fresh);
         // The profile's own signature is never replaced by a member's.
         EXPECT_EQ(readFile(hostUserDirectory() + "Signatur.QP"), "Profile sig\r\n");
         return Outcome{};
       },
       {},
       0,
       nullptr,
       kInOrder},
      {"QPIBuildMailMessageIndex",
       [=](Faults& faults) {
         return listRun(faults, oldEntries, [&](HostList& list) {
           return buildIndex_(host, user, intArg("Inbox"), list.data(), list.count(), 0, 0);
         });
       },
       {},
       2,
       untag,
       kInOrder},
      {"QPIDoMessageSearchFolder",
       [=](Faults& faults) {
         return listRun(faults, {"Old one|MULTI:0:Old/1|Old"}, [&](HostList& list) {
           return search_(host, user, list.data(), list.count(), 0, intArg(""), intArg("lunch"), 0,
                          0, 0, 0, 0, 0, 0, 0);
         });
       },
       {},
       1,
       untag,
       kInOrder},
      {"QPILoadMailMessage",
       [=](Faults& faults) {
         AddressArray to({}), cc({}), attachments({}, 200);
         char address[qpmulti::kLoadAddressBufferSize] = "";
         Outcome out;
         out.result = faults([&] {
           return load_(host, user, "MULTI:1:Inbox/00000001", 0, 0, to.data(), cc.data(), address,
                        0, 0, 0, 0, attachments.data(), 0, 0, 0, 0, 0, 0, 0);
         });
         out.lists = {to.entries(), cc.entries(), attachments.entries(), Texts{address}};
         return out;
       },
       // Attachment references lose their tag, addresses their type.
       {0},
       0,
       [](const std::string& s) { return s.compare(0, 6, "MULTI:") == 0 ? untag(s) : untype(s); },
       kInOrder},
      {"QPIQualifyAttachmentName",
       [=](Faults& faults) {
         char path[qpmulti::kAttachmentPathSize] = "";
         char extension[qpmulti::kExtensionBufferSize] = "";
         int32_t temporary = 0;
         faults([&] {
           qualify_(host, user, "MULTI:1:IMAP:Inbox/00000001/1/report.pdf", path, extension,
                    &temporary);
           return 0;
         });
         Outcome out;
         out.effects = {path[0] != '\0' ? readFile(path) : "no path", extension};
         if (temporary != 0) DeleteFileA(path);
         return out;
       },
       {},
       0,
       nullptr,
       kInOrder},
      {"QPISendMailMessage",
       [=](Faults& faults) {
         const std::string files = report_ + ";MULTI:1:IMAP:Inbox/00000001/1/report.pdf";
         Outcome out;
         out.result = faults([&] {
           return send_(host, user, "Jane Doe <jane@example.com>, IMAP:carl@x.org, plain",
                        "POP3:dora@y.org, Al <imap:al@x.org>", "SMTP:ann@example.com", 0, 0, 0,
                        "Hello\r\nthere", files.c_str(), "notes.txt;report.pdf", 0, 0, 0, 0, 0);
         });
         for (const std::string& spool : takeSpools())
           out.effects.push_back(sameTemporaries(spool));
         return out;
       },
       {-1},
       0,
       nullptr,
       kInOrder},
      {"QPIValidateMessageRecipients",
       [=](Faults& faults) {
         AddressArray a1({"Jane Doe <jane@example.com>", "IMAP:carl@x.org", "plain"}),
             a2({"Al <imap:al@x.org>"}), a3({});
         Outcome out;
         out.result =
             faults([&] { return validate_(host, user, a1.data(), a2.data(), a3.data(), 0); });
         out.lists = {a1.entries(), a2.entries(), a3.entries()};
         return out;
       },
       {1},
       0,
       untype,
       kWhole},
      {"QPIAddMailMessageToFolder",
       [=](Faults& faults) {
         AddressArray files({report_, "MULTI:1:IMAP:Inbox/00000001/1/report.pdf"}),
             names({"notes.txt", "report.pdf"});
         Outcome out;
         out.result = faults([&] {
           return folders_.addMessage(host, user, "Drafts",
                                      intArg("Subject: Minutes\r\n\r\nSee.\r\n"), 0, 0, 0, 0, 0, 0,
                                      files.data(), names.data(), 0, 0);
         });
         out.lists = {files.entries(), names.entries()};
         out.effects = takeMessages(*pop_, "Drafts");
         return out;
       },
       {0},
       2,
       nullptr,
       kInOrder},
      {"QPIFileMailMessageToFolder",
       [=](Faults& faults) {
         Outcome out;
         out.result = faults([&] {
           return folders_.fileMessage(host, user, 1, "MULTI:1:Inbox/00000001", "Archive", 0, 0);
         });
         out.effects = Texts(messagesIn(folderDir(*imap_, "Archive")).size(), "filed");
         takeMessages(*imap_, "Archive");
         return out;
       },
       {0},
       0,
       nullptr,
       kInOrder},
      {"QPIBuildFolderList",
       [=](Faults& faults) {
         return listRun(faults, {"Mine", "Inbox - 9 messages"}, [&](HostList& list) {
           return folders_.buildFolderList(host, user, list.data(), list.count(), 0, 0, 0);
         });
       },
       {},
       2,
       baseName,
       kSubset},
      {"QPICreateMailFolder",
       [=](Faults& faults) {
         char info[QP_TEXT_LARGE] = "";
         Outcome out;
         out.result = faults([&] { return folders_.createFolder(host, user, "Plans", info); });
         for (const qptest::MailDatabase* db : {pop_, imap_, smtp_}) {
           if (foldertest::isDirectory(folderDir(*db, "Plans"))) out.effects.push_back(db->path());
           std::filesystem::remove_all(folderDir(*db, "Plans"));
         }
         return out;
       },
       {0},
       0,
       nullptr,
       kInOrder},
      {"QPIBuildAddressBookList",
       [=](Faults& faults) {
         return listRun(faults, {"Mine"}, [&](HostList& list) {
           return bookList_(host, user, list.data(), list.count());
         });
       },
       {},
       1,
       untype,
       kInOrder},
      {"QPIBuildAvailableRecipsList",
       [=](Faults& faults) {
         return arrayRun(faults, {"Old <old@example.com>"}, [&](char** list) {
           return recips_(host, user, "IMAP:Staff", list, 0, 0, 0);
         });
       },
       {},
       1,
       untype,
       kInOrder},
      {"QPISearchAddressBooks",
       [=](Faults& faults) {
         return arrayRun(faults, {"Old <old@example.com>"}, [&](char** list) {
           return searchBooks_(host, user, intArg("a"), list, 0, 0);
         });
       },
       {},
       1,
       untype,
       kInOrder},
      {"QPIGetPersonalDList",
       [=](Faults& faults) {
         return arrayRun(faults, {"old@example.com"}, [&](char** list) {
           return personalDList_(host, user, intArg("Team"), reinterpret_cast<intptr_t>(list), 0, 0,
                                 0, 0, 0);
         });
       },
       {},
       1,
       nullptr,
       kInOrder},
      {"QPIGetPublicDList",
       [=](Faults& faults) {
         return arrayRun(faults, {"old@example.com"}, [&](char** list) {
           return publicDList_(host, user, intArg("All"), reinterpret_cast<intptr_t>(list), 0, 0, 0,
                               0, 0);
         });
       },
       {},
       1,
       nullptr,
       kInOrder},
      {"QPIBuildListOfPersonalDLists",
       [=](Faults& faults) {
         return arrayRun(faults, {"Old"}, [&](char** list) {
           return personalDLists_(host, user, reinterpret_cast<intptr_t>(list));
         });
       },
       {},
       1,
       nullptr,
       kInOrder},
      {"QPIBuildListOfPublicDLists",
       [=](Faults& faults) {
         return arrayRun(faults, {"Old"}, [&](char** list) {
           return publicDLists_(host, user, reinterpret_cast<intptr_t>(list));
         });
       },
       {},
       1,
       nullptr,
       kInOrder},
      {"QPIBuildPersonalAddressBookList",
       [=](Faults& faults) {
         return arrayRun(faults, {"Old <old@example.com>"}, [&](char** list) {
           return personalBook_(host, user, reinterpret_cast<intptr_t>(list));
         });
       },
       {},
       1,
       nullptr,
       kInOrder},
  };
}

}  // namespace allocsweep
