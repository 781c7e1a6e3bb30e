# A machine without GoogleTest and ICU: grapho alone configures, and asking for
# the tests stops at once with the packages to install. Both configure the
# source tree afresh, with the two packages made impossible to find.
# Given: SOURCE_DIR, WORK_DIR, GENERATOR, CXX (the compiler of this build).
set(unfindable -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_ICU=ON)

# Configures in WORK_DIR/name with the further arguments; sets status and output.
function(configure name)
  file(REMOVE_RECURSE "${WORK_DIR}/${name}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/${name}"
                          -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}" ${unfindable} ${ARGN}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(status "${result}" PARENT_SCOPE)
  set(output "${out}${err}" PARENT_SCOPE)
endfunction()

configure(alone)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "grapho alone does not configure without GoogleTest and ICU:\n${output}")
endif()

configure(tests -DGRAPHO_BUILD_TESTS=ON)
string(REGEX REPLACE "[ \n]+" " " said "${output}")
if(status EQUAL 0 OR NOT said MATCHES "apt-get install libgtest-dev libicu-dev")
  message(FATAL_ERROR "asking for the tests without GoogleTest and ICU (${status}) says:\n${output}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
