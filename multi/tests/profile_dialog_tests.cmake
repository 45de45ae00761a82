# The profile dialogs driven through real window messages under Wine and Xvfb: one
# program, run in a server directory of its own that holds copies of QPXMULTI.DLL, the
# sample interface library under several names, and the two half libraries below.
if(NOT QP_BUILD_TESTS OR QP_I686)
  return()
endif()

foreach(odd NOSTATUS NOAUTH)
  add_library(QPX${odd} SHARED tests/odd_library.cpp)
  qp_binary_name(QPX${odd} QPX${odd} ".DLL")
endforeach()
target_compile_definitions(QPXNOSTATUS PRIVATE QP_ODD_HAS_AUTHENTICATE)
target_compile_definitions(QPXNOAUTH PRIVATE QP_ODD_HAS_STATUS)

qp_add_test(multi_profile_dialog_test
  SOURCES tests/profile_dialog_test.cpp tests/member_dialog_test.cpp tests/dialog_fixture.cpp
  LIBS qp_dialog_driver qpmulti_store QPXCOMM_import)
add_dependencies(multi_profile_dialog_test QPXMULTI QPXSESS QPXPOP3 QPXIMAP QPXNOSTATUS QPXNOAUTH)
