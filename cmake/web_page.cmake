# Writes the page OUTPUT from INPUT with the text of EXAMPLE as the first text
# of its source, escaped for a text area.
file(READ ${INPUT} page)
file(READ ${EXAMPLE} example)
string(REPLACE "&" "&amp;" example "${example}")
string(REPLACE "<" "&lt;" example "${example}")
string(REPLACE "<!-- example: the bundled example, put here by the build -->\n" "${example}"
       page "${page}")
file(WRITE ${OUTPUT} "${page}")
