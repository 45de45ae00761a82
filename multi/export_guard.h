// Keeps C++ exceptions (out of memory while building a registry path, say) from
// crossing an export of QPXMULTI.DLL: the export gives its failure result instead.
#pragma once

namespace qpmulti {

template <typename Result, typename Body>
Result guardExport(Result failure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

template <typename Body>
void guardExport(Body body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

}  // namespace qpmulti
