// Recipient routing: the Internet-address test, typing of untyped recipients, the
// per-member split in both forms (checked against the step-by-step split on random
// lists), the rest step, retyping after validation and the recognised type.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/comm/address.h"
#include "multi/core/recipient_routing.h"
#include "multi/tests/common_address_text.h"
#include "multi/tests/literal_routing.h"

namespace qpmulti {
namespace {

char* allocateEntry(size_t size, void*) { return static_cast<char*>(std::calloc(size, 1)); }
void releaseEntry(char* entry, void*) { std::free(entry); }
const EntryMemory kMemory{allocateEntry, releaseEntry, nullptr};

const AddressText& kText = qpmulti::testing::kCommonAddressText;

// An address array of kAddressArrayEntries + 1 null pointers that frees what it holds.
class Array {
 public:
  Array() : entries_(kAddressArrayEntries + 1, nullptr) {}
  explicit Array(const std::vector<std::string>& texts) : Array() {
    for (size_t i = 0; i < texts.size(); ++i) entries_[i] = copy(texts[i]);
  }
  ~Array() {
    for (char* e : entries_) std::free(e);
  }
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;
  char** data() { return entries_.data(); }
  size_t count() const { return countAddresses(entries_.data()); }
  std::vector<std::string> texts() const {
    return {entries_.begin(), entries_.begin() + static_cast<long>(count())};
  }

 private:
  static char* copy(const std::string& text) {
    char* e = static_cast<char*>(std::malloc(text.size() + 1));
    std::memcpy(e, text.c_str(), text.size() + 1);
    return e;
  }
  std::vector<char*> entries_;
};

// Slot 0 POP3 (primary), 1 SMTP (Internet), 2 empty, 3 IMAP, 4 NW.
const char* const kSlots[] = {"POP3", "SMTP", nullptr, "IMAP", "NW"};
const MemberTypes kTypes{kSlots, 5};

TEST(RecipientRouting, InternetAddresses) {
  struct Case {
    const char* bare;
    bool internet;
  } cases[] = {
      {"jane@example.com", true},   {"jane@host", false},         {"jane.doe", false},
      {"smtp:jane@example.com", false}, {"a.b@c{d}.e", false},    {"a@b.c{d}", true},
      {"a@{b}", false},             {"", false},                  {"a@b{.c", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bare);
    EXPECT_EQ(isInternetAddress(c.bare), c.internet);
  }
}

TEST(RecipientRouting, InternetTypeNeedsAMemberOfThatType) {
  EXPECT_STREQ(internetType("smtp", "(none)", kTypes), "smtp");
  EXPECT_STREQ(internetType("(NONE)", "(none)", kTypes), "");
  EXPECT_STREQ(internetType("X400", "(none)", kTypes), "");
  EXPECT_STREQ(internetType("", "(none)", kTypes), "");
}

TEST(RecipientRouting, TypingRoutesUntypedRecipients) {
  struct Case {
    const char* internet;
    const char* entry;
    const char* typed;
  } cases[] = {
      {"SMTP", "jane@example.com", "SMTP:jane@example.com"},
      {"SMTP", "Jane Doe <jane@example.com>", "Jane Doe <SMTP:jane@example.com>"},
      {"SMTP", "\"Doe, Jane\" <jane@example.com>", "\"Doe, Jane\" <SMTP:jane@example.com>"},
      {"", "jane@example.com", "POP3:jane@example.com"},
      {"SMTP", "jane@localhost", "POP3:jane@localhost"},
      {"SMTP", "box{a.b}@x{y}.z", "POP3:box{a.b}@x{y}.z"},
      {"SMTP", "plainbox", "POP3:plainbox"},
      {"SMTP", "imap:bob@example.com", "imap:bob@example.com"},
      {"SMTP", "Bob <NW:bob>", "Bob <NW:bob>"},
      {"SMTP", "X400:c=de;o=x", "POP3:\"X400:c=de;o=x\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    Array a({c.entry});
    typeRecipients(a.data(), c.internet, kTypes, kText, kMemory);
    EXPECT_EQ(a.texts(), std::vector<std::string>{c.typed});
  }
}

TEST(RecipientRouting, TakeWritesTheMemberFormsInOrder) {
  Array a({"Jane <imap:jane@x.org>", "POP3:p1", "IMAP:a,b", "Bob <SMTP:bob@y.org>",
           "\"Doe, Al\" <IMAP:al@x.org>", "IMAP:IMAP:odd"});
  struct Case {
    RecipientForm form;
    std::vector<std::string> taken;
  } cases[] = {
      {RecipientForm::kSend, {"Jane <jane@x.org>", "a,b", "\"Doe, Al\" <al@x.org>", "IMAP:odd"}},
      {RecipientForm::kValidate,
       {"Jane <jane@x.org>", "\"a,b\"", "\"Doe, Al\" <al@x.org>", "\"IMAP:odd\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.form));
    Array hostList(a.texts());
    Array member;
    size_t takenCount = 0;
    size_t left = takeMemberRecipients(hostList.data(), hostList.count(), "IMAP", c.form,
                                       member.data(), takenCount, kText, kMemory);
    EXPECT_EQ(left, 2u);
    EXPECT_EQ(takenCount, 4u);
    EXPECT_EQ(hostList.texts(), (std::vector<std::string>{"POP3:p1", "Bob <SMTP:bob@y.org>"}));
    EXPECT_EQ(member.texts(), c.taken);
  }
}

TEST(RecipientRouting, RestAndRetypeAfterValidation) {
  Array rest({"POP3:a,b", "Ann <pop3:ann@x.org>", "SMTP:s@y.org"});
  untypeRemaining(rest.data(), rest.count(), "POP3", RecipientForm::kValidate, kText, kMemory);
  EXPECT_EQ(rest.texts(),
            (std::vector<std::string>{"\"a,b\"", "Ann <ann@x.org>", "SMTP:s@y.org"}));

  Array validated({"bob@x.org", "Bob B <bob2@x.org>"});
  Array target({"first"});
  size_t count = 1;
  retypeValidated(validated.data(), "IMAP", target.data(), count, kText, kMemory);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(target.texts(),
            (std::vector<std::string>{"first", "IMAP:bob@x.org", "Bob B <IMAP:bob2@x.org>"}));
  EXPECT_EQ(validated.count(), 0u);
}

TEST(RecipientRouting, RecognisedType) {
  struct Case {
    const char* bare;
    const char* type;
    const char* rest;
  } cases[] = {
      {"SMTP:a@b.c", "SMTP", "a@b.c"}, {"POP3:box", "", "POP3:box"}, {":box", "", "box"},
      {"box@x.org", "", "box@x.org"},  {"a b:c", "", "a b:c"},       {"IMAP:x:y", "IMAP", "x:y"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bare);
    char type[kTypePrefixSize];
    EXPECT_STREQ(splitRecognisedType(c.bare, type, sizeof type), c.rest);
    EXPECT_STREQ(type, c.type);
  }
}

// Random recipients of every kind: typed for a member (letter case varied), typed for no
// member, Internet and local forms, with and without full names.
std::vector<std::string> randomRecipients(std::mt19937& random, size_t count) {
  const char* types[] = {"POP3", "pop3", "SMTP", "Imap", "IMAP", "NW", "X400", ""};
  const char* names[] = {"", "", "Jane Doe", "\"Doe, Jane\"", "jane"};
  std::vector<std::string> out;
  for (size_t i = 0; i < count; ++i) {
    std::string type = types[random() % 8];
    std::string bare = "u" + std::to_string(random() % 1000);
    if (random() % 2) bare += "@host" + std::string(random() % 2 ? ".org" : "");
    if (!type.empty()) bare = type + ":" + bare;
    std::string name = names[random() % 5];
    out.push_back(name.empty() ? bare : name + " <" + bare + ">");
  }
  return out;
}

TEST(RecipientRouting, ACommentInsideTheTypeStillRoutes) {
  // Found by fuzzing: a bare address drops its comments, so "IMAP(work):ann@x.org" is
  // IMAP:ann@x.org although its text nowhere holds "IMAP:".
  const std::vector<std::string> texts = {"IMAP(work):ann@x.org", "POP3:p1",
                                          "IM(x)AP:b@y.org", "Al <IMAP:al@x.org>"};
  for (RecipientForm form : {RecipientForm::kSend, RecipientForm::kValidate}) {
    SCOPED_TRACE(static_cast<int>(form));
    Array ours(texts), theirs(texts), oursTaken, theirsTaken;
    size_t takenCount = 0;
    takeMemberRecipients(ours.data(), ours.count(), "IMAP", form, oursTaken.data(), takenCount,
                         kText, kMemory);
    const size_t n = literal::takeMemberRecipients(theirs.data(), "IMAP", form,
                                                   theirsTaken.data(), kText, kMemory);
    EXPECT_EQ(takenCount, 3u);
    EXPECT_EQ(takenCount, n);
    EXPECT_EQ(oursTaken.texts(), theirsTaken.texts());
    EXPECT_EQ(ours.texts(), (std::vector<std::string>{"POP3:p1"}));
  }
  Array rest({"POP3(home):p@x.org"});
  untypeRemaining(rest.data(), rest.count(), "POP3", RecipientForm::kSend, kText, kMemory);
  EXPECT_EQ(rest.texts(), (std::vector<std::string>{"home <p@x.org>"}));
}

TEST(RecipientRouting, SplitMatchesTheStepByStepSplit) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> texts = randomRecipients(random, 1 + random() % 300);
    RecipientForm form = round % 2 ? RecipientForm::kSend : RecipientForm::kValidate;
    Array ours(texts);
    Array theirs(texts);
    typeRecipients(ours.data(), "SMTP", kTypes, kText, kMemory);
    typeRecipients(theirs.data(), "SMTP", kTypes, kText, kMemory);
    for (const char* type : {"SMTP", "IMAP", "NW"}) {
      Array oursTaken;
      Array theirsTaken;
      size_t takenCount = 0;
      takeMemberRecipients(ours.data(), ours.count(), type, form, oursTaken.data(), takenCount,
                           kText, kMemory);
      size_t n = literal::takeMemberRecipients(theirs.data(), type, form, theirsTaken.data(),
                                               kText, kMemory);
      EXPECT_EQ(takenCount, n);
      EXPECT_EQ(oursTaken.texts(), theirsTaken.texts());
      EXPECT_EQ(ours.texts(), theirs.texts());
    }
    for (const std::string& left : ours.texts()) {
      char bare[kBareAddressSize];
      qpcomm::stripFullName(left.c_str(), bare, sizeof bare);
      EXPECT_TRUE(carriesType(bare, "POP3")) << left;
    }
  }
}

}  // namespace
}  // namespace qpmulti
