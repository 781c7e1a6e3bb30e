#!/usr/bin/env node
// grapho's language server: `grapho-language-server --stdio` speaks the
// Language Server Protocol over standard input and output. It gives an
// editor every mistake of a grapho source as one types (graphocheck's
// errors, warnings and rules of accentuation), the Greek of a run or the
// typing of a Greek word under the mouse, and a code action that turns
// selected Unicode Greek into typing, as ungrapho does.
//
// Settings, as initializationOptions or under "grapho" in the workspace's
// configuration: unicodeText (true: Markdown and HTML files are checked too,
// as Unicode text, as graphocheck --text), disable and enable (codes of
// warnings, as graphocheck's options). Every other file is a grapho source.
"use strict";
const {
  CodeActionKind, DiagnosticSeverity, MessageType, ProposedFeatures, ShowMessageNotification,
  TextDocumentSyncKind, TextDocuments, createConnection,
} = require("vscode-languageserver/node");
const { TextDocument } = require("vscode-languageserver-textdocument");
const { check, convert, untype } = require("./index.js");
const { locator } = require("./positions.js");

const connection = createConnection(ProposedFeatures.all);
const documents = new TextDocuments(TextDocument);
let settings = { unicodeText: false, disable: [], enable: [] };

// Unicode text: Markdown and HTML, when the settings say so; null: not checked.
const unicodeLanguages = new Set(["markdown", "html"]);
function kindOf(document) {
  if (!unicodeLanguages.has(document.languageId)) return "source";
  return settings.unicodeText ? "text" : null;
}

// The settings given, those that grapho.check refuses (a code that names no
// warning) said once and left out.
function settingsFrom(given) {
  const chosen = given && typeof given === "object" ? given.grapho ?? given : {};
  const taken = {
    unicodeText: chosen.unicodeText === true,
    disable: Array.isArray(chosen.disable) ? chosen.disable : [],
    enable: Array.isArray(chosen.enable) ? chosen.enable : [],
  };
  try {
    check("", taken);
  } catch (failure) {
    // A notification, which asks the client for no answer.
    connection.sendNotification(ShowMessageNotification.type,
                                { type: MessageType.Error, message: `grapho: ${failure.message}` });
    return { ...taken, disable: [], enable: [] };
  }
  return taken;
}

connection.onInitialize(({ initializationOptions }) => {
  settings = settingsFrom(initializationOptions);
  return {
    capabilities: {
      textDocumentSync: TextDocumentSyncKind.Incremental,
      hoverProvider: true,
      codeActionProvider: { codeActionKinds: [CodeActionKind.RefactorRewrite] },
    },
    serverInfo: { name: "grapho-language-server", version: require("./package.json").version },
  };
});

connection.onDidChangeConfiguration(({ settings: changed }) => {
  settings = settingsFrom(changed);
  for (const document of documents.all()) publishDiagnostics(document);
});

// ---------------------------------------------------------------------------
// Diagnostics: graphocheck's findings, at LSP's places (lines from 0, columns
// in UTF-16 code units), each over its character.

function publishDiagnostics(document) {
  const kind = kindOf(document);
  const found = kind === null ? [] : check(document.getText(), {
    text: kind === "text", disable: settings.disable, enable: settings.enable,
  });
  connection.sendDiagnostics({ uri: document.uri, diagnostics: diagnosticsOf(document, found) });
}

function diagnosticsOf(document, found) {
  const text = document.getText();
  const indexAt = locator(text);
  const rangeAt = (line, column) => {
    const start = indexAt(line, column);
    const code = text.codePointAt(start);
    const size = code === undefined || code === 0x0a || code === 0x0d ? 0 : code > 0xffff ? 2 : 1;
    return { start: document.positionAt(start), end: document.positionAt(start + size) };
  };
  return found.map((each) => ({
    range: rangeAt(each.line, each.column),
    severity: each.severity === "error" ? DiagnosticSeverity.Error : DiagnosticSeverity.Warning,
    code: each.code,
    source: "grapho",
    message: each.message.trimEnd(),
    relatedInformation: each.notes.map((note) => ({
      location: { uri: document.uri, range: rangeAt(note.line, note.column) },
      message: note.message,
    })),
  }));
}

documents.onDidChangeContent(({ document }) => publishDiagnostics(document));
documents.onDidClose(({ document }) =>
  connection.sendDiagnostics({ uri: document.uri, diagnostics: [] }));

// ---------------------------------------------------------------------------
// Hover: over a run of a grapho source, its Greek as it shows; over a word of
// Unicode Greek, the word and its typing.

// The run of `text` that holds the character at `offset`, { start, end,
// closed } (end past its closing "$", or the text's end for a run left open),
// with the count of quotation marks typed in the runs before it; or null.
// Outside runs "$$" is a dollar sign.
function runAt(text, offset) {
  let quotes = 0;
  for (let from = 0; ;) {
    const open = text.indexOf("$", from);
    if (open < 0 || open > offset) return null;
    if (text[open + 1] === "$") {
      from = open + 2;
      continue;
    }
    const close = text.indexOf("$", open + 1);
    const end = close < 0 ? text.length : close + 1;
    if (offset < end || close < 0) return { start: open, end, closed: close >= 0, quotes };
    quotes += text.slice(open, end).split('"').length - 1;
    from = end;
  }
}

// The Greek of a run as it shows: grapho's text output for the run alone,
// its quotation marks turned where the runs before it leave one open.
function greekOfRun(text, run) {
  const inside = text.slice(run.start + 1, run.closed ? run.end - 1 : run.end);
  if (inside === "") return "";
  let { output } = convert("$" + inside + "$", { output: "text" });
  if (run.quotes % 2 === 1)
    output = output.replace(/[\u201c\u201d]/g, (mark) => mark === "\u201c" ? "\u201d" : "\u201c");
  return output;
}

const greekCharacter = /[\u0370-\u03ff\u1f00-\u1fff\u0300-\u036f]/;

// The word of Unicode Greek around `offset`, { start, end }, or null.
function greekWordAt(text, offset) {
  if (!greekCharacter.test(text[offset] ?? "")) return null;
  let start = offset;
  let end = offset + 1;
  while (start > 0 && greekCharacter.test(text[start - 1])) --start;
  while (end < text.length && greekCharacter.test(text[end])) ++end;
  return { start, end };
}

connection.onHover(({ textDocument, position }) => {
  const document = documents.get(textDocument.uri);
  if (!document || kindOf(document) === null) return null;
  const text = document.getText();
  const offset = document.offsetAt(position);
  const rangeOf = ({ start, end }) =>
    ({ start: document.positionAt(start), end: document.positionAt(end) });
  const run = kindOf(document) === "source" ? runAt(text, offset) : null;
  if (run) {
    return { contents: { kind: "plaintext", value: greekOfRun(text, run) }, range: rangeOf(run) };
  }
  const word = greekWordAt(text, offset);
  if (!word) return null;
  const greek = text.slice(word.start, word.end);
  return {
    contents: { kind: "plaintext", value: `${greek}\ntyped ${untype(greek)}` },
    range: rangeOf(word),
  };
});

// ---------------------------------------------------------------------------
// The code action: selected Unicode Greek into typing.

connection.onCodeAction(({ textDocument, range }) => {
  const document = documents.get(textDocument.uri);
  if (!document || kindOf(document) === null) return [];
  const selected = document.getText(range);
  if (!greekCharacter.test(selected)) return [];
  return [{
    title: "Type the Greek as grapho does",
    kind: CodeActionKind.RefactorRewrite,
    edit: { changes: { [document.uri]: [{ range, newText: untype(selected) }] } },
  }];
});

documents.listen(connection);
connection.listen();
