# What a Windows user gets: `cpack -G ZIP` in the build folder makes
# grapho-VERSION-win64.zip, one folder holding grapho.exe, ungrapho.exe and
# graphocheck.exe with the README, the licence, the notices of the runtime code
# linked into the programs, the transliteration chart and the example beside it.

# Windows has no manual page to hold the chart: the README's chart, as a file
# of its own.
file(READ ${PROJECT_SOURCE_DIR}/README.md grapho_readme)
string(REGEX MATCH "<!-- chart begin[^\n]*\n(.*)<!-- chart end -->" grapho_chart "${grapho_readme}")
file(WRITE ${PROJECT_BINARY_DIR}/chart.md
     "# grapho: transliteration chart\n\nREADME.md explains it.\n\n${CMAKE_MATCH_1}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS README.md)

install(TARGETS grapho ungrapho graphocheck RUNTIME DESTINATION .)
install(FILES README.md LICENSE ${PROJECT_BINARY_DIR}/chart.md DESTINATION .)
# grapho.exe holds MinGW-w64's and GCC's runtime code (it is linked statically),
# and some of those licences ask for their notices beside the program.
install(FILES packaging/windows/THIRD-PARTY-NOTICES.txt DESTINATION .)
install(FILES docs/quotations.png DESTINATION docs)
install(FILES examples/quotations.txt examples/quotations.html DESTINATION examples)

set(CPACK_PACKAGE_NAME grapho)
set(CPACK_PACKAGE_FILE_NAME grapho-${PROJECT_VERSION}-win64)
set(CPACK_GENERATOR ZIP)
# The program without its symbols: a third of the size (250 KiB).
set(CPACK_STRIP_FILES ON)
include(CPack)
