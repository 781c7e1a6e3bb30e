// The npm package as a user has it, installed from its tarball: required from
// CommonJS, imported from an ES module and typed in TypeScript, leaving the
// process as it was; convert() against the native grapho on the examples,
// and its text output, in Normalization Form C.
//
//   node package_test.js INSTALLED NODE_MODULES GRAPHO_EXE EXAMPLES
"use strict";
const assert = require("assert");
const { spawnSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { installed, fail } = require("./support.js");

const [folder, development, grapho_exe, examples] = process.argv.slice(2);
const user = installed(folder, development);
const { convert, untype, check } = user.require("grapho");

// Runs `script`, written into the user's folder as `name`, with Node.
function run(name, script, ...args) {
  fs.writeFileSync(path.join(folder, name), script);
  return spawnSync(process.execPath, [name, ...args], { cwd: folder, encoding: "utf8" });
}

// Loading the package adds no handler to the process, and a rejection that
// the user's program leaves unhandled ends it as it would without the package.
function leavesTheProcessAlone() {
  const script = `
    const events = ["unhandledRejection", "uncaughtException", "exit"];
    const count = () => events.map((event) => process.listenerCount(event)).join();
    const before = count();
    if (process.argv[2] === "with") require("grapho");
    console.log(before === count() ? "same" : "changed");
    Promise.reject(new Error("the user's own"));
  `;
  const [withIt, without] = ["with", "without"].map((how) => run("handlers.cjs", script, how));
  assert.strictEqual(withIt.stdout, "same\n");
  assert.deepStrictEqual([withIt.status, withIt.stderr], [without.status, without.stderr]);
  assert.notStrictEqual(withIt.status, 0);
}

function importsAsAnEsModule() {
  const found = run("esm.mjs", `
    import { convert, untype, check } from "grapho";
    import plugin from "grapho/markdown-it";
    console.log(JSON.stringify([[convert, untype, check, plugin].map((f) => typeof f),
      convert("$m^hnin$", { output: "text" }), untype("\\u03bc\\u1fc6\\u03bd\\u03b9\\u03bd"),
      check("$/\\\\a$").map((found) => found.code)]));
  `);
  assert.strictEqual(found.status, 0, found.stderr);
  assert.deepStrictEqual(JSON.parse(found.stdout), [
    ["function", "function", "function", "function"],
    { output: "\u03bc\u1fc6\u03bd\u03b9\u03bd", error: null }, "$m^hnin$", ["mixed-accents"]]);
}

// Every function and option, typed by tsc --strict from both kinds of module;
// each @ts-expect-error is a wrong call that the types must refuse.
function typesCheck() {
  const uses = `
    const html: ConvertResult<string> = convert("$m^hnin$");
    const text: string = convert("$a$", { output: "text", progress: (read, size) => {} }).output;
    const bytes: Uint8Array = convert(new Uint8Array([36, 97, 36]), (read, size) => {}).output;
    const line: number | undefined = html.error?.line;
    const typing: string = untype("\\u03b1", (read: number, size: number) => {});
    const typedBytes: Uint8Array = untype(new Uint8Array(0));
    const found: Diagnostic[] = check("$a$", { text: false, disable: ["open-run"], enable: [] });
    const code: string | undefined = found[0]?.notes[0]?.message;
    declare const md: unknown;
    plugin(md, { onError: (error) => console.log(error.line, error.column, error.message) });
    // @ts-expect-error
    convert("$a$", { output: "pdf" });
    // @ts-expect-error
    const wrong: string = convert(new Uint8Array(0)).output;
    // @ts-expect-error
    check("$a$", { disable: "open-run" });
  `;
  fs.writeFileSync(path.join(folder, "use.mts"), `
    import { convert, untype, check, type ConvertResult, type Diagnostic } from "grapho";
    import plugin from "grapho/markdown-it";
    ${uses}`);
  fs.writeFileSync(path.join(folder, "use.cts"), `
    import grapho = require("grapho");
    import plugin = require("grapho/markdown-it");
    const { convert, untype, check } = grapho;
    type ConvertResult<Output extends string | Uint8Array> = grapho.ConvertResult<Output>;
    type Diagnostic = grapho.Diagnostic;
    ${uses}`);
  fs.writeFileSync(path.join(folder, "tsconfig.json"), JSON.stringify({
    compilerOptions: { strict: true, noEmit: true, module: "node16", target: "es2022", types: [] },
    files: ["use.mts", "use.cts"],
  }));
  const tsc = spawnSync(process.execPath, [user.development.resolve("typescript/bin/tsc")],
                        { cwd: folder, encoding: "utf8" });
  assert.strictEqual(tsc.status, 0, tsc.stdout + tsc.stderr);
}

// What the native grapho writes for the file `name` holding `bytes`.
function native(bytes, name, scratch) {
  const input = path.join(scratch, name);
  fs.writeFileSync(input, bytes);
  const run = spawnSync(grapho_exe, [input], { input: "" });
  assert.strictEqual(run.status, 0, `grapho ${name}: ${run.stderr}`);
  return fs.readFileSync(input.replace(/\.[^.]*$/, ".html"));
}

function convertsAsTheNativeProgram() {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "grapho-npm-"));
  try {
    const names = fs.readdirSync(examples).filter((name) => name.endsWith(".txt"));
    assert(names.length > 0, `no examples in ${examples}`);
    for (const name of names) {
      const bytes = fs.readFileSync(path.join(examples, name));
      const expected = native(bytes, name, scratch);
      assert(Buffer.from(convert(new Uint8Array(bytes)).output).equals(expected), name);
      assert.strictEqual(convert(bytes.toString()).output, expected.toString(), name);
      // The text: no reference to a Greek character left, and already in NFC.
      const text = convert(bytes.toString(), { output: "text" }).output;
      assert(!/&#x[0-9a-f]+;|&[a-z]+;/i.test(text.replace(/&(amp|lt|gt|quot);/g, "")), name);
      assert.strictEqual(text, text.normalize("NFC"), name);
    }
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

// The text output where NFC matters: oxia becomes tonos, the angle brackets of
// {{ }} the mathematical ones (U+27E8, U+27E9) rather than the CJK ones that
// NFC would make of U+2329 and U+232A; references to ASCII and names grapho
// does not write stay, so that the HTML means what it meant.
const texts = [
  ["$a/a^h$", "\u03b1\u03ac\u1fc6"],
  ["$>/a{{b}}[[g]]$", "\u1f04\u27e8\u03b2\u27e9\u301a\u03b3\u301b"],
  ['$"a"$ &#x2329;&#9001;&#x232A;', "\u201c\u03b1\u201d \u27e8\u27e8\u27e9"],
  ["&amp; &lt;b&gt; &#x3c; &#60; &eacute; &#x80; &#xd800; &#x110000; &unknown;",
   "&amp; &lt;b&gt; &#x3c; &#60; &eacute; &#x80; &#xd800; &#x110000; &unknown;"],
  ["&#x1f71; &#8217; e\u0301", "\u03ac \u2019 \u00e9"],
];

function convertsIntoText() {
  for (const [source, expected] of texts) {
    assert.deepStrictEqual(convert(source, { output: "text" }), { output: expected, error: null });
    const bytes = convert(new TextEncoder().encode(source), { output: "text" }).output;
    assert.strictEqual(Buffer.from(bytes).toString(), expected, source);
  }
  // Up to the mistake, which is in the result, never thrown.
  assert.deepStrictEqual(convert("$m^hnin /\\a$", { output: "text" }), {
    output: "\u03bc\u1fc6\u03bd\u03b9\u03bd ",
    error: { line: 1, column: 11, message: "Cannot mix different accents: a with acute grave " },
  });
  assert.throws(() => convert(new Uint8Array([36, 97, 36, 0xff]), { output: "text" }), TypeError);
}

function refusesWrongArguments() {
  const wrong = [
    () => convert(42), () => convert("$a$", null), () => convert("$a$", { output: "pdf" }),
    () => convert("$a$", { progress: true }), () => untype(["\u03b1"]), () => check(null),
    () => check("$a$", { text: "yes" }), () => check("$a$", { disable: ["no-such-code"] }),
  ];
  for (const call of wrong) assert.throws(call, TypeError, call.toString());
}

try {
  leavesTheProcessAlone();
  importsAsAnEsModule();
  typesCheck();
  convertsAsTheNativeProgram();
  convertsIntoText();
  refusesWrongArguments();
  console.log("the package works from CommonJS, ESM and TypeScript, as the native grapho");
} catch (failure) {
  fail(failure);
}
