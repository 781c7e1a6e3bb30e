# Makes the Windows zip with `cpack -G ZIP`, unpacks it, checks that every file a
# user is promised is there, and runs the unpacked grapho.exe (through EMULATOR,
# Wine) on the example that comes with it, comparing its output with
# examples/quotations.html; then ungrapho.exe types that page back, which
# grapho.exe converts into it, and graphocheck.exe finds nothing in the example.
# Given: SOURCE_DIR, BUILD_DIR, WORK_DIR, CPACK, VERSION, EMULATOR (a list).

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CPACK}" -G ZIP -B "${WORK_DIR}" WORKING_DIRECTORY "${BUILD_DIR}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
set(zip "${WORK_DIR}/grapho-${VERSION}-win64.zip")
if(NOT status EQUAL 0 OR NOT EXISTS "${zip}")
  message(FATAL_ERROR "cpack -G ZIP did not make ${zip} (${status}):\n${output}${errors}")
endif()

file(ARCHIVE_EXTRACT INPUT "${zip}" DESTINATION "${WORK_DIR}/unpacked")
set(folder "${WORK_DIR}/unpacked/grapho-${VERSION}-win64")
foreach(file grapho.exe ungrapho.exe graphocheck.exe README.md LICENSE THIRD-PARTY-NOTICES.txt chart.md docs/quotations.png
             examples/quotations.txt examples/quotations.html)
  if(NOT EXISTS "${folder}/${file}")
    message(FATAL_ERROR "not in the zip: ${file}")
  endif()
endforeach()
file(READ "${folder}/chart.md" chart)
if(NOT chart MATCHES "### Letters.*\\| `a` \\| α \\|")
  message(FATAL_ERROR "chart.md holds no chart")
endif()

if(NOT EMULATOR)
  message("SKIPPED: no emulator to run grapho.exe")
  return()
endif()
execute_process(COMMAND ${EMULATOR} "${folder}/grapho.exe" examples/quotations.txt
                WORKING_DIRECTORY "${folder}" INPUT_FILE /dev/null RESULT_VARIABLE status
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "\nPress <ENTER> to terminate...")
  message(FATAL_ERROR "the unpacked grapho.exe failed (${status}): ${errors}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${folder}/examples/quotations.html"
                        "${SOURCE_DIR}/examples/quotations.html" RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "the unpacked grapho.exe's quotations.html differs from the example's")
endif()

execute_process(COMMAND ${EMULATOR} "${folder}/ungrapho.exe" examples/quotations.html
                WORKING_DIRECTORY "${folder}" OUTPUT_FILE "${folder}/typed.txt"
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "the unpacked ungrapho.exe failed (${status}): ${errors}")
endif()
execute_process(COMMAND ${EMULATOR} "${folder}/grapho.exe" typed.txt WORKING_DIRECTORY "${folder}"
                INPUT_FILE /dev/null RESULT_VARIABLE status ERROR_QUIET)
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${folder}/typed.html"
                        "${SOURCE_DIR}/examples/quotations.html" RESULT_VARIABLE differs)
if(NOT status EQUAL 0 OR differs)
  message(FATAL_ERROR "grapho.exe does not convert ungrapho.exe's typing into the page")
endif()

execute_process(COMMAND ${EMULATOR} "${folder}/graphocheck.exe" examples/quotations.txt
                WORKING_DIRECTORY "${folder}" RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT output STREQUAL "" OR NOT errors STREQUAL "")
  message(FATAL_ERROR "the unpacked graphocheck.exe finds mistakes in the example (${status}): "
                      "${output}${errors}")
endif()
