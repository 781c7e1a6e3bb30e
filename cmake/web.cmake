# The page that converts in the browser: `emcmake cmake -S . -B build-web`
# then `cmake --build build-web` makes build-web/web/ (the page and the core
# as grapho.js, which Node loads too) and grapho-web-VERSION.zip of it.

# Emscripten's optimizer of the JavaScript it writes needs acorn, which a node
# other than Debian's own finds only through NODE_PATH.
find_path(GRAPHO_NODE_MODULES acorn/package.json PATHS /usr/share/nodejs /usr/lib/nodejs
          NO_CMAKE_FIND_ROOT_PATH
          DOC "The folder holding Node's acorn module, for Emscripten's optimizer")
if(GRAPHO_NODE_MODULES)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${GRAPHO_NODE_MODULES})
endif()

set(GRAPHO_WEB_DIR ${PROJECT_BINARY_DIR}/web)

# The core with its JavaScript interface (src/wasm/interface.js), as one file:
# a module fetched beside it could not be loaded from the disk. Compiled as it
# loads, from the bytes inside the file, rather than fetched from there too,
# and no eval of any kind: the page's Content-Security-Policy forbids both.
# Loaded in Node, it leaves the process as it was: none of Emscripten's
# handlers of uncaught exceptions and unhandled rejections, which would end
# the user's program on a rejection of its own.
add_executable(grapho_web src/wasm/binding.cpp)
target_link_libraries(grapho_web PRIVATE grapho_core grapho_untype grapho_check)
set_target_properties(grapho_web PROPERTIES OUTPUT_NAME grapho
                                            RUNTIME_OUTPUT_DIRECTORY ${GRAPHO_WEB_DIR})
set(GRAPHO_WEB_INTERFACE ${PROJECT_SOURCE_DIR}/src/wasm/interface.js)
target_link_options(grapho_web PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createGrapho -sSINGLE_FILE=1 -sENVIRONMENT=web,worker,node
  -sWASM_ASYNC_COMPILATION=0 -sNODEJS_CATCH_EXIT=0 -sNODEJS_CATCH_REJECTION=0
  -sALLOW_MEMORY_GROWTH=1 -sDYNAMIC_EXECUTION=0 -sFILESYSTEM=0
  -sEXPORTED_FUNCTIONS=_malloc,_free
  "SHELL:--post-js ${GRAPHO_WEB_INTERFACE}")
set_property(TARGET grapho_web APPEND PROPERTY LINK_DEPENDS ${GRAPHO_WEB_INTERFACE})

# The page's worker, which converts with the core away from the page's thread.
add_custom_command(OUTPUT ${GRAPHO_WEB_DIR}/grapho-worker.js
                   COMMAND ${CMAKE_COMMAND} -DCORE=$<TARGET_FILE:grapho_web>
                           -DWORKER=${PROJECT_SOURCE_DIR}/page/worker.js
                           -DOUTPUT=${GRAPHO_WEB_DIR}/grapho-worker.js
                           -P ${PROJECT_SOURCE_DIR}/cmake/web_worker.cmake
                   DEPENDS grapho_web page/worker.js cmake/web_worker.cmake)

# The page, with the bundled example as the first text of its source, and its
# own files, copied as they are.
set(GRAPHO_WEB_EXAMPLE ${PROJECT_SOURCE_DIR}/examples/quotations.txt)
add_custom_command(OUTPUT ${GRAPHO_WEB_DIR}/index.html
                   COMMAND ${CMAKE_COMMAND} -DINPUT=${PROJECT_SOURCE_DIR}/page/index.html
                           -DEXAMPLE=${GRAPHO_WEB_EXAMPLE} -DOUTPUT=${GRAPHO_WEB_DIR}/index.html
                           -P ${PROJECT_SOURCE_DIR}/cmake/web_page.cmake
                   DEPENDS page/index.html ${GRAPHO_WEB_EXAMPLE} cmake/web_page.cmake)
# Beside them grapho's licence, the notices of the code of Emscripten and of its
# C library that grapho.js holds and of DOMPurify, and DOMPurify itself, which
# makes the preview's copy of the page: installed from npm by the page's own
# lock file (page/package-lock.json) and bundled here, nothing fetched when
# the page runs.
set(GRAPHO_WEB_PURIFY page/node_modules/dompurify/dist/purify.min.js)
if(NOT EXISTS ${PROJECT_SOURCE_DIR}/${GRAPHO_WEB_PURIFY})
  message(FATAL_ERROR "The web page bundles DOMPurify from npm, which is not installed: "
                      "run npm ci --prefix page")
endif()
set(GRAPHO_WEB_FILES page/page.js page/page.css page/THIRD-PARTY-NOTICES.txt LICENSE
                     ${GRAPHO_WEB_PURIFY})
set(GRAPHO_WEB_COPIES ${GRAPHO_WEB_DIR}/index.html ${GRAPHO_WEB_DIR}/grapho-worker.js)
foreach(file IN LISTS GRAPHO_WEB_FILES)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${GRAPHO_WEB_DIR}/${name}
                     COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${file}
                             ${GRAPHO_WEB_DIR}/${name}
                     DEPENDS ${PROJECT_SOURCE_DIR}/${file})
  list(APPEND GRAPHO_WEB_COPIES ${GRAPHO_WEB_DIR}/${name})
endforeach()

# The zip holds one folder, grapho-web-VERSION, with what build-web/web holds.
set(GRAPHO_WEB_NAME grapho-web-${PROJECT_VERSION})
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/${GRAPHO_WEB_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf zip
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${GRAPHO_WEB_DIR} zip/${GRAPHO_WEB_NAME}
  COMMAND ${CMAKE_COMMAND} -E chdir zip ${CMAKE_COMMAND} -E tar cf ../${GRAPHO_WEB_NAME}.zip
          --format=zip ${GRAPHO_WEB_NAME}
  DEPENDS grapho_web ${GRAPHO_WEB_COPIES}
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
add_custom_target(grapho_web_page ALL DEPENDS ${PROJECT_BINARY_DIR}/${GRAPHO_WEB_NAME}.zip)

# The npm package, grapho-VERSION.tgz: node/ with grapho.js and the libraries
# of its language server bundled, so that it installs with no registry. It
# needs them installed from node/'s lock file (npm ci --prefix node), and npm.
find_program(GRAPHO_NPM npm)
if(GRAPHO_NPM AND EXISTS ${PROJECT_SOURCE_DIR}/node/node_modules/.package-lock.json)
  set(GRAPHO_NPM_PACKAGE ${PROJECT_BINARY_DIR}/grapho-${PROJECT_VERSION}.tgz)
  file(GLOB GRAPHO_NPM_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/node/*.js
       ${PROJECT_SOURCE_DIR}/node/*.mjs ${PROJECT_SOURCE_DIR}/node/*.ts)
  add_custom_command(
    OUTPUT ${GRAPHO_NPM_PACKAGE}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DCORE=$<TARGET_FILE:grapho_web>
            -DSTAGE=${PROJECT_BINARY_DIR}/npm -DDESTINATION=${PROJECT_BINARY_DIR}
            -DVERSION=${PROJECT_VERSION} -DNPM=${GRAPHO_NPM}
            -P ${PROJECT_SOURCE_DIR}/cmake/npm_package.cmake
    DEPENDS grapho_web ${GRAPHO_NPM_SOURCES} node/package.json node/package-lock.json
            node/NOTICES.in page/THIRD-PARTY-NOTICES.txt README.md LICENSE
            cmake/npm_package.cmake)
  add_custom_target(grapho_npm_package ALL DEPENDS ${GRAPHO_NPM_PACKAGE})
else()
  message(STATUS "No npm package: it needs npm and its libraries (npm ci --prefix node)")
endif()

# The conversion tests, run by Node on the core as WebAssembly, with GoogleTest
# built from the sources that Debian's googletest package installs.
if(GRAPHO_BUILD_TESTS)
  set(GRAPHO_GOOGLETEST_SOURCE_DIR /usr/src/googletest
      CACHE PATH "GoogleTest's sources, built for the core's tests as WebAssembly")
  if(NOT EXISTS ${GRAPHO_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "The core's tests as WebAssembly need GoogleTest's sources: "
                        "on Debian, apt-get install googletest")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GRAPHO_GOOGLETEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL)
  add_executable(grapho_web_tests tests/conversion_test.cpp)
  target_link_libraries(grapho_web_tests PRIVATE grapho_core grapho_untype grapho_check
                                                 GTest::gtest_main)
  target_link_options(grapho_web_tests PRIVATE -sSINGLE_FILE=1 -sALLOW_MEMORY_GROWTH=1)
endif()
