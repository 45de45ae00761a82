// RAII owners for what the common library hands out: QPmalloc blocks and libraries
// loaded with QPLoadLibrary.
#pragma once

#include "common/win/unique.h"
#include "hostapi/qpxcomm.h"

namespace qp {

struct QpBlockTraits {
  using Type = void*;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type block) noexcept { ::QPfree(block); }
};
struct QpLibraryTraits {
  using Type = HMODULE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type module) noexcept { ::QPFreeLibrary(module); }
};

using UniqueQpBlock = UniqueAny<QpBlockTraits>;
using UniqueQpLibrary = UniqueAny<QpLibraryTraits>;

// A typed view of a QPmalloc block.
template <typename T>
T* blockAs(const UniqueQpBlock& block) noexcept {
  return static_cast<T*>(block.get());
}

}  // namespace qp
