// One RAII owner template for Win32 handles and mail-server blocks (after WIL's
// unique_any), its aliases, and a scope guard. No raw RegCloseKey, FreeLibrary,
// CloseHandle or QPfree outside these owners.
#pragma once

#include <windows.h>

#include <utility>

namespace qp {

// Traits: Type, invalid() and close(Type).
template <typename Traits>
class UniqueAny {
 public:
  using Type = typename Traits::Type;

  UniqueAny() noexcept : value_(Traits::invalid()) {}
  explicit UniqueAny(Type value) noexcept : value_(value) {}
  ~UniqueAny() { reset(); }
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  Type get() const noexcept { return value_; }
  // For out-parameters: closes what is held and hands out the slot.
  Type* put() noexcept {
    reset();
    return &value_;
  }
  Type release() noexcept { return std::exchange(value_, Traits::invalid()); }
  void reset(Type value = Traits::invalid()) noexcept {
    Type old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }
  explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

 private:
  Type value_;
};

struct RegKeyTraits {
  using Type = HKEY;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type key) noexcept { ::RegCloseKey(key); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type module) noexcept { ::FreeLibrary(module); }
};
// CreateFile reports failure with INVALID_HANDLE_VALUE, most other calls with null.
struct FileTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type handle) noexcept { ::CloseHandle(handle); }
};
struct HandleTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return nullptr; }
  static void close(Type handle) noexcept { ::CloseHandle(handle); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Type handle) noexcept { ::FindClose(handle); }
};

using UniqueHKey = UniqueAny<RegKeyTraits>;
using UniqueModule = UniqueAny<ModuleTraits>;
using UniqueFile = UniqueAny<FileTraits>;
using UniqueHandle = UniqueAny<HandleTraits>;
using UniqueFind = UniqueAny<FindTraits>;

// Runs a callable when the scope ends, unless dismissed.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) noexcept : f_(std::move(f)) {}
  ~ScopeExit() {
    if (active_) f_();
  }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  void dismiss() noexcept { active_ = false; }

 private:
  F f_;
  bool active_ = true;
};

}  // namespace qp
