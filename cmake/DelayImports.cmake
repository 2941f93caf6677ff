# ql_delay_import(var dll...): import libraries that load each DLL on the first call into it
# instead of at process start, in ${var} (with the delay-load helper). Under Wine, importing
# shell32 and comdlg32 (with the printing DLLs the latter pulls in) made a plain window program
# start about 25 ms later and 10 MB larger, for file dialogs and shell calls that come later if
# at all.
find_program(QL_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool)
find_program(QL_NM NAMES x86_64-w64-mingw32-nm nm)

function(ql_delay_import var)
  set(libs)
  foreach(dll IN LISTS ARGN)
    find_library(ql_import_${dll} NAMES ${dll} NO_CACHE)
    set(out ${CMAKE_BINARY_DIR}/delay-imports/lib${dll}_delay.a)
    if(NOT ql_import_${dll} OR NOT QL_DLLTOOL OR NOT QL_NM)
      list(APPEND libs ${dll}) # plain import: loaded at start, as before
      continue()
    endif()
    if(NOT EXISTS ${out} OR ${ql_import_${dll}} IS_NEWER_THAN ${out})
      # Every function of the system's import library, so any call links as it did.
      execute_process(COMMAND ${QL_NM} ${ql_import_${dll}} OUTPUT_VARIABLE symbols
                      RESULT_VARIABLE nm_result)
      string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
      list(TRANSFORM imports REPLACE " I __imp_" "")
      list(REMOVE_DUPLICATES imports)
      list(JOIN imports "\n  " exports)
      file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay-imports)
      file(WRITE ${CMAKE_BINARY_DIR}/delay-imports/${dll}.def
           "LIBRARY ${dll}.dll\nEXPORTS\n  ${exports}\n")
      execute_process(COMMAND ${QL_DLLTOOL} --input-def ${CMAKE_BINARY_DIR}/delay-imports/${dll}.def
                              --output-delaylib ${out} --dllname ${dll}.dll
                      RESULT_VARIABLE dlltool_result)
      if(NOT nm_result EQUAL 0 OR NOT dlltool_result EQUAL 0 OR NOT imports)
        file(REMOVE ${out})
        list(APPEND libs ${dll})
        continue()
      endif()
    endif()
    list(APPEND libs ${out})
  endforeach()
  list(APPEND libs delayimp)
  set(${var} ${libs} PARENT_SCOPE)
endfunction()
