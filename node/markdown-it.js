// The markdown-it plugin: `md.use(require("grapho/markdown-it"), options)`.
// An inline code span that is exactly one Greek run, `$m^hnin$`, becomes
// <span lang="grc">μῆνιν</span>, and a fenced block whose info string is
// "grc", its lines typed as the inside of a run, a <p lang="grc">; both in
// UTF-8 text in Normalization Form C. Any other code span is left alone.
// Outside code, `$` and `\` are Markdown's (TeX's math, escapes): a code span
// keeps the typing as it was typed.
//
// A mistake throws an Error whose message names the line and column of the
// character in the Markdown (lines from 1, columns from 1 in bytes, as grapho
// counts), which it has as `line` and `column`; or, with the option
// `onError`, is given to it, and the code is left as it was.
"use strict";
const { convert } = require("./index.js");
const { indexOfColumn, locator, placeOf } = require("./positions.js");

// A code span holding one run and nothing else: "$$" outside a run is a dollar.
const oneRun = /^\$[^$]+\$$/;

function grapho(md, options = {}) {
  if (typeof options !== "object" || options === null)
    throw new TypeError("grapho/markdown-it takes its options as an object");
  const { onError } = options;
  if (onError !== undefined && typeof onError !== "function")
    throw new TypeError("grapho/markdown-it: onError is a function");
  keepCodeSpanStarts(md);
  md.core.ruler.after("inline", "grapho", (state) => {
    const mistakes = new Mistakes(state.src, onError);
    // A table's cells have no lines of their own: their row's are theirs.
    let lines = [0, 0];
    for (const block of state.tokens) {
      if (block.map) lines = block.map;
      if (block.type === "fence" && block.info.trim() === "grc") convertBlock(block, mistakes);
      else if (block.type === "inline" && block.children)
        for (const token of block.children) convertSpan(token, block.content, lines[0], mistakes);
    }
  });
  // Grapho's text output holds no markup: inside a run every ASCII sign that
  // HTML gives a meaning (< > & " ') is a key of the chart.
  md.renderer.rules.grapho_run = (tokens, index) =>
    `<span lang="grc">${tokens[index].content}</span>`;
  md.renderer.rules.grapho_block = (tokens, index) =>
    `<p lang="grc">${tokens[index].content}</p>\n`;
}

// markdown-it's tokens have no place in the source below the block: the rule
// of code spans is wrapped to note where each starts in its block's content.
function keepCodeSpanStarts(md) {
  const rules = md.inline.ruler.__rules__;
  const backticks = rules.find((rule) => rule.name === "backticks").fn;
  md.inline.ruler.at("backticks", (state, silent) => {
    const start = state.pos;
    const count = state.tokens.length;
    if (!backticks(state, silent)) return false;
    const token = state.tokens[state.tokens.length - 1];
    if (!silent && state.tokens.length > count && token.type === "code_inline") {
      // The content loses one space at each end when it has one at both.
      const inner = state.pos - start - 2 * token.markup.length;
      const trimmed = inner !== token.content.length ? 1 : 0;
      token.meta = { ...token.meta, graphoStart: start + token.markup.length + trimmed };
    }
    return true;
  });
}

// A code span of the inline content `content`, which starts on line `firstLine`.
function convertSpan(token, content, firstLine, mistakes) {
  if (token.type !== "code_inline" || !oneRun.test(token.content)) return;
  const { output, error } = convert(token.content, { output: "text" });
  if (error) {
    const at = token.meta.graphoStart + indexOfColumn(token.content, error.column);
    return mistakes.report(error.message, content, firstLine, at);
  }
  token.type = "grapho_run";
  token.content = output;
}

function convertBlock(block, mistakes) {
  const body = block.content.replace(/\n$/, "");
  const firstLine = block.map[0] + 1;
  const dollar = body.indexOf("$");
  if (dollar >= 0) {
    return mistakes.report('"$" in a grc block, whose lines are the inside of a Greek run',
                           block.content, firstLine, dollar);
  }
  const run = "$" + body + "$";
  const { output, error } = convert(run, { output: "text" });
  if (error) {
    const at = Math.min(Math.max(locator(run)(error.line, error.column) - 1, 0), body.length);
    return mistakes.report(error.message, block.content, firstLine, at);
  }
  block.type = "grapho_block";
  block.content = output;
}

// The mistakes of one Markdown source, thrown or given to `onError`.
class Mistakes {
  constructor(source, onError) {
    this.source = source;
    this.onError = onError;
    this.lines = null;
  }

  // The mistake `message` at index `at` of `content`, a block's text whose
  // lines stand at the ends of the source's lines from `firstLine` (from 0).
  report(message, content, firstLine, at) {
    const { line, column } = placeOf(this.source, this.indexInSource(content, firstLine, at));
    const error = new Error(`Line ${line}, column ${column}: ${message.trimEnd()}`);
    Object.assign(error, { line, column });
    if (!this.onError) throw error;
    this.onError(error);
  }

  // Each line of a block's content is its source line without what stands
  // before it (indentation, markers of lists and quotes) and without the
  // spaces after it; a heading's also without its closing marks.
  indexInSource(content, firstLine, at) {
    if (this.lines === null) this.lines = this.source.split("\n");
    const before = content.slice(0, at).split("\n");
    const line = firstLine + before.length - 1;
    const shown = content.split("\n")[before.length - 1].trimEnd();
    const text = this.lines[line] ?? "";
    let start = text.trimEnd().length - shown.length;
    if (start < 0 || text.slice(start, start + shown.length) !== shown)
      start = Math.max(text.indexOf(shown), 0);
    const lineStart = this.lines.slice(0, line).reduce((sum, each) => sum + each.length + 1, 0);
    return lineStart + start + before[before.length - 1].length;
  }
}

module.exports = grapho;
