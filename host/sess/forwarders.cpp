// The forwarders QPi<Name>: one expansion of the operation tables. Each finds the member
// session's library, looks up its export QPI<Name> and calls it with the same arguments;
// an unknown session or a missing export gives the empty result (0, null or nothing).
#include "host/sess/session_table.h"
#include "hostapi/qpxsess.h"

#define QP_DEFINE_FORWARDER(Name, Result, Params, Args)                                       \
  Result QPAPI QPi##Name Params {                                                             \
    using Proc = Result(QPAPI*) Params;                                                       \
    using ResultType = Result; /* "char*()" would not parse */                                \
    qp::sess::SessionExport target = qp::sess::findExport(session, "QPi" #Name, "QPI" #Name); \
    if (target.proc != nullptr) return qp::sess::procAs<Proc>(target.proc) Args;              \
    return ResultType();                                                                      \
  }

QP_FORWARDED_OPS(QP_DEFINE_FORWARDER)
QP_OTHER_SHAPE_OPS(QP_DEFINE_FORWARDER)

#undef QP_DEFINE_FORWARDER
