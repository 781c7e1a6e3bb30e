# Compresses the text file INPUT into OUTPUT.gz the way Debian wants manual
# pages and changelogs: gzip -9n, storing no name or time, so that the same
# text always gives the same bytes. OUTPUT keeps the uncompressed text.
# Given VERSION, a manual page's header line gets it after the program's name:
# ".TH GRAPHO 1 DATE grapho ..." (or UNGRAPHO) names "grapho VERSION".
file(READ "${INPUT}" text)
if(DEFINED VERSION)
  string(REGEX REPLACE "(\n\\.TH [A-Z]+ 1 [^ \n]+ )grapho " "\\1\"grapho ${VERSION}\" " text
                       "${text}")
endif()
file(WRITE "${OUTPUT}" "${text}")
execute_process(COMMAND gzip -9n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed (${status}) on ${OUTPUT}")
endif()
