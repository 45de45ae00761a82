// Our RASAPI32.DLL as a RAS client meets it: the phonebook with its buffer-size rules,
// stored dial parameters, dials that post their scripted states to the notifier window
// or fail at once, hang-ups that stop a call, script errors, and the journal of every
// call. Loaded by name, so the test also shows that Wine takes ours.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/win/unique.h"
#include "dialup/core/ras_types.h"

namespace {

using qpras::RasDialParamsA;
using qpras::RasEntryNameA;
using EnumProc = DWORD(WINAPI*)(const char*, const char*, RasEntryNameA*, DWORD*, DWORD*);
using ParamsProc = DWORD(WINAPI*)(const char*, RasDialParamsA*, BOOL*);
using DialProc = DWORD(WINAPI*)(void*, const char*, RasDialParamsA*, DWORD, void*, HANDLE*);
using HangUpProc = DWORD(WINAPI*)(HANDLE);
using ResetProc = void(WINAPI*)();

template <typename Proc>
Proc lookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static int counter = 0;
    base_ = std::string(temp) + "rasfake-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    SetEnvironmentVariableA("QP_RASFAKE_SCRIPT", (base_ + ".script").c_str());
    SetEnvironmentVariableA("QP_RASFAKE_JOURNAL", (base_ + ".journal").c_str());
    ras_.reset(LoadLibraryA("RASAPI32.DLL"));
    ASSERT_TRUE(ras_);
    auto reset = lookUp<ResetProc>(ras_.get(), "RasFakeReset");
    ASSERT_NE(nullptr, reset) << "Wine's built-in RASAPI32.DLL was loaded";
    reset();
    enumEntries_ = lookUp<EnumProc>(ras_.get(), "RasEnumEntriesA");
    getParams_ = lookUp<ParamsProc>(ras_.get(), "RasGetEntryDialParamsA");
    dial_ = lookUp<DialProc>(ras_.get(), "RasDialA");
    hangUp_ = lookUp<HangUpProc>(ras_.get(), "RasHangUpA");
    ASSERT_TRUE(enumEntries_ && getParams_ && dial_ && hangUp_);
    window_ = CreateWindowExA(0, "STATIC", "notifier", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(nullptr, window_);
    script("entry Office | 555-0100 | jane | s3cret\nentry Home | 555-0111 | bob\n");
  }
  void TearDown() override {
    DestroyWindow(window_);
    ras_.reset();
    DeleteFileA((base_ + ".script").c_str());
    DeleteFileA((base_ + ".journal").c_str());
    SetEnvironmentVariableA("QP_RASFAKE_SCRIPT", nullptr);
    SetEnvironmentVariableA("QP_RASFAKE_JOURNAL", nullptr);
  }

  void script(const std::string& text) {
    std::ofstream out(base_ + ".script", std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::vector<std::string> journal() const {
    std::ifstream in(base_ + ".journal", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  static RasDialParamsA params(const char* entry, const char* phone = "") {
    RasDialParamsA p;
    std::memset(&p, 0, sizeof p);
    p.dwSize = qpras::kRasDialParamsSize;
    std::strcpy(p.szEntryName, entry);
    std::strcpy(p.szPhoneNumber, phone);
    std::strcpy(p.szUserName, "jane");
    return p;
  }
  // The RAS dial event states that reach the window within `ms`.
  std::vector<DWORD> states(DWORD ms) {
    const UINT event = RegisterWindowMessageA("RasDialEvent");
    std::vector<DWORD> seen;
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
      MSG message;
      while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
        if (message.message == event) seen.push_back(static_cast<DWORD>(message.wParam));
      }
      Sleep(5);
    }
    return seen;
  }

  std::string base_;
  qp::UniqueModule ras_;
  HWND window_ = nullptr;
  EnumProc enumEntries_ = nullptr;
  ParamsProc getParams_ = nullptr;
  DialProc dial_ = nullptr;
  HangUpProc hangUp_ = nullptr;
};

TEST_F(ServiceTest, PhonebookFollowsTheBufferRules) {
  RasEntryNameA entries[3];
  std::memset(entries, 0, sizeof entries);
  DWORD size = sizeof entries, count = 99;
  EXPECT_EQ(qpras::kRasErrorInvalidSize, enumEntries_(nullptr, nullptr, entries, &size, &count));
  entries[0].dwSize = qpras::kRasEntryNameSizeOf;
  size = qpras::kRasEntryNameSizeOf;  // room for one
  EXPECT_EQ(qpras::kRasErrorBufferTooSmall, enumEntries_(nullptr, nullptr, entries, &size, &count));
  EXPECT_EQ(2u * qpras::kRasEntryNameSizeOf, size);
  EXPECT_EQ(2u, count);
  EXPECT_EQ(0u, enumEntries_(nullptr, nullptr, entries, &size, &count));
  EXPECT_EQ(2u, count);
  EXPECT_STREQ("Office", entries[0].szEntryName);
  EXPECT_STREQ("Home", entries[1].szEntryName);
  EXPECT_EQ(qpras::kRasEntryNameSizeOf, entries[1].dwSize);

  script("entry Office\nenum-error 610\n");
  EXPECT_EQ(610u, enumEntries_(nullptr, nullptr, entries, &size, &count));
  SetEnvironmentVariableA("QP_RASFAKE_SCRIPT", nullptr);  // no script: an empty phonebook
  size = sizeof entries;
  EXPECT_EQ(0u, enumEntries_(nullptr, nullptr, entries, &size, &count));
  EXPECT_EQ(0u, count);
}

TEST_F(ServiceTest, StoredDialParametersOfAnEntry) {
  RasDialParamsA p = params("OFFICE");
  BOOL stored = FALSE;
  ASSERT_EQ(0u, getParams_(nullptr, &p, &stored));
  EXPECT_STREQ("555-0100", p.szPhoneNumber);
  EXPECT_STREQ("jane", p.szUserName);
  EXPECT_STREQ("s3cret", p.szPassword);
  EXPECT_TRUE(stored);
  p = params("Home");
  ASSERT_EQ(0u, getParams_(nullptr, &p, &stored));
  EXPECT_STREQ("", p.szPassword);
  EXPECT_FALSE(stored);
  p = params("Nowhere");
  EXPECT_EQ(qpras::kRasErrorCannotFindEntry, getParams_(nullptr, &p, &stored));
  p.dwSize = 1060;
  EXPECT_EQ(qpras::kRasErrorInvalidSize, getParams_(nullptr, &p, &stored));
  script("entry Office\nparams-error 5\n");
  p = params("Office");
  EXPECT_EQ(5u, getParams_(nullptr, &p, &stored));
}

TEST_F(ServiceTest, DialsPostTheirStatesOrFailAsScripted) {
  script("entry Office | 555-0100 | jane | s3cret\n"
         "dial PortOpened Authenticate Connected\n"
         "dial error 633\n"
         "dial error 678 nohandle\n");
  RasDialParamsA p = params("Office");
  HANDLE connection = nullptr;
  ASSERT_EQ(0u, dial_(nullptr, nullptr, &p, qpras::kRasNotifyWindow, window_, &connection));
  EXPECT_EQ(reinterpret_cast<HANDLE>(1), connection);
  EXPECT_EQ((std::vector<DWORD>{1, 5, 0x2000}), states(300));
  EXPECT_EQ(633u, dial_(nullptr, nullptr, &p, qpras::kRasNotifyWindow, window_, &connection));
  EXPECT_EQ(reinterpret_cast<HANDLE>(2), connection);  // handed out: to be hung up
  EXPECT_EQ(0u, hangUp_(connection));
  EXPECT_EQ(678u, dial_(nullptr, nullptr, &p, qpras::kRasNotifyWindow, window_, &connection));
  EXPECT_EQ(nullptr, connection);
  EXPECT_EQ(629u, dial_(nullptr, nullptr, &p, qpras::kRasNotifyWindow, window_, &connection));
  EXPECT_EQ(qpras::kRasErrorInvalidParameter, dial_(nullptr, nullptr, &p, 0, window_, &connection));
  RasDialParamsA unknown = params("Nowhere");
  EXPECT_EQ(qpras::kRasErrorCannotFindEntry,
            dial_(nullptr, nullptr, &unknown, qpras::kRasNotifyWindow, window_, &connection));
  EXPECT_TRUE(states(50).empty());
}

TEST_F(ServiceTest, HangUpStopsTheCallsStates) {
  script("entry Office | 555-0100\ndelay 100\ndial PortOpened Authenticate Connected\n");
  RasDialParamsA p = params("Office");
  HANDLE connection = nullptr;
  ASSERT_EQ(0u, dial_(nullptr, nullptr, &p, qpras::kRasNotifyWindow, window_, &connection));
  EXPECT_EQ((std::vector<DWORD>{1}), states(150));
  EXPECT_EQ(0u, hangUp_(connection));
  EXPECT_TRUE(states(300).empty());
  EXPECT_EQ(qpras::kRasErrorInvalidHandle, hangUp_(connection));
}

TEST_F(ServiceTest, EveryCallIsJournaledAndAScriptErrorToo) {
  script("entry Office | 555-0100 | jane | s3cret\ndial Connected\n");
  RasDialParamsA p = params("Office");
  std::strcpy(p.szPassword, "s3cret");  // journaled as its length, matched to the entry
  HANDLE connection = nullptr;
  BOOL stored = FALSE;
  dial_(nullptr, nullptr, &p, qpras::kRasNotifyWindow, window_, &connection);
  RasDialParamsA other = params("Office", "555-0999");
  getParams_(nullptr, &other, &stored);
  hangUp_(connection);
  script("entry Office\nwhatever\n");
  RasEntryNameA entry[1] = {{qpras::kRasEntryNameSizeOf, ""}};
  DWORD size = sizeof entry, count = 0;
  EXPECT_EQ(qpras::kRasErrorCannotOpenPhonebook, enumEntries_(nullptr, nullptr, entry, &size, &count));
  const std::vector<std::string> lines = journal();
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("RasDialA\textensions=no\tphonebook=\tentry=Office\tphone=\tuser=jane\tpassword=****(6)\t"
            "callback=\tdomain=\tnotifier=0xFFFFFFFF\twindow=yes\tdials=555-0100\t"
            "stored-password=yes\thandle=1\t-> 0",
            lines[0]);
  EXPECT_EQ("RasGetEntryDialParamsA\tphonebook=\tentry=Office\t-> 0", lines[1]);
  EXPECT_EQ("RasHangUpA\thandle=1\t-> 0", lines[2]);
  EXPECT_NE(std::string::npos, lines[3].find("\terror=line 2: unknown instruction 'whatever'\t"))
      << lines[3];
  EXPECT_EQ("RasEnumEntriesA\treserved=no\tphonebook=\tsize=264\t-> 621", lines[4]);
}

}  // namespace
