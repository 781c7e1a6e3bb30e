# A manual page: groff reads it without a single warning, on a UTF-8 terminal
# and on a plain ASCII one, it explains every message that its program can
# give, and the page as built names the version being built.
# Given: SOURCE_DIR, MANUAL (the page as built, uncompressed), VERSION, and
# SOURCES, the program's sources (globs under SOURCE_DIR, separated by "|"),
# with EXCLUDE, a regular expression for those among them of another program.
set(page "${MANUAL}")

find_program(GROFF groff)
if(NOT GROFF)
  message("SKIPPED: groff is not installed")
  return()
endif()

file(STRINGS "${page}" title REGEX "^\\.TH ")
if(NOT title MATCHES " \"grapho ${VERSION}\" ")
  message(SEND_ERROR "the manual's title line does not name grapho ${VERSION}: ${title}")
endif()

# The check a maintainer runs on a manual page, with tbl for the chart; on an
# ASCII terminal the Greek shows as names, and the tables must still fit.
foreach(device utf8 ascii)
  execute_process(COMMAND "${GROFF}" -t -man -T${device} -ww "${page}" RESULT_VARIABLE status
                  OUTPUT_QUIET ERROR_VARIABLE warnings)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "groff -t -man -T${device} -ww ${page} (${status}):\n${warnings}")
  endif()
endforeach()

# The page as plain text, one paragraph a line, to search for the messages.
execute_process(COMMAND "${GROFF}" -t -man -Tutf8 -P-cbou -rLL=2000n -rHY=0 "${page}"
                OUTPUT_VARIABLE text ERROR_QUIET)
string(REGEX REPLACE "[ \n]+" " " text "${text}")

# An escape shown as the programs show it ("\n", "\x1b"), not as roff spells
# it: a backslash written twice in the source shows as "\e".
string(FIND "${text}" "\\e" doubled)
if(NOT doubled EQUAL -1)
  string(SUBSTRING "${text}" ${doubled} 40 context)
  message(SEND_ERROR "the manual shows a roff escape as it is spelled: ${context}")
endif()

# Every message format of the sources ("... %s ..."), in both of its halves.
string(REPLACE "|" ";" globs "${SOURCES}")
list(TRANSFORM globs PREPEND "${SOURCE_DIR}/")
file(GLOB_RECURSE sources ${globs})
if(EXCLUDE)
  list(FILTER sources EXCLUDE REGEX "${EXCLUDE}")
endif()
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
