# Writes OUTPUT, the web page's worker: the core (CORE, grapho.js) and the
# worker's own code (WORKER) inside one function, graphoWorker, of whose text
# the page makes the worker's script, as a page on the disk cannot load a
# worker from a file.
file(READ ${CORE} core)
file(READ ${WORKER} worker)
file(WRITE ${OUTPUT}
     "// Made by the build of grapho.js and page/worker.js: the page's worker.\n"
     "function graphoWorker() {\n${core}\n${worker}}\n")
