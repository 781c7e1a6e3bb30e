# Makes the npm package grapho-VERSION.tgz in DESTINATION: the files of node/,
# the core as grapho.js (CORE), the README, the licence and the notices put
# together in STAGE with the libraries it bundles, copied from node/node_modules
# (npm ci --prefix node), then packed by npm.
#   cmake -DSOURCE_DIR=... -DCORE=... -DSTAGE=... -DDESTINATION=... -DVERSION=...
#         -DNPM=... -P npm_package.cmake
set(package ${SOURCE_DIR}/node)
file(READ ${package}/package.json manifest)
string(JSON manifest_version GET "${manifest}" version)
if(NOT manifest_version STREQUAL VERSION)
  message(FATAL_ERROR "node/package.json has version ${manifest_version}, the project ${VERSION}")
endif()

file(REMOVE_RECURSE ${STAGE})
string(JSON count LENGTH "${manifest}" files)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  string(JSON name GET "${manifest}" files ${index})
  if(EXISTS ${package}/${name})
    file(COPY ${package}/${name} DESTINATION ${STAGE})
  endif()
endforeach()
file(COPY ${package}/package.json ${CORE} ${SOURCE_DIR}/README.md ${SOURCE_DIR}/LICENSE
     DESTINATION ${STAGE})

# The notices: the package's own, with those of Emscripten's code in grapho.js
# as the web page's notices hold them (all but DOMPurify's).
file(READ ${SOURCE_DIR}/page/THIRD-PARTY-NOTICES.txt page_notices)
function(cut text from to out)
  string(FIND "${text}" "${from}" start)
  string(FIND "${text}" "${to}" end)
  if(start EQUAL -1 OR end EQUAL -1 OR end LESS start)
    message(FATAL_ERROR "page/THIRD-PARTY-NOTICES.txt no longer has \"${from}\" before \"${to}\"")
  endif()
  math(EXPR length "${end} - ${start}")
  string(SUBSTRING "${text}" ${start} ${length} part)
  string(STRIP "${part}" part)
  set(${out} "${part}" PARENT_SCOPE)
endfunction()
cut("${page_notices}" "grapho.js is grapho's" "The page also bundles DOMPurify" introduction)
cut("${page_notices}" "The C++ runtime libraries" "3. DOMPurify" runtime)
set(EMSCRIPTEN_INTRODUCTION "${introduction}")
set(EMSCRIPTEN_NOTICES "${runtime}")
configure_file(${package}/NOTICES.in ${STAGE}/THIRD-PARTY-NOTICES.txt @ONLY)

# The libraries that the package needs at run time, and theirs, as npm has
# installed them from the lock file: bundled, so that the tarball installs
# without a registry.
execute_process(COMMAND ${NPM} ls --omit=dev --all --parseable WORKING_DIRECTORY ${package}
                OUTPUT_VARIABLE installed OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE listed)
if(NOT listed EQUAL 0)
  message(FATAL_ERROR "npm ls failed in node/: run npm ci --prefix node")
endif()
string(REPLACE "\n" ";" installed "${installed}")
foreach(folder IN LISTS installed)
  file(RELATIVE_PATH relative ${package} ${folder})
  if(relative MATCHES "^node_modules/")
    get_filename_component(parent ${STAGE}/${relative} DIRECTORY)
    file(COPY ${folder} DESTINATION ${parent})
  endif()
endforeach()

execute_process(COMMAND ${NPM} pack --silent --pack-destination ${DESTINATION}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "npm pack failed in ${STAGE}")
endif()
