# Builds the web page and the core's conversion tests with Emscripten into
# BUILD_DIR, as the README says, or says that it is skipped where Emscripten
# is missing.
find_program(EMCMAKE emcmake)
if(NOT EMCMAKE)
  message("SKIPPED: no Emscripten (apt-get install emscripten node-acorn)")
  return()
endif()
execute_process(COMMAND ${EMCMAKE} ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR}
                        -DGRAPHO_BUILD_TESTS=ON
                RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "emcmake cmake failed in ${BUILD_DIR}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} -j2 RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the web build failed in ${BUILD_DIR}")
endif()
