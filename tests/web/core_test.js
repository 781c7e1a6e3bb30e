// The core as WebAssembly, in Node: the conversion tests of the native suite
// built for it, then grapho.convert() against the native program on the same
// files and on random inputs (the same bytes and the same errors),
// grapho.untype() against the native ungrapho on the files and on what
// grapho made of them, and grapho.check() against the native graphocheck.
//
//   node core_test.js GRAPHO_EXE WEB_BUILD_DIR FOLDER...
"use strict";
const assert = require("assert");
const { spawnSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");

const [grapho_exe, web_build, ...folders] = process.argv.slice(2);
const ungrapho_exe = path.join(path.dirname(grapho_exe), "ungrapho" + path.extname(grapho_exe));
const graphocheck_exe =
  path.join(path.dirname(grapho_exe), "graphocheck" + path.extname(grapho_exe));
const core_js = path.join(web_build, "web", "grapho.js");
const prompt = "\nPress <ENTER> to terminate...";

// What the native program makes of `bytes` as the file `name`, alone.
function native(bytes, name, scratch) {
  const input = path.join(scratch, name);
  const output = input.replace(/\.[^.]*$/, "") + ".html";
  fs.writeFileSync(input, bytes);
  fs.rmSync(output, { force: true });
  const run = spawnSync(grapho_exe, [input], { input: "" });
  let report = run.stderr.toString("latin1");
  assert(report.endsWith(prompt), `no prompt after ${name}: ${report}`);
  report = report.slice(0, -prompt.length);
  let error = null;
  if (report !== "") {
    const found = /^[^]*?:(\d+):(\d+) ([^]*)$/.exec(report.slice(input.length));
    assert(report.startsWith(input) && found, `unexpected report for ${name}: ${report}`);
    error = { line: Number(found[1]), column: Number(found[2]),
              message: Buffer.from(found[3], "latin1").toString() };
  }
  assert.strictEqual(run.status, error ? 1 : 0, `exit status for ${name}`);
  return { output: new Uint8Array(fs.readFileSync(output)), error };
}

// What the native ungrapho writes for the file `input`.
function nativeUntyped(input) {
  const run = spawnSync(ungrapho_exe, [input], { input: "" });
  assert.strictEqual(run.status, 0, `ungrapho ${input}: ${run.stderr}`);
  return run.stdout;
}

function expectSameTyping(grapho, bytes, input) {
  assert(Buffer.from(grapho.untype(bytes)).equals(nativeUntyped(input)), `typing of ${input}`);
}

// What the native graphocheck finds in the file `input`, as grapho.check()
// gives it: without the file.
function nativeCheck(input, options = []) {
  const run = spawnSync(graphocheck_exe, ["--format=json", ...options, input]);
  const found = JSON.parse(run.stdout);
  assert.strictEqual(run.status, found.length > 0 ? 1 : 0, `graphocheck ${input}: ${run.stderr}`);
  return found.map(({ file, ...each }) => each);
}

// The check of `bytes`, the file `input`, as the native one; with `options`
// too, and as text, when `all` is set.
function expectSameCheck(grapho, bytes, input, all) {
  assert.deepStrictEqual(grapho.check(bytes), nativeCheck(input), `check of ${input}`);
  if (!all) return;
  assert.deepStrictEqual(grapho.check(bytes, { disable: ["open-run", "beta-code"] }),
                         nativeCheck(input, ["--disable=open-run,beta-code"]), `check of ${input}`);
  assert.deepStrictEqual(grapho.check(bytes, { text: true }), nativeCheck(input, ["--text"]),
                         `check of ${input} as text`);
}

function expectSame(grapho, bytes, name, scratch, all = false) {
  const expected = native(bytes, name, scratch);
  expectSameCheck(grapho, bytes, path.join(scratch, name), all);
  expectSameTyping(grapho, bytes, path.join(scratch, name));
  expectSameTyping(grapho, expected.output, path.join(scratch, name.replace(/\.txt$/, ".html")));
  const result = grapho.convert(bytes);
  assert.deepStrictEqual(result.error, expected.error, name);
  assert(result.output instanceof Uint8Array, name);
  assert(Buffer.from(result.output).equals(Buffer.from(expected.output)), `output of ${name}`);
  // A string is converted as its UTF-8 bytes and gives a string.
  const text = Buffer.from(bytes).toString();
  if (Buffer.from(text).equals(Buffer.from(bytes))) {
    const asString = grapho.convert(text);
    assert.strictEqual(asString.output, Buffer.from(expected.output).toString(), name);
    assert.deepStrictEqual(asString.error, expected.error, name);
    assert.deepStrictEqual(grapho.check(text), grapho.check(bytes), name);
  }
}

// Inputs made of the characters that do something, and some that do not.
function* randomInputs(count) {
  const alphabet = Buffer.from("aehiouwAEIOUWrRsbqk$$\n\n  <>/\\^=|-[]{}\"';&.?\xce\xb1\0\xff", "latin1");
  let seed = 7;
  const next = (n) => (seed = (seed * 1103515245 + 12345) % 2147483648) % n;
  for (let i = 0; i < count; ++i)
    yield Uint8Array.from({ length: next(200) }, () => alphabet[next(alphabet.length)]);
}

async function main() {
  if (!fs.existsSync(core_js)) {
    console.log(`SKIPPED: ${core_js} is not built (web_build says why)`);
    return;
  }
  const tests = spawnSync(process.execPath, [path.join(web_build, "grapho_web_tests.js")],
                          { stdio: "inherit" });
  assert.strictEqual(tests.status, 0, "the conversion tests failed as WebAssembly");

  const grapho = await require(path.resolve(core_js))();
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "grapho-web-"));
  try {
    let files = 0;
    for (const folder of folders) {
      for (const name of fs.readdirSync(folder).sort()) {
        expectSame(grapho, new Uint8Array(fs.readFileSync(path.join(folder, name))),
                   name.replace(/\.[^.]*$/, "") + ".txt", scratch, true);
        ++files;
      }
    }
    let inputs = 0;
    for (const bytes of randomInputs(300)) expectSame(grapho, bytes, `random${inputs++}.txt`, scratch);
    console.log(`${files} files and ${inputs} random inputs: the same as the native program`);
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }

  // Each call is a fresh grapho on one file: the first quotation mark opens.
  assert.strictEqual(grapho.convert('$"a$').output, "&ldquo;&alpha;");
  assert.strictEqual(grapho.convert('$"a$').output, "&ldquo;&alpha;");
  assert.throws(() => grapho.convert(42), TypeError);
  assert.deepStrictEqual(grapho.check("$<>a$ 5$\n", { enable: ["open-run"] }), [
    { line: 1, column: 4, severity: "error", code: "mixed-breathings",
      message: "Cannot mix different breathings: a with rough smooth", notes: [] },
    { line: 1, column: 8, severity: "warning", code: "dollar-after-digit",
      message: '"$" after a digit opens a Greek run: type "$$" for a dollar sign', notes: [] },
    { line: 1, column: 8, severity: "warning", code: "open-run",
      message: 'Greek run still open at the end of the file: close it with "$"', notes: [] },
  ]);
  for (const wrong of [42, null, ["$a$"]]) assert.throws(() => grapho.check(wrong), TypeError);
  for (const options of [null, "text", { text: 1 }, { disable: "open-run" }, { enable: [7] },
                         { disable: ["open-run,beta-code"] }, { disable: ["nope"] },
                         { enable: ["mixed-accents"] }])
    assert.throws(() => grapho.check("$a$", options), TypeError, JSON.stringify(options));
  // grapho.warnings() as graphocheck --help lists them.
  const help = spawnSync(graphocheck_exe, ["--help"]).stdout.toString();
  const listed = help.split("Warnings:\n")[1].split("\n\n")[0].split("\n").map((line) => {
    const [, code, summary, off] = /^  (\S+) +(.*?)( \(off\))?$/.exec(line);
    return { code, summary, on: !off };
  });
  assert.deepStrictEqual(grapho.warnings(), listed);
  assert.strictEqual(grapho.untype("\u03bc\u1fc6\u03bd\u03b9\u03bd"), "$m^hnin$");
  // A byte order mark is a character of the text, kept both ways.
  assert.strictEqual(grapho.convert("\ufeff$a$").output, "\ufeff&alpha;");
  assert.strictEqual(grapho.untype("\ufeff\u03b1"), "\ufeff$a$");

  // Progress as the source is read, up to its last byte, and the same output.
  const large = new TextEncoder().encode("<p>$m^hnin >/aeide qe\\a$</p>\n".repeat(100000));
  for (const [call, name] of [[grapho.convert, "convert"], [grapho.untype, "untype"]]) {
    const reads = [];
    const output = call(large, (read, size) => reads.push([read, size]));
    const plain = call(large);
    assert(Buffer.from(output.output ?? output).equals(Buffer.from(plain.output ?? plain)), name);
    assert(reads.length > 1 && reads.every(([read, size], i) =>
      size === large.length && read > (i ? reads[i - 1][0] : 0)), name);
    assert.strictEqual(reads.at(-1)[0], large.length, name);
  }
}

main().catch((failure) => {
  console.error(failure);
  process.exit(1);
});
