// List exports: address, attachment and message-line arrays of QPmalloc'd strings, their
// capacities, appending to a partly filled array and running out of memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostapi/qpxcomm.h"

namespace {

using Filler = int32_t(QPAPI*)(const char*, char**, int32_t);

// A zero-filled array of capacity + 1 pointers that frees its entries at the end.
class Array {
 public:
  explicit Array(size_t capacity) : slots_(capacity + 1, nullptr) {}
  ~Array() {
    for (char* entry : slots_) QPfree(entry);
  }
  char** get() { return slots_.data(); }
  std::vector<std::string> entries() const {
    std::vector<std::string> out;
    for (const char* entry : slots_)
      if (entry != nullptr) out.emplace_back(entry);
    return out;
  }
  bool lastIsNull() const { return slots_.back() == nullptr; }

 private:
  std::vector<char*> slots_;
};

TEST(Arrays, FillersSplitAndStopAtTheCapacity) {
  struct Case {
    const char* what;
    Filler fill;
    const char* text;
    int32_t capacity;
    std::vector<std::string> expected;
  } const cases[] = {
      {"addresses", AddressStringToArray, "a@x.example, \"Doe, J\" <j@y.example>; c@z", 10,
       {"a@x.example", "\"Doe, J\" <j@y.example>", "c@z"}},
      {"addresses", AddressStringToArray, "a@x, b@y, c@z", 2, {"a@x", "b@y"}},
      {"addresses", AddressStringToArray, "a@x", 0, {}},
      {"attachments", AttachmentStringToArray, "C:\\a.txt;C:\\b.doc\r\nC:\\c.pdf", 10,
       {"C:\\a.txt", "C:\\b.doc", "C:\\c.pdf"}},
      {"attachments", AttachmentStringToArray, "a;b;c", 1, {"a"}},
      {"lines", ParseMessageToStrings, "one\r\ntwo\n\nlast", 10, {"one", "two", "", "last"}},
      {"lines", ParseMessageToStrings, "one\ntwo\nthree\n", 2, {"one", "two"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.text + " capacity " + std::to_string(c.capacity));
    const int32_t start = QPGetLiveBlockCount();
    {
      Array array(static_cast<size_t>(c.capacity));
      EXPECT_EQ(static_cast<int32_t>(c.expected.size()), c.fill(c.text, array.get(), c.capacity));
      EXPECT_EQ(c.expected, array.entries());
      EXPECT_TRUE(array.lastIsNull());
    }
    EXPECT_EQ(start, QPGetLiveBlockCount());
  }
}

TEST(Arrays, CapacitiesAreBoundedByEachListsMaximum) {
  struct Case {
    const char* what;
    Filler fill;
    const char* separator;
    int32_t maximum;
  } const cases[] = {
      {"attachments", AttachmentStringToArray, ";", 200},
      {"lines", ParseMessageToStrings, "\n", 20000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text;
    for (int32_t i = 0; i < c.maximum + 50; ++i) text += "e" + std::to_string(i) + c.separator;
    Array array(static_cast<size_t>(c.maximum + 100));
    EXPECT_EQ(c.maximum, c.fill(text.c_str(), array.get(), c.maximum + 100));
    EXPECT_EQ(static_cast<size_t>(c.maximum), array.entries().size());
  }
}

TEST(Arrays, NewEntriesGoAfterTheOnesAlreadyThere) {
  Array array(4);
  ASSERT_EQ(1, AddToAddressList(array.get(), "first@x"));
  ASSERT_EQ(2, AddToAddressList(array.get(), "second@x"));
  char* first = array.get()[0];
  EXPECT_EQ(4, AddressStringToArray("a@x, b@y, c@z", array.get(), 4));
  EXPECT_EQ(first, array.get()[0]);
  EXPECT_EQ((std::vector<std::string>{"first@x", "second@x", "a@x", "b@y"}), array.entries());
  EXPECT_EQ(4, ParseMessageToStrings("more", array.get(), 4));  // full: nothing added
  EXPECT_TRUE(array.lastIsNull());
}

TEST(Arrays, FailedAllocationKeepsWhatWasStoredAndLeaksNothing) {
  const int32_t start = QPGetLiveBlockCount();
  struct Case {
    const char* what;
    Filler fill;
    const char* text;
    const char* first;
  } const cases[] = {
      {"addresses", AddressStringToArray, "a@x, b@y, c@z", "a@x"},
      {"attachments", AttachmentStringToArray, "a;b;c", "a"},
      {"lines", ParseMessageToStrings, "a\nb\nc", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      Array array(10);
      QPSetAllocFailure(2);
      EXPECT_EQ(-1, c.fill(c.text, array.get(), 10));
      QPSetAllocFailure(0);
      EXPECT_EQ(std::vector<std::string>{c.first}, array.entries());
    }
    EXPECT_EQ(start, QPGetLiveBlockCount());
  }
  Array list(50000);
  QPSetAllocFailure(1);
  EXPECT_EQ(-1, AddToAddressList(list.get(), "x@y"));
  QPSetAllocFailure(0);
  EXPECT_TRUE(list.entries().empty());
}

TEST(Arrays, AddressListHoldsAtMost50000Entries) {
  static char dummy[] = "d@x";
  std::vector<char*> slots(50001, nullptr);
  for (int i = 0; i < 49999; ++i) slots[i] = dummy;
  const int32_t start = QPGetLiveBlockCount();
  EXPECT_EQ(50000, AddToAddressList(slots.data(), "last@x"));
  EXPECT_STREQ("last@x", slots[49999]);
  EXPECT_EQ(-1, AddToAddressList(slots.data(), "over@x"));
  EXPECT_EQ(nullptr, slots[50000]);
  EXPECT_EQ(start + 1, QPGetLiveBlockCount());
  // Address lists follow the same limit when asked for more.
  std::vector<char*> more(60001, nullptr);
  for (int i = 0; i < 49998; ++i) more[i] = dummy;
  EXPECT_EQ(50000, AddressStringToArray("a@x, b@y, c@z", more.data(), 60000));
  EXPECT_EQ(nullptr, more[50000]);
  QPfree(slots[49999]);
  QPfree(more[49998]);
  QPfree(more[49999]);
}

}  // namespace
