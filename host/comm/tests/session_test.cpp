// Sessions: handles, texts and their limits, user-data cells, options, the full-name and
// address pointers and what closing frees.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "hostapi/qpxcomm.h"

namespace {

constexpr char kPoison = 0x5A;
using TextGetter = int32_t(QPAPI*)(QPSESSION, char*);

struct Getter {
  const char* name;
  TextGetter get;
};
const Getter kGetters[] = {
    {"GetUserUsername", GetUserUsername},
    {"GetUserPassword", GetUserPassword},
    {"GetUserMailDatabase", GetUserMailDatabase},
    {"GetUserMailboxType", GetUserMailboxType},
};

// Closes the session at the end of a test, whatever happens.
struct OpenSession {
  QPSESSION handle;
  OpenSession(const char* user, const char* password, const char* database, const char* type,
              const char* fullName = nullptr, const char* fullAddress = nullptr)
      : handle(QPOpenSession(user, password, database, type, fullName, fullAddress)) {}
  ~OpenSession() { QPCloseSession(handle); }
};

TEST(Sessions, TextsComeBackPerSessionAndCloseForgetsThem) {
  const char* const texts[][4] = {{"alice", "secret", "C:\\mail\\alice", "POP3"},
                                  {"bob", "", "D:\\db", "IMAP"}};
  QPSESSION first = QPOpenSession(texts[0][0], texts[0][1], texts[0][2], texts[0][3],
                                  "Alice A", "alice@example.com");
  QPSESSION second =
      QPOpenSession(texts[1][0], texts[1][1], texts[1][2], texts[1][3], nullptr, nullptr);
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  ASSERT_NE(first, second);

  const QPSESSION handles[] = {first, second};
  for (int s = 0; s < 2; ++s) {
    for (int g = 0; g < 4; ++g) {
      SCOPED_TRACE(std::string(kGetters[g].name) + " of session " + std::to_string(s));
      char buffer[QP_TEXT_SMALL];
      std::memset(buffer, kPoison, sizeof buffer);
      EXPECT_NE(0, kGetters[g].get(handles[s], buffer));
      EXPECT_STREQ(texts[s][g], buffer);
    }
  }
  EXPECT_STREQ("Alice A", *GetUserFullNamePtr(first, nullptr));
  EXPECT_STREQ("alice@example.com", *GetUserFullAddressPtr(first, nullptr));
  EXPECT_EQ(nullptr, *GetUserFullNamePtr(second, nullptr));
  EXPECT_EQ(nullptr, *GetUserFullAddressPtr(second, nullptr));

  EXPECT_EQ(1, QPCloseSession(first));
  EXPECT_EQ(0, QPCloseSession(first));
  char buffer[QP_TEXT_SMALL];
  EXPECT_EQ(0, GetUserUsername(first, buffer));
  EXPECT_NE(0, GetUserUsername(second, buffer));  // the other session is untouched
  EXPECT_STREQ("bob", buffer);
  EXPECT_EQ(1, QPCloseSession(second));
}

TEST(Sessions, UnknownSessionGivesNullCellsEmptyTextsAndNoOptions) {
  QPSESSION closed = QPOpenSession("x", "y", "z", "w", nullptr, nullptr);
  ASSERT_GT(closed, 0);
  QPSetSessionOptions(closed, 0x1234);
  QPCloseSession(closed);

  for (QPSESSION handle : {closed, QPSESSION{0}, QP_NO_SESSION, QPSESSION{0x7FFFFFF0}}) {
    SCOPED_TRACE("session " + std::to_string(handle));
    void** cellWhere = reinterpret_cast<void**>(&cellWhere);  // poisoned: must become null
    EXPECT_EQ(nullptr, GetUserData(handle, 0, &cellWhere));
    EXPECT_EQ(nullptr, cellWhere);
    char** textWhere = reinterpret_cast<char**>(&textWhere);
    EXPECT_EQ(nullptr, GetUserFullNamePtr(handle, &textWhere));
    EXPECT_EQ(nullptr, textWhere);
    EXPECT_EQ(nullptr, GetUserFullAddressPtr(handle, nullptr));
    for (const Getter& getter : kGetters) {
      SCOPED_TRACE(getter.name);
      char buffer[QP_TEXT_SMALL];
      std::memset(buffer, kPoison, sizeof buffer);
      EXPECT_EQ(0, getter.get(handle, buffer));
      EXPECT_EQ('\0', buffer[0]);
    }
    QPSetSessionOptions(handle, 0xFFFF);
    EXPECT_EQ(0u, QPGetSessionOptions(handle));
  }
}

TEST(Sessions, LongTextsAreCutAndNeverOverrunTheBuffer) {
  const std::string longText(400, 'q');
  const std::string longer(900, 'n');
  OpenSession session(longText.c_str(), longText.c_str(), longText.c_str(), longText.c_str(),
                      longer.c_str(), longer.c_str());
  ASSERT_GT(session.handle, 0);
  for (const Getter& getter : kGetters) {
    SCOPED_TRACE(getter.name);
    char buffer[QP_TEXT_SMALL + 50];
    std::memset(buffer, kPoison, sizeof buffer);
    ASSERT_NE(0, getter.get(session.handle, buffer));
    EXPECT_EQ(std::string(QP_TEXT_SMALL - 1, 'q'), buffer);
    for (size_t i = QP_TEXT_SMALL; i < sizeof buffer; ++i)
      ASSERT_EQ(kPoison, buffer[i]) << "byte " << i << " written";
  }
  EXPECT_EQ(std::string(QP_TEXT_LARGE - 1, 'n'), *GetUserFullNamePtr(session.handle, nullptr));
  EXPECT_EQ(std::string(QP_TEXT_LARGE - 1, 'n'), *GetUserFullAddressPtr(session.handle, nullptr));
}

TEST(Sessions, CellsAndOptionsBelongToOneSession) {
  OpenSession a("a", "", "", "");
  OpenSession b("b", "", "", "");
  ASSERT_GT(a.handle, 0);
  ASSERT_GT(b.handle, 0);

  int values[QP_USER_DATA_CELLS];
  for (int cell = 0; cell < QP_USER_DATA_CELLS; ++cell) {
    SCOPED_TRACE("cell " + std::to_string(cell));
    void** where = nullptr;
    void** address = GetUserData(a.handle, cell, &where);
    ASSERT_NE(nullptr, address);
    EXPECT_EQ(address, where);
    EXPECT_EQ(nullptr, *address);  // a new session's cells are empty
    *address = &values[cell];
  }
  EXPECT_EQ(nullptr, GetUserData(a.handle, QP_USER_DATA_CELLS, nullptr));
  EXPECT_EQ(nullptr, GetUserData(a.handle, -1, nullptr));

  // More sessions do not move the cells handed out.
  OpenSession c("c", "", "", "");
  for (int cell = 0; cell < QP_USER_DATA_CELLS; ++cell) {
    SCOPED_TRACE("cell " + std::to_string(cell));
    EXPECT_EQ(&values[cell], *GetUserData(a.handle, cell, nullptr));
    EXPECT_EQ(nullptr, *GetUserData(b.handle, cell, nullptr));
  }

  QPSetSessionOptions(a.handle, 0x80000001u);
  QPSetSessionOptions(b.handle, 0x00000010u);
  EXPECT_EQ(0x80000001u, QPGetSessionOptions(a.handle));
  EXPECT_EQ(0x00000010u, QPGetSessionOptions(b.handle));
  EXPECT_EQ(0u, QPGetSessionOptions(c.handle));
}

TEST(Sessions, ClosingFreesTheTextsTheSessionHolds) {
  const int32_t start = QPGetLiveBlockCount();
  QPSESSION handle = QPOpenSession("u", "p", "d", "t", "Old Name", "old@example.com");
  ASSERT_GT(handle, 0);
  EXPECT_EQ(start + 2, QPGetLiveBlockCount());

  // A caller replaces the full name with a text of its own; the session then owns it.
  char** name = GetUserFullNamePtr(handle, nullptr);
  char* replacement = static_cast<char*>(QPmalloc(16));
  ASSERT_NE(nullptr, replacement);
  std::strcpy(replacement, "New Name");
  QPfree(*name);
  *name = replacement;
  EXPECT_STREQ("New Name", *GetUserFullNamePtr(handle, nullptr));

  EXPECT_EQ(1, QPCloseSession(handle));
  EXPECT_EQ(start, QPGetLiveBlockCount());
}

TEST(Sessions, FailedAllocationMakesNoSession) {
  const int32_t start = QPGetLiveBlockCount();
  for (int32_t failing : {1, 2}) {
    SCOPED_TRACE("allocation " + std::to_string(failing) + " fails");
    QPSetAllocFailure(failing);
    EXPECT_EQ(QP_NO_SESSION, QPOpenSession("u", "p", "d", "t", "Name", "addr@example.com"));
    QPSetAllocFailure(0);
    EXPECT_EQ(start, QPGetLiveBlockCount());
  }
}

// The dial-up library uses sessions from a second thread.
TEST(Sessions, HandlesStayUniqueAcrossThreads) {
  constexpr int kPerThread = 500;
  std::vector<QPSESSION> opened[2];
  auto work = [](std::vector<QPSESSION>* out) {
    for (int i = 0; i < kPerThread; ++i) {
      QPSESSION handle = QPOpenSession("t", "", "", "", "Full", nullptr);
      out->push_back(handle);
      QPSetSessionOptions(handle, static_cast<uint32_t>(i));
      if (i % 2 == 0) QPCloseSession(handle);
    }
  };
  std::thread one(work, &opened[0]);
  std::thread two(work, &opened[1]);
  one.join();
  two.join();

  std::set<QPSESSION> open;
  for (auto& list : opened) {
    for (int i = 1; i < kPerThread; i += 2) {
      EXPECT_GT(list[i], 0);
      EXPECT_TRUE(open.insert(list[i]).second) << "handle " << list[i] << " given out twice";
      EXPECT_EQ(static_cast<uint32_t>(i), QPGetSessionOptions(list[i]));
    }
  }
  for (QPSESSION handle : open) EXPECT_EQ(1, QPCloseSession(handle));
}

}  // namespace
