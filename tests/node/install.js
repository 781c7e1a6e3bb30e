// Installs the npm package from its tarball into a fresh folder, as a user
// does, with no registry: what it needs is bundled in it.
//
//   node install.js TARBALL FOLDER
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const path = require("path");

const [tarball, folder] = process.argv.slice(2);
fs.rmSync(folder, { recursive: true, force: true });
if (!fs.existsSync(tarball)) {
  console.log(`SKIPPED: no ${path.basename(tarball)}: the web build makes it once ` +
              "npm ci --prefix node has installed the package's libraries");
  process.exit(0);
}
fs.mkdirSync(folder, { recursive: true });
fs.writeFileSync(path.join(folder, "package.json"), '{ "private": true }\n');
execFileSync("npm", ["install", "--offline", "--no-audit", "--no-fund", path.resolve(tarball)],
             { cwd: folder, stdio: "inherit" });
console.log(`installed ${path.basename(tarball)} in ${folder}`);
