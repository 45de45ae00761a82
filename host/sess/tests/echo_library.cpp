// QPXECHO.DLL, a test interface library: it accepts every user, answers every operation
// of the operation tables with kEchoResult and remembers the export name and arguments of
// the last call, which QPIEchoLastCall hands out. Tests only, so its exports are marked
// in the source instead of a .def.
#include <windows.h>

#include <cstring>
#include <type_traits>

#include "host/sess/tests/echo_call.h"
#include "hostapi/qpi_ops.h"

namespace {

qptest::EchoCall lastCall;

template <typename T>
intptr_t asWord(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<intptr_t>(value);
  } else {
    return static_cast<intptr_t>(value);
  }
}

template <typename... A>
void remember(const char* exportName, A... arguments) {
  static_assert(sizeof...(A) <= qptest::kEchoMaxArguments, "too many arguments");
  std::memset(&lastCall, 0, sizeof lastCall);
  std::strncpy(lastCall.exportName, exportName, sizeof lastCall.exportName - 1);
  lastCall.argumentCount = static_cast<int>(sizeof...(A));
  [[maybe_unused]] int i = 0;
  ((lastCall.arguments[i++] = asWord(arguments)), ...);
}

template <typename Result>
Result echoResult() {
  if constexpr (std::is_pointer_v<Result>) {
    return reinterpret_cast<Result>(qptest::kEchoResult);
  } else if constexpr (!std::is_void_v<Result>) {
    return static_cast<Result>(qptest::kEchoResult);
  }
}

// Echo<Result>{name}(arguments...): remembers the call, returns the echo result.
template <typename Result>
struct Echo {
  const char* exportName;
  template <typename... A>
  Result operator()(A... arguments) const {
    remember(exportName, arguments...);
    return echoResult<Result>();
  }
};

}  // namespace

#define QP_ECHO_EXPORT(Name, Result, Params, Args)                 \
  extern "C" __declspec(dllexport) Result QPAPI QPI##Name Params { \
    return Echo<Result>{"QPI" #Name} Args;                         \
  }

QP_FORWARDED_OPS(QP_ECHO_EXPORT)
QP_OTHER_SHAPE_OPS(QP_ECHO_EXPORT)
QP_ECHO_EXPORT(AuthenticateUser, int32_t,
               (const char* mailDatabase, const char* userName, const char* password, int32_t flags,
                void** cell),
               (mailDatabase, userName, password, flags, cell))
QP_ECHO_EXPORT(CleanUpAfterUser, void, (QPSESSION session, const char* userName),
               (session, userName))
QP_ECHO_EXPORT(ClientConfigure, int32_t, (HWND owner, QPSESSION session), (owner, session))
QP_ECHO_EXPORT(QueryCapabilities, uint32_t, (), ())

#undef QP_ECHO_EXPORT

extern "C" __declspec(dllexport) const qptest::EchoCall* QPAPI QPIEchoLastCall() {
  return &lastCall;
}
