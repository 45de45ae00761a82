# Helpers shared by every subsystem's CMakeLists: test registration, exports with fixed
# ordinals, and import libraries for the mail server's own libraries.

# Where the test programs write their GoogleTest XML results. Windows programs see the
# Unix file system as drive Z: under Wine.
if(QP_WIN32)
  set(QP_RESULT_PATH "Z:${QP_RESULT_DIR}")
  set(QP_WINEPREFIX "${CMAKE_SOURCE_DIR}/build/wine" CACHE PATH "Wine prefix for the tests")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
else()
  set(QP_RESULT_PATH "${QP_RESULT_DIR}")
endif()

# qp_add_test(NAME SOURCES a.cpp ... LIBS x y)
# One GoogleTest program per area of behaviour; ctest runs it as one process (under
# Wine for the Windows builds). The 32-bit build compiles no tests: its programs cannot
# run on the build machines.
function(qp_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QP_BUILD_TESTS OR QP_I686)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${QP_RESULT_PATH}/${name}.xml)
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# Gives a DLL or EXE an upper-case file name without the "lib" prefix.
function(qp_binary_name target name suffix)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ${suffix}
                                              IMPORT_PREFIX "lib" IMPORT_SUFFIX ".a")
endfunction()

# qp_server_library(target NAME def)
# A DLL that our components link against (QPXCOMM, QPXSESS). Its .def names each export
# with its i686 stdcall decoration (Name@bytes) and is linked with --kill-at, so the
# export table carries the plain names on both architectures. The i686 import library
# is made from the same .def by dlltool -k, so that callers' decorated references bind
# to the plain names; on x86_64 there is no decoration and the linker's own import
# library serves. Callers link the INTERFACE target ${target}_import.
function(qp_server_library target name def)
  qp_binary_name(${target} ${name} ".DLL")
  target_sources(${target} PRIVATE ${def})
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  add_library(${target}_import INTERFACE)
  if(QP_I686)
    set(implib ${CMAKE_BINARY_DIR}/lib/lib${name}_stdcall.a)
    add_custom_command(OUTPUT ${implib}
      COMMAND ${QP_DLLTOOL} -k -d ${def} -D ${name}.DLL -l ${implib}
      DEPENDS ${def} VERBATIM)
    add_custom_target(${target}_implib DEPENDS ${implib})
    add_dependencies(${target}_import ${target}_implib ${target})
    target_link_libraries(${target}_import INTERFACE ${implib})
  else()
    target_link_libraries(${target}_import INTERFACE ${target})
  endif()
endfunction()

# qp_interface_exports(target def)
# A DLL that the mail server loads by name and calls through GetProcAddress: its .def
# lists undecorated names with fixed ordinals; stdcall fixup binds them on i686.
function(qp_interface_exports target def)
  target_sources(${target} PRIVATE ${def})
  if(QP_I686)
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
endfunction()

# qp_check_exports(target def)
# A test (in the shipped 32-bit build) that the DLL's export table carries exactly the
# .def's names at the .def's ordinals.
function(qp_check_exports target def)
  if(QP_I686 AND QP_BUILD_TESTS)
    add_test(NAME exports_${target}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check-exports.sh
                     ${QP_OBJDUMP} $<TARGET_FILE:${target}> ${def})
  endif()
endfunction()
