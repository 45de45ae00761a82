// Host lists from fuzzer input, for the list targets: the texts separated by zero bytes,
// a text of the single byte 0x01 standing for a null entry.
#pragma once

#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "multi/tests/host_list.h"

namespace qpfuzz {

struct ListInput {
  std::vector<std::string> texts;
  std::vector<bool> present;
};

inline ListInput readList(Input& in, size_t most) {
  ListInput list;
  for (std::string& text : in.texts(most)) {
    list.present.push_back(text != "\x01");
    list.texts.push_back(text);
  }
  return list;
}

// True when `after` is `before` with some entries left out, the rest in their order.
inline bool isSubsequence(const std::vector<std::string>& after,
                          const std::vector<std::string>& before) {
  size_t j = 0;
  for (const std::string& text : before) {
    if (j < after.size() && after[j] == text) ++j;
  }
  return j == after.size();
}

}  // namespace qpfuzz
