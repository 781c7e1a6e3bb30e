# Builds the web page and the core's conversion tests with Emscripten into
# BUILD_DIR, as the README says, or says that it is skipped where Emscripten
# or the page's DOMPurify is missing.
find_program(EMCMAKE emcmake)
if(NOT EMCMAKE)
  message("SKIPPED: no Emscripten (apt-get install emscripten node-acorn)")
  return()
endif()
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message("SKIPPED: no GoogleTest sources for the WebAssembly tests (apt-get install googletest)")
  return()
endif()
if(NOT EXISTS ${SOURCE_DIR}/page/node_modules/dompurify/package.json)
  message("SKIPPED: the page's DOMPurify is not installed (npm ci --prefix page)")
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

# The zip holds the page in one folder, nothing fetched from elsewhere.
file(STRINGS ${SOURCE_DIR}/CMakeLists.txt project_line REGEX "^project\\(grapho VERSION")
string(REGEX MATCH "VERSION ([0-9.]+)" version "${project_line}")
set(folder grapho-web-${CMAKE_MATCH_1})
set(zip ${BUILD_DIR}/${folder}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listed
                RESULT_VARIABLE read)
foreach(file index.html grapho.js page.js page.css purify.min.js LICENSE THIRD-PARTY-NOTICES.txt)
  if(NOT read EQUAL 0 OR NOT listed MATCHES "${folder}/${file}")
    message(FATAL_ERROR "${zip} lacks ${file}:\n${listed}")
  endif()
endforeach()

# The notices name the DOMPurify that the page bundles.
file(STRINGS ${BUILD_DIR}/web/purify.min.js purify_header LIMIT_COUNT 1)
string(REGEX MATCH "DOMPurify [0-9.]+" purify "${purify_header}")
file(READ ${BUILD_DIR}/web/THIRD-PARTY-NOTICES.txt notices)
string(FIND "${notices}" "${purify} as its npm package has it" named)
if(purify STREQUAL "" OR named EQUAL -1)
  message(FATAL_ERROR "THIRD-PARTY-NOTICES.txt does not name the bundled ${purify}")
endif()
