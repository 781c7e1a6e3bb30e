# Installs grapho as a user would and runs the installed program on the example
# that comes with it, comparing its output with examples/quotations.html; then
# the installed ungrapho types that page back, which grapho converts into it,
# and the installed graphocheck finds nothing in the example and a mistake in
# a line typed wrong.
#   MODE=install: `cmake --install` into a fresh prefix.
#   MODE=package: `cpack -G DEB`, then the package's fields and its files
#                 unpacked (needs dpkg-deb).
# Also given: SOURCE_DIR, BUILD_DIR, WORK_DIR, EMULATOR (a list, empty but in a
# cross build); for packages CPACK and VERSION.

# Runs a command and stops the test when it fails; its output goes to `out_var`.
function(run_or_fail out_var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${output}${errors}")
  endif()
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

# The prefix of an installed tree: every file a user is promised is there, and
# the program converts the example exactly.
function(check_installed_tree prefix)
  foreach(file bin/grapho bin/ungrapho bin/graphocheck share/man/man1/grapho.1.gz
               share/man/man1/ungrapho.1.gz share/man/man1/graphocheck.1.gz
               share/doc/grapho/README.md
               share/doc/grapho/copyright share/doc/grapho/changelog.gz
               share/doc/grapho/examples/quotations.txt)
    if(NOT EXISTS "${prefix}/${file}")
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()
  set(run_dir "${WORK_DIR}/run")
  file(MAKE_DIRECTORY "${run_dir}")
  file(COPY "${prefix}/share/doc/grapho/examples/quotations.txt" DESTINATION "${run_dir}")
  execute_process(COMMAND ${EMULATOR} "${prefix}/bin/grapho" quotations.txt WORKING_DIRECTORY "${run_dir}"
                  INPUT_FILE /dev/null RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT errors STREQUAL "\nPress <ENTER> to terminate...")
    message(FATAL_ERROR "the installed grapho failed (${status}): ${errors}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${run_dir}/quotations.html"
                          "${SOURCE_DIR}/examples/quotations.html" RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "the installed grapho's quotations.html differs from the example's")
  endif()
  execute_process(COMMAND ${EMULATOR} "${prefix}/bin/ungrapho" quotations.html WORKING_DIRECTORY "${run_dir}"
                  OUTPUT_FILE "${run_dir}/typed.txt" RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "the installed ungrapho failed (${status}): ${errors}")
  endif()
  execute_process(COMMAND ${EMULATOR} "${prefix}/bin/grapho" typed.txt WORKING_DIRECTORY "${run_dir}"
                  INPUT_FILE /dev/null RESULT_VARIABLE status ERROR_QUIET)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${run_dir}/typed.html"
                          "${SOURCE_DIR}/examples/quotations.html" RESULT_VARIABLE differs)
  if(NOT status EQUAL 0 OR differs)
    message(FATAL_ERROR "grapho does not convert the installed ungrapho's typing into the page")
  endif()
  execute_process(COMMAND ${EMULATOR} "${prefix}/bin/graphocheck" quotations.txt WORKING_DIRECTORY "${run_dir}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL 0 OR NOT output STREQUAL "" OR NOT errors STREQUAL "")
    message(FATAL_ERROR "the installed graphocheck finds mistakes in the example (${status}): "
                        "${output}${errors}")
  endif()
  file(WRITE "${run_dir}/wrong.txt" "$/\\a$")
  execute_process(COMMAND ${EMULATOR} "${prefix}/bin/graphocheck" wrong.txt WORKING_DIRECTORY "${run_dir}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output)
  if(NOT status EQUAL 1 OR NOT output MATCHES "^wrong.txt:1:4: error: .* \\[mixed-accents\\]\n$")
    message(FATAL_ERROR "the installed graphocheck misses a mistake (${status}): ${output}")
  endif()
endfunction()

# The package's control field `name` must match `expected` (a regular expression).
function(check_field deb name expected)
  run_or_fail(value dpkg-deb --field "${deb}" ${name})
  if(NOT value MATCHES "${expected}")
    message(FATAL_ERROR "${name}: '${value}' does not match '${expected}'")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
if(MODE STREQUAL "install")
  run_or_fail(ignored "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${WORK_DIR}/prefix")
  check_installed_tree("${WORK_DIR}/prefix")
elseif(MODE STREQUAL "package")
  find_program(DPKG_DEB dpkg-deb)
  if(NOT DPKG_DEB)
    message("SKIPPED: dpkg-deb is not installed")
    return()
  endif()
  run_or_fail(ignored "${CPACK}" -G DEB -B "${WORK_DIR}" WORKING_DIRECTORY "${BUILD_DIR}")
  file(GLOB deb "${WORK_DIR}/grapho_*.deb")
  check_field("${deb}" Package "^grapho\n$")
  check_field("${deb}" Version "^${VERSION}\n$")
  check_field("${deb}" Maintainer "^The grapho authors <[^@ ]+@[^@ ]+>\n$")
  check_field("${deb}" Description
              "^Transliterated polytonic Greek.*\n .*manual page.*ungrapho.*graphocheck")
  run_or_fail(ignored dpkg-deb --extract "${deb}" "${WORK_DIR}/root")
  check_installed_tree("${WORK_DIR}/root/usr")
else()
  message(FATAL_ERROR "MODE must be install or package")
endif()
