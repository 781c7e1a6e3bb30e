// The markdown-it plugin of the installed package, with markdown-it itself:
// runs in code spans and "grc" blocks turned into Greek, everything else left
// alone, and each mistake at its line and column of the Markdown.
//
//   node markdown_it_test.js INSTALLED NODE_MODULES
"use strict";
const assert = require("assert");
const { installed, fail } = require("./support.js");

const [folder, development] = process.argv.slice(2);
const user = installed(folder, development);
const markdownIt = user.development("markdown-it");
const grapho = user.require("grapho/markdown-it");

// Markdown and its HTML.
const pages = [
  ["Sing, `$m^hnin >/aeide$`, and `code`, `$a$ $b$`, `$$`, `$a` and $m^hnin$ \\a.\n",
   '<p>Sing, <span lang="grc">\u03bc\u1fc6\u03bd\u03b9\u03bd \u1f04\u03b5\u03b9\u03b4\u03b5' +
   "</span>, and <code>code</code>, <code>$a$ $b$</code>, <code>$$</code>, <code>$a</code> " +
   "and $m^hnin$ \\a.</p>\n"],
  ["```grc\nm^hnin >/aeide qe\\a\n>/andra moi\n```\n",
   '<p lang="grc">\u03bc\u1fc6\u03bd\u03b9\u03bd \u1f04\u03b5\u03b9\u03b4\u03b5 \u03b8\u03b5\u1f70\n' +
   "\u1f04\u03bd\u03b4\u03c1\u03b1 \u03bc\u03bf\u03b9</p>\n"],
  ["```js\nlet a = `$a$`;\n```\n",
   '<pre><code class="language-js">let a = `$a$`;\n</code></pre>\n'],
  ['# `` $qe/a$ `` #\n\n> - `$"l/ogos"$`\n',
   '<h1><span lang="grc">\u03b8\u03b5\u03ac</span></h1>\n<blockquote>\n<ul>\n<li>' +
   '<span lang="grc">\u201c\u03bb\u03cc\u03b3\u03bf\u03c2\u201d</span></li>\n</ul>\n' +
   "</blockquote>\n"],
];

// Markdown with a mistake, and where it is: line, column (bytes) and message.
const accents = "Cannot mix different accents: a with acute grave";
const breathings = "Cannot mix different breathings: a with rough smooth";
const mistakes = [
  ["para\n\n  * x `$/\\a$`\n", 3, 11, accents],
  ["\u1f08\u03c7\u03b9\u03bb\u1fc6\u03bf\u03c2 `$/\\a$`\n", 1, 22, accents],
  ["## `$/\\a$` ##\n", 1, 8, accents],
  ["x `` $/\\a$ ``\n", 1, 9, accents],
  ["x `$a\n/\\a$`\n", 2, 3, accents],
  ["| a | b |\n|---|---|\n| `$qe/a$` | x `$/\\a$` |\n", 3, 20, accents],
  ["> quoted\n> ```grc\n> ok\n>   m^hnin <>a\n> ```\n", 4, 14, breathings],
  ["- ```grc\n  ab\n  <>a\n  ```\n", 3, 5, breathings],
  ["```grc\na $ b\n```\n", 2, 3, '"$" in a grc block, whose lines are the inside of a Greek run'],
];

try {
  const md = markdownIt().use(grapho);
  for (const [markdown, html] of pages) assert.strictEqual(md.render(markdown), html, markdown);

  for (const [markdown, line, column, message] of mistakes) {
    assert.throws(() => md.render(markdown), (error) => {
      assert.deepStrictEqual([error.line, error.column, error.message],
                             [line, column, `Line ${line}, column ${column}: ${message}`], markdown);
      return true;
    });
  }

  // With onError, each mistake goes there and its code stays as it was.
  const found = [];
  const forgiving = markdownIt().use(grapho, { onError: (error) => found.push(error.message) });
  assert.strictEqual(forgiving.render("x `$/\\a$` `$a$`\n\n```grc\n<>a\n```\n"),
                     '<p>x <code>$/\\a$</code> <span lang="grc">\u03b1</span></p>\n' +
                     "<pre><code class=\"language-grc\">&lt;&gt;a\n</code></pre>\n");
  assert.deepStrictEqual(found, [`Line 1, column 7: ${accents}`, `Line 4, column 3: ${breathings}`]);

  for (const options of [null, { onError: "log" }])
    assert.throws(() => markdownIt().use(grapho, options), TypeError);
  console.log(`${pages.length} pages and ${mistakes.length} mistakes, as markdown-it renders them`);
} catch (failure) {
  fail(failure);
}
