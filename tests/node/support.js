// What the tests of the npm package share: the folder it is installed in,
// skipped cleanly where it is not, and the development libraries of node/.
"use strict";
const fs = require("fs");
const path = require("path");
const { createRequire } = require("module");

// The installed package's folder and a require() that resolves from there,
// as a user's own script does; or SKIPPED and exit where it is missing.
function installed(folder, development) {
  const skip = (why) => {
    console.log(`SKIPPED: ${why}`);
    process.exit(0);
  };
  if (!fs.existsSync(path.join(folder, "node_modules", "grapho", "package.json")))
    skip("the npm package is not installed (see node_install)");
  if (development && !fs.existsSync(path.join(development, ".package-lock.json")))
    skip("no node/node_modules: npm ci --prefix node");
  return {
    folder,
    require: createRequire(path.resolve(folder, "user.js")),
    development: createRequire(path.resolve(development ?? folder, "..", "package.json")),
  };
}

function fail(failure) {
  console.error(failure);
  process.exit(1);
}

module.exports = { installed, fail };
