// The language server of the installed package, driven by a client over
// vscode-jsonrpc as an editor drives it: diagnostics at LSP's places (UTF-16
// columns) after text that is not ASCII, on opening and as one types; the
// hover over a run and over a Greek word; the code action into typing; and
// Markdown checked as Unicode text once the settings say so.
//
//   node language_server_test.js INSTALLED NODE_MODULES
"use strict";
const assert = require("assert");
const { spawn } = require("child_process");
const path = require("path");
const { installed, fail } = require("./support.js");

const [folder, development] = process.argv.slice(2);
const user = installed(folder, development);
const rpc = user.development("vscode-jsonrpc/node");

const server = spawn(path.join(folder, "node_modules", ".bin", "grapho-language-server"),
                     ["--stdio"], { stdio: ["pipe", "pipe", "inherit"] });
const connection = rpc.createMessageConnection(new rpc.StreamMessageReader(server.stdout),
                                               new rpc.StreamMessageWriter(server.stdin));
// The diagnostics published for each document, the latest first, as they come.
const published = new Map();
const waiting = [];
connection.onNotification("textDocument/publishDiagnostics", ({ uri, diagnostics }) => {
  published.set(uri, diagnostics);
  for (const wake of waiting.splice(0)) wake();
});
connection.onRequest("workspace/configuration", () => []);
const shown = [];
connection.onNotification("window/showMessage", ({ message }) => shown.push(message));
connection.listen();

// The next diagnostics of `uri`, once `send` has been sent.
function diagnosticsAfter(uri, send) {
  published.delete(uri);
  const arrived = new Promise((resolve) => {
    const look = () => (published.has(uri) ? resolve(published.get(uri)) : waiting.push(look));
    look();
  });
  send();
  return arrived;
}

const at = (line, character) => ({ line, character });
const range = (line, start, end) => ({ start: at(line, start), end: at(line, end) });
// A diagnostic as the test compares it.
const brief = ({ range: { start }, severity, code, message }) =>
  [start.line, start.character, severity, code, message];

// A grapho source with Greek in Unicode, a character beyond the BMP and CR LF
// before its mistakes, which graphocheck counts in bytes and LSP in UTF-16.
const source = "<p>\u1f08\u03c7\u03b9\u03bb\u1fc6\u03bf\u03c2 \u{1d11e} $m^hnin /\\a$</p>\r\n" +
  '<p>$"<o$ $l/ ogos$ $b"$</p>\n';
const uri = "file:///tmp/ode.txt";

async function main() {
  await connection.sendRequest("initialize", { processId: process.pid, rootUri: null,
                                               capabilities: {}, initializationOptions: {} });
  connection.sendNotification("initialized", {});

  const opened = await diagnosticsAfter(uri, () =>
    connection.sendNotification("textDocument/didOpen",
      { textDocument: { uri, languageId: "text", version: 1, text: source } }));
  assert.deepStrictEqual(opened.map(brief), [
    [0, 24, 1, "mixed-accents", "Cannot mix different accents: a with acute grave"],
    [1, 11, 2, "marks-apart", 'Marks apart from their letter: "/" goes to "o"; type "/o"'],
  ]);
  assert.deepStrictEqual(opened[0].range, range(0, 24, 25));
  assert.deepStrictEqual(opened[1].relatedInformation,
    [{ location: { uri, range: range(1, 13, 14) }, message: "The letter they go to" }]);

  // Typing: the accents' mistake mended, the marks' moved one further.
  const typed = await diagnosticsAfter(uri, () =>
    connection.sendNotification("textDocument/didChange", {
      textDocument: { uri, version: 2 },
      contentChanges: [{ range: range(0, 22, 25), text: "qe/a" }, { range: range(1, 10, 10), text: "x" }],
    }));
  assert.deepStrictEqual(typed.map(brief), [
    [1, 12, 2, "marks-apart", 'Marks apart from their letter: "/" goes to "o"; type "/o"'],
  ]);

  // The hover: a run's Greek (its quotation mark closing the one opened in
  // the run before), a Unicode Greek word's typing, nothing elsewhere.
  const hover = (line, character) =>
    connection.sendRequest("textDocument/hover", { textDocument: { uri }, position: at(line, character) });
  assert.deepStrictEqual(await hover(0, 16), {
    contents: { kind: "plaintext", value: "\u03bc\u1fc6\u03bd\u03b9\u03bd \u03b8\u03b5\u03ac" },
    range: range(0, 14, 27) });
  assert.strictEqual((await hover(1, 21)).contents.value, "\u03b2\u201d");
  assert.deepStrictEqual(await hover(0, 5), {
    contents: { kind: "plaintext",
                value: "\u1f08\u03c7\u03b9\u03bb\u1fc6\u03bf\u03c2\ntyped $>Acil^hos$" },
    range: range(0, 3, 10) });
  assert.strictEqual(await hover(0, 1), null);

  // The code action: the selected Greek into typing; none for ASCII alone.
  const actions = (selected) => connection.sendRequest("textDocument/codeAction",
    { textDocument: { uri }, range: selected, context: { diagnostics: [] } });
  const [action] = await actions(range(0, 0, 10));
  assert.deepStrictEqual(action.edit.changes[uri],
    [{ range: range(0, 0, 10), newText: "<p>$>Acil^hos$" }]);
  assert.deepStrictEqual(await actions(range(0, 0, 3)), []);

  // Markdown: not checked until the settings ask for Unicode text.
  const markdown = "file:///tmp/notes.md";
  const unchecked = await diagnosticsAfter(markdown, () =>
    connection.sendNotification("textDocument/didOpen", { textDocument: {
      uri: markdown, languageId: "markdown", version: 1, text: "# \u1f04\u03bd\u03b8\u03c1\u03c9\u03c0\u03bf\u03c2 \u1f00\u1f00\n" } }));
  assert.deepStrictEqual(unchecked, []);
  const checked = await diagnosticsAfter(markdown, () =>
    connection.sendNotification("workspace/didChangeConfiguration",
                                { settings: { grapho: { unicodeText: true } } }));
  assert(checked.length > 0 && checked.every(({ range: { start } }) => start.line === 0 &&
    start.character >= 11), JSON.stringify(checked));
  assert.deepStrictEqual(shown, []);

  // A code that names no warning is said once, and the rest of the settings kept.
  const kept = await diagnosticsAfter(markdown, () =>
    connection.sendNotification("workspace/didChangeConfiguration",
                                { settings: { grapho: { unicodeText: true, disable: ["nope"] } } }));
  assert.deepStrictEqual(kept, checked);
  assert.strictEqual(shown.length, 1);
  assert.match(shown[0], /nope/);

  await connection.sendRequest("shutdown");
  connection.sendNotification("exit");
  const status = await new Promise((resolve) => server.on("exit", resolve));
  assert.strictEqual(status, 0);
  console.log("diagnostics, hover and the code action, as a client over vscode-jsonrpc has them");
}

main().then(() => process.exit(0), fail);
