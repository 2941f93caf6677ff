# The fake ODBC driver: a native Linux shared library built with the host compiler, and the ini
# files that register it beside the real drivers. Test programs that talk to databases call
# ql_use_fake_odbc(<test>) so unixODBC reads these files instead of /etc.
set(QL_FAKEODBC_DIR ${CMAKE_BINARY_DIR}/tests/odbc)
set(QL_FAKEODBC_LIB ${QL_FAKEODBC_DIR}/libquenlarkfakeodbc.so)

if(NOT TARGET quenlark_fakeodbc)
  file(GLOB fake_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakeodbc/*.c)
  find_program(QL_HOST_CC NAMES gcc cc REQUIRED)
  add_custom_command(OUTPUT ${QL_FAKEODBC_LIB}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QL_FAKEODBC_DIR}
    # -Bsymbolic: the driver's calls to its own SQL functions must not reach the driver manager's.
    COMMAND ${QL_HOST_CC} -shared -fPIC -O1 -g -Wall -Wl,-Bsymbolic -o ${QL_FAKEODBC_LIB} ${fake_sources} -lodbcinst
    DEPENDS ${fake_sources} ${CMAKE_SOURCE_DIR}/tests/fakeodbc/fake_driver.h
    COMMENT "Building the fake ODBC driver with the host compiler")
  add_custom_target(quenlark_fakeodbc ALL DEPENDS ${QL_FAKEODBC_LIB})
  configure_file(${CMAKE_SOURCE_DIR}/tests/fakeodbc/odbcinst.ini.in ${QL_FAKEODBC_DIR}/odbcinst.ini @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/tests/fakeodbc/odbc.ini.in ${QL_FAKEODBC_DIR}/odbc.ini @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/tests/fakeodbc/user.ini.in ${QL_FAKEODBC_DIR}/user.ini @ONLY)
endif()

# test: a program of ql_test; every CTest entry of it (each of its shards) reads the files.
function(ql_use_fake_odbc test)
  add_dependencies(${test} quenlark_fakeodbc)
  set(entries ${test})
  if(DEFINED QL_TESTS_OF_${test})
    set(entries ${QL_TESTS_OF_${test}})
  endif()
  set_property(TEST ${entries} APPEND PROPERTY ENVIRONMENT
    "ODBCSYSINI=${QL_FAKEODBC_DIR}" "ODBCINI=${QL_FAKEODBC_DIR}/user.ini")
endfunction()
