// grapho in Node: convert, untype and check over the web page's core
// (grapho.js, the core as WebAssembly), which is small enough to be compiled
// as it loads, so that the functions are ready once this file is required.
// Loading it adds no handler to the process.
"use strict";
const createGrapho = require("./grapho.js");

// Emscripten's factory fills the object it is given, at once when it compiles
// synchronously as grapho.js does.
const core = {};
createGrapho(core);

module.exports = {
  convert: core.convert,
  untype: core.untype,
  check: core.check,
};
