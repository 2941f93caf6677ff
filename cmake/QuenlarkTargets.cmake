# ql_library(name DEPENDS lib...): a static library of every .cpp in the current folder
# (subfolders excluded), public include root at the project top.
function(ql_library name)
  cmake_parse_arguments(QL "" "" "DEPENDS;SYSLIBS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS QL_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT sources)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp "// no sources yet\n")
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${QL_DEPENDS} ${QL_SYSLIBS})
endfunction()

# ql_test(name DEPENDS lib... [SOURCES file...] [SHARDS n]): one GoogleTest program of every .cpp
# in the current folder, or of the files named there (with the folder's main.cpp), registered as
# one CTest entry run under Wine, or as n entries name_1ofn... that each run every n-th of its
# cases (GoogleTest's shards), for a program that would otherwise run much longer than the others.
# Each entry runs in surroundings of its own (scripts/wine-test.sh: a Wine prefix, Wine server and
# virtual display), so ctest may run them side by side. QL_TESTS_OF_<name> lists the entries.
function(ql_test name)
  cmake_parse_arguments(QL "" "SHARDS" "DEPENDS;SOURCES" ${ARGN})
  if(QL_SOURCES)
    list(TRANSFORM QL_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
      list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
    endif()
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT sources)
    return() # a folder whose tests are not written yet
  endif()
  add_executable(${name} ${sources})
  # A folder with its own main.cpp sets up what its tests need; the others use GoogleTest's.
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
    target_link_libraries(${name} PRIVATE ${QL_DEPENDS} gmock gtest)
  else()
    target_link_libraries(${name} PRIVATE ${QL_DEPENDS} gmock gtest gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(environment "QL_SOURCE_DIR=${CMAKE_SOURCE_DIR};QL_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(NOT QL_SHARDS OR QL_SHARDS LESS 2)
    set(tests ${name})
    set(environment_${name} ${environment})
  else()
    set(tests)
    foreach(shard RANGE 1 ${QL_SHARDS})
      math(EXPR index "${shard} - 1")
      list(APPEND tests ${name}_${shard}of${QL_SHARDS})
      set(environment_${name}_${shard}of${QL_SHARDS}
          "${environment};GTEST_TOTAL_SHARDS=${QL_SHARDS};GTEST_SHARD_INDEX=${index}")
    endforeach()
  endif()
  foreach(test IN LISTS tests)
    add_test(NAME ${test}
             COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh ${test} $<TARGET_FILE:${name}>
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${test} PROPERTIES TIMEOUT 1500 ENVIRONMENT "${environment_${test}}")
  endforeach()
  set(QL_TESTS_OF_${name} ${tests} PARENT_SCOPE)
endfunction()
