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

# ql_test(name DEPENDS lib... [WINDOWS]): one GoogleTest program of every .cpp in the
# current folder, registered as one CTest entry run under Wine.
function(ql_test name)
  cmake_parse_arguments(QL "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
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
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-exec.sh $<TARGET_FILE:${name}>
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 1500
    ENVIRONMENT "QL_SOURCE_DIR=${CMAKE_SOURCE_DIR};QL_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()
