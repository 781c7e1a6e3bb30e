// Debian's Neovim, headless, as a real client of the installed language
// server: it opens a grapho source with mistakes after Greek in Unicode and
// gets the diagnostics at the places where graphocheck puts them (Neovim
// turns LSP's UTF-16 columns back into bytes of the line).
//
//   node neovim_test.js INSTALLED NVIM GRAPHOCHECK_EXE
"use strict";
const assert = require("assert");
const { spawnSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { installed, fail } = require("./support.js");

const [folder, nvim, graphocheck_exe] = process.argv.slice(2);
installed(folder);

const source = "<p>\u1f08\u03c7\u03b9\u03bb\u1fc6\u03bf\u03c2 \u{1d11e} $m^hnin /\\a$</p>\n" +
  "<p>\u00ab\u03c4\u00bb $l/ ogos$ $a)/eide$ $>/a<>e$</p>\n";

// What graphocheck finds in `file`, as the Lua script writes Neovim's.
function expected(file) {
  const run = spawnSync(graphocheck_exe, ["--format=json", file], { encoding: "utf8" });
  assert.strictEqual(run.status, 1, run.stderr);
  return JSON.parse(run.stdout).map(({ line, column, severity, code, message }) =>
    `${line}:${column}:${severity.toUpperCase()}:${code}:${message.trimEnd()}`);
}

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "grapho-nvim-"));
try {
  const file = path.join(scratch, "ode.txt");
  const output = path.join(scratch, "diagnostics.txt");
  fs.writeFileSync(file, source);
  const run = spawnSync(nvim, ["--headless", "--clean", "-u", path.join(__dirname, "neovim.lua")], {
    env: { ...process.env, GRAPHO_SERVER: path.join(folder, "node_modules", ".bin",
           "grapho-language-server"), GRAPHO_FILE: file, GRAPHO_OUTPUT: output },
    encoding: "utf8", timeout: 120000,
  });
  assert.strictEqual(run.status, 0, `nvim: ${run.error ?? ""}${run.stdout}${run.stderr}`);
  const found = fs.readFileSync(output, "utf8").split("\n").filter((line) => line !== "");
  const wanted = expected(file);
  assert(wanted.some((line) => line.includes(":ERROR:")) &&
         wanted.some((line) => line.includes(":WARN")), wanted.join("\n"));
  assert.deepStrictEqual(found.sort(), wanted.map((line) => line.replace(":WARNING:", ":WARN:"))
                                             .sort());
  console.log(`Neovim has graphocheck's ${found.length} diagnostics at their places`);
} catch (failure) {
  fail(failure);
} finally {
  fs.rmSync(scratch, { recursive: true, force: true });
}
