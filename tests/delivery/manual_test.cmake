# The manual page: groff reads it without a single warning, and it explains
# every message that the program can give, and names the version being built.
# Given: SOURCE_DIR, VERSION.
set(page "${SOURCE_DIR}/man/grapho.1")

find_program(GROFF groff)
if(NOT GROFF)
  message("SKIPPED: groff is not installed")
  return()
endif()

file(READ "${page}" source)
string(FIND "${source}" "\"grapho ${VERSION}\"" found)
if(found EQUAL -1)
  message(SEND_ERROR "the manual's title line does not name grapho ${VERSION}")
endif()

# The check a maintainer runs on a manual page.
execute_process(COMMAND "${GROFF}" -man -Tutf8 -ww "${page}" RESULT_VARIABLE status
                OUTPUT_QUIET ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff -man -Tutf8 -ww ${page} (${status}):\n${warnings}")
endif()

# The page as plain text, one paragraph a line, to search for the messages.
execute_process(COMMAND "${GROFF}" -man -Tutf8 -P-cbou -rLL=2000n -rHY=0 "${page}"
                OUTPUT_VARIABLE text ERROR_QUIET)
string(REGEX REPLACE "[ \n]+" " " text "${text}")

# Every message format of the sources ("... %s ..."), in both of its halves.
file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.cpp")
foreach(source ${sources})
  file(READ "${source}" code)
  string(REGEX MATCHALL "\"[A-Z][^\"]*%s[^\"]*\"" formats "${code}")
  foreach(format ${formats})
    string(REGEX REPLACE "^\"(.*)%s(.*)\"$" "\\1;\\2" halves "${format}")
    foreach(half ${halves})
      string(FIND "${text}" "${half}" found)
      if(found EQUAL -1)
        message(SEND_ERROR "the manual does not explain ${format} (from ${source})")
      endif()
    endforeach()
  endforeach()
endforeach()
