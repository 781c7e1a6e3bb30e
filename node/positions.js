// Where grapho's places fall in a JavaScript string, and back: grapho counts
// lines from 1, each ended by LF alone, and columns from 1 in bytes of UTF-8.
"use strict";

// The index in `line` of the character at byte `column`; line.length past its end.
function indexOfColumn(line, column) {
  const before = Buffer.from(line, "utf8").subarray(0, Math.max(column - 1, 0));
  return Math.min(before.toString("utf8").length, line.length);
}

// A function that gives the index in `text` of the character at `line`,
// `column`: text.length past the end.
function locator(text) {
  const starts = [0];
  for (let end = text.indexOf("\n"); end >= 0; end = text.indexOf("\n", end + 1))
    starts.push(end + 1);
  return (line, column) => {
    if (line > starts.length) return text.length;
    const start = starts[line - 1];
    const end = line < starts.length ? starts[line] - 1 : text.length;
    return start + indexOfColumn(text.slice(start, end), column);
  };
}

// The line and column of the character at `index` of `text`.
function placeOf(text, index) {
  const start = index > 0 ? text.lastIndexOf("\n", index - 1) + 1 : 0;
  const line = text.slice(0, start).split("\n").length;
  return { line, column: Buffer.byteLength(text.slice(start, index), "utf8") + 1 };
}

module.exports = { indexOfColumn, locator, placeOf };
