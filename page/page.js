// The page: converts the source with grapho's own core (in a worker made of
// grapho-worker.js) as it is typed, shows the result as a page and as HTML,
// lists and marks every mistake, and copies, downloads and opens files; or
// reads Greek back into typing, as ungrapho does. Nothing leaves the machine.
// All of it is inside one function, which leaves nothing in the global scope
// (where a function `open`, say, would take the place of the window's).
(() => {
  "use strict";

  // A file larger than this is converted whole but not put in the text area; one
  // larger than `largest_file` is not converted at all; an output larger than
  // `largest_shown` characters is not shown as HTML, which would keep the page
  // busy for seconds. DOMPurify takes about half a second for a million
  // characters, on the page's thread: a page larger than
  // `largest_previewed_at_once` is previewed once the typing pauses, and one
  // larger than `largest_previewed` not at all.
  const largest_editable = 2 << 20;
  const largest_file = 64 << 20;
  const largest_shown = 8 << 20;
  const largest_previewed_at_once = 256 << 10;
  const largest_previewed = 2 << 20;
  // The check follows every conversion of a source up to this size whose last
  // check took at most `slowest_checked_at_once` milliseconds (a source of
  // typed Greek of that size takes about 13), and for any other waits until
  // the typing pauses: the next conversion would wait for it. At most
  // `largest_listed` diagnostics are listed and marked.
  const largest_checked_at_once = 256 << 10;
  const slowest_checked_at_once = 25;
  const largest_listed = 500;

  const $ = (id) => document.getElementById(id);
  const source = $("source");
  const marks = $("source-marks");
  const message = $("message");
  const showMistake = $("show-mistake");
  const textSwitch = $("unicode-text");
  const diagnostics = $("diagnostics");
  const checkSummary = $("check-summary");
  const preview = $("preview");
  const html = $("html");
  const resultNote = $("result-note");
  const copyStatus = $("copy-status");
  const progress = $("progress");
  const copyButtons = [$("copy-html"), $("copy-text")];
  const resultButtons = [...copyButtons, $("download"), $("use-typing")];
  const utf8 = new TextDecoder("utf-8", { ignoreBOM: true });

  // The name of the file the source came from, for the download's name.
  let sourceName = "quotations.txt";
  // The file opened last, whose bytes are converted until the source is edited,
  // so that the page writes what grapho writes for it: the text area turns its
  // CR LF and CR into LF. { name, bytes, text }: `text` is what the text area
  // shows, or null when the file is held instead, converted but not shown
  // (`why`: too large, or not UTF-8 text); typing then starts a new source.
  let file = null;
  // The last conversion: { output, error, utf8 }, output a string or a
  // Uint8Array, utf8 whether it is UTF-8 text.
  let result = null;
  // What the last check found in the source: the worker's answer, { found,
  // errors, warnings } (page/worker.js), or null, `unchecked` then saying why.
  let checked = null;
  let unchecked = "";
  // How long the last check took, in milliseconds.
  let checkTook = 0;
  // The warnings switched on or off, { code: true or false }, as graphocheck's
  // --enable and --disable switch them.
  let switched = {};
  // "html": typed Greek into HTML, as grapho does; "typing": Greek, as
  // characters or as grapho's references, back into typing, as ungrapho does.
  let direction = "html";
  // The page whose copy the preview shows, or is about to.
  let previewed = "";
  let previewing = 0;
  // Whether the preview's next load is that of the page put there, rather than
  // a link followed inside it.
  let previewLoading = false;

  // The output's name: up to the last dot, then ".html" as grapho gives it, or
  // ".txt" for typing.
  function outputName(name) {
    const dot = name.lastIndexOf(".");
    return (dot < 0 ? name : name.slice(0, dot)) + (direction === "html" ? ".html" : ".txt");
  }

  function megabytes(size) {
    return (size / (1 << 20)).toFixed(1) + " MB";
  }

  // Where the places of grapho's count (lines and columns in bytes from 1;
  // only LF ends a line) fall in `text`: `indexAt(line, column)`, the index of
  // that character, which may be text.length; and `inTextArea(index)`, where
  // the character at `index` is in the text area, which shows `text` with each
  // CR LF turned into one LF. Places asked for in order take one pass.
  function placesIn(text) {
    const lineStarts = [0];
    for (let end = text.indexOf("\n"); end >= 0; end = text.indexOf("\n", end + 1))
      lineStarts.push(end + 1);
    const pairs = [];
    for (let pair = text.indexOf("\r\n"); pair >= 0; pair = text.indexOf("\r\n", pair + 2))
      pairs.push(pair);
    let last = { line: 0, column: 1, index: 0 };
    function indexAt(line, column) {
      if (line > lineStarts.length) return text.length;
      let { index, column: bytes } = last.line === line && last.column <= column ? last :
        { index: lineStarts[line - 1], column: 1 };
      while (index < text.length && text[index] !== "\n") {
        const code = text.codePointAt(index);
        const size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (bytes + size > column) break;
        bytes += size;
        index += code >= 0x10000 ? 2 : 1;
      }
      last = { line, column: bytes, index };
      return index;
    }
    // Less the CRs of the pairs before `index`.
    function inTextArea(index) {
      let low = 0;
      for (let high = pairs.length; low < high;) {
        const middle = (low + high) >> 1;
        if (pairs[middle] < index) low = middle + 1;
        else high = middle;
      }
      return index - low;
    }
    return { indexAt, inTextArea };
  }

  // Keeps the children of `parent` as `keys` say, one child a key: those
  // from the first to the last whose key has changed since the last call are
  // made anew, `make(i)` for `keys[i]`, and the others kept with their layout,
  // as an edit changes a few lines of a long text.
  function keyedChildren(parent) {
    let shown = [];
    return (keys, make) => {
      const common = Math.min(shown.length, keys.length);
      let start = 0;
      while (start < common && shown[start] === keys[start]) ++start;
      let end = 0;
      while (end < common - start && shown[shown.length - 1 - end] === keys[keys.length - 1 - end])
        ++end;
      const next = parent.children[shown.length - end] ?? null;
      for (let i = shown.length - end - 1; i >= start; --i) parent.children[i].remove();
      const made = document.createDocumentFragment();
      for (let i = start; i < keys.length - end; ++i) made.append(make(i));
      parent.insertBefore(made, next);
      shown = keys;
    };
  }

  // The copy of the source behind the text area, in which the character of
  // each place is marked (a line end or the end as a space), an error's apart
  // from a warning's, which it takes where both fall on one character;
  // `places` are { index, severity }, indexes of the text area's text. A block
  // for each line, which wraps as the text area wraps it, so that an edit lays
  // out again only the lines it changed; and a space after the last, for the
  // line that a text area shows after a last line end. The copy is made for
  // the first place, and kept, unmarked, while there are none, so that marks
  // that come and go lay out again only their lines; a source held, not
  // shown, has none.
  const updateCopy = keyedChildren(marks);
  function markPlaces(places) {
    const copied = places.length > 0 || (marks.childElementCount > 0 && !held());
    const lines = copied ? source.value.split("\n") : [];
    places.sort((a, b) => a.index - b.index || (a.severity === "error" ? -1 : 1));
    // The marks of each line that has any: [offset, severity].
    const lineMarks = new Map();
    let line = 0;
    let lineStart = 0;
    for (const { index, severity } of places) {
      for (; line < lines.length - 1 && index > lineStart + lines[line].length; ++line)
        lineStart += lines[line].length + 1;
      const marked = lineMarks.get(line) ?? [];
      if (marked.at(-1)?.[0] !== index - lineStart) marked.push([index - lineStart, severity]);
      lineMarks.set(line, marked);
    }
    const last = lines.length - 1;
    const keys = lines.map((text, i) =>
      (i === last ? "last" : "") + JSON.stringify(lineMarks.get(i) ?? []) + "\n" + text);
    updateCopy(keys, (i) => {
      const block = document.createElement("div");
      const text = lines[i];
      let from = 0;
      for (const [offset, severity] of lineMarks.get(i) ?? []) {
        const atEnd = offset >= text.length;
        const shown = atEnd ? " " : String.fromCodePoint(text.codePointAt(offset));
        const mark = document.createElement("mark");
        mark.className = severity;
        mark.textContent = shown;
        mark.dataset.offset = offset;
        block.append(text.slice(from, offset), mark);
        from = atEnd ? offset : offset + shown.length;
      }
      block.append(text.slice(from) + (i === last ? " " : "\n"));
      return block;
    });
    marks.scrollTop = source.scrollTop;
  }

  // The mark of the character at `index` of the text area, if any.
  function markAt(index) {
    const lines = source.value.slice(0, index).split("\n");
    const offset = lines.at(-1).length;
    return marks.children[lines.length - 1]?.querySelector(`mark[data-offset="${offset}"]`);
  }

  // Puts the cursor on the character at the place `line`, `column` of the
  // source, selected, and scrolls the source to its mark.
  function choose(line, column) {
    const text = sourceText();
    const places = placesOf(text);
    const index = places.inTextArea(places.indexAt(line, column));
    const character = source.value.codePointAt(index);
    const atEnd = character === undefined || character === 0x0a;
    source.focus();
    source.setSelectionRange(index, index + (atEnd ? 0 : String.fromCodePoint(character).length));
    const mark = markAt(index);
    if (mark && (mark.offsetTop < source.scrollTop ||
                 mark.offsetTop + mark.offsetHeight > source.scrollTop + source.clientHeight))
      source.scrollTop = mark.offsetTop - source.clientHeight / 3;
    marks.scrollTop = source.scrollTop;
  }

  // Changes what `element` says only when it says something else, so that a
  // screen reader does not hear the same message again on every key.
  function say(element, text) {
    if (element.textContent !== text) element.textContent = text;
  }

  // Shows the output, unless it is too large or not UTF-8 text, and says what
  // it shows: "" (nothing), "text" (as text only) or "page" (as a page too).
  function showOutput(output) {
    let text = "";
    if (output.length <= largest_shown && result?.utf8 !== false)
      text = typeof output === "string" ? output : utf8.decode(output);
    // Typing is text, not a page to preview.
    const page = direction === "html" && text.length <= largest_previewed ? text : "";
    if (previewed !== page) {
      previewed = page;
      clearTimeout(previewing);
      if (page.length <= largest_previewed_at_once) showInPreview(previewOf(page));
      else previewing = setTimeout(() => showInPreview(previewOf(page)), 500);
    }
    say(html, text);
    return text === "" && output.length > 0 ? "" : page === text ? "page" : "text";
  }

  // The preview shows a copy of the page made by DOMPurify, with nothing in it
  // that can run or start a connection: a browser opens one for a preconnect
  // link, a link the mouse is pressed on or a frame as soon as it sees them,
  // whatever the sandbox and the policy say, which stay as a second wall. Gone
  // are the elements that load or send (frames, objects, forms, links, meta
  // refreshes, base), every address that leads out of the page (only "#..."
  // stays, and data: where DOMPurify allows it), and any style that could name
  // one: CSS fetches through url(), image-set() and @import, and hides any name
  // behind a backslash escape.
  const purifier = DOMPurify(window);
  const previewPolicy = {
    WHOLE_DOCUMENT: true,
    ADD_TAGS: ["!doctype"],
    FORBID_TAGS: ["base", "embed", "form", "frame", "frameset", "iframe", "link", "meta", "object",
                  "portal"],
  };
  const addressAttributes = new Set(["action", "background", "href", "poster", "src", "srcset",
                                     "xlink:href"]);
  const cssReachingOut = /\\|url\(\s*(?!["']?#)|image-set\(|src\(|@import/i;
  purifier.addHook("uponSanitizeAttribute", (node, attribute) => {
    const value = attribute.attrValue;
    if (addressAttributes.has(attribute.attrName)) {
      attribute.keepAttr = value.startsWith("#") ||
        (attribute.attrName !== "srcset" && /^data:/i.test(value));
    } else if (cssReachingOut.test(value)) {
      attribute.keepAttr = false;
    }
  });
  purifier.addHook("uponSanitizeElement", (node, element) => {
    if (element.tagName === "style" && cssReachingOut.test(node.textContent)) node.textContent = "";
  });

  function previewOf(page) {
    return page === "" ? "" : purifier.sanitize(page, previewPolicy);
  }

  function showInPreview(text) {
    previewLoading = true;
    preview.srcdoc = text;
  }

  // A link followed in the preview is refused by the policy, which leaves an
  // error in its place: the page is put back.
  preview.addEventListener("load", () => {
    if (previewLoading) {
      previewLoading = false;
      return;
    }
    showInPreview(preview.srcdoc);
  });

  const held = () => file !== null && file.text === null;

  // A message about marks names the character after them, which may be one
  // that cannot be seen (a space, a line end): it is named then, with its code,
  // and a character of more than one byte, which the message gives by its
  // first byte alone (U+FFFD, or its escape in the check's messages), is shown
  // whole: `character`, the source's at the place of the message.
  const characterNames = { " ": "space", "\t": "tab", "\n": "line end", "\r": "carriage return" };
  function visibleMessage(text, character) {
    const found = /^([^:]*: )(\\x[0-9a-f]{2}|\\[nrt]|[^]) with /u.exec(text);
    if (!found) return text;
    const named = found[2];
    const escaped = named.length > 1 || named === "\ufffd";
    const shown = escaped && character !== undefined ? character : named;
    const code = shown.codePointAt(0);
    if ((code > 0x20 && code < 0x7f) || code === 0xfffd) return text;
    const control = code < 0x20 || code === 0x7f;
    const name = characterNames[shown] ?? (control ? "control character" : shown);
    const hex = code.toString(16).toUpperCase().padStart(4, "0");
    return `${found[1]}${name} (U+${hex})${text.slice(found[0].length - " with ".length)}`;
  }

  // The text whose places the conversion and the check give: an opened file's
  // own until it is edited, or the text area's.
  const sourceText = () => (file ? file.text : source.value);
  let placesCache = { text: null, places: null };
  function placesOf(text) {
    if (placesCache.text !== text) placesCache = { text, places: placesIn(text) };
    return placesCache.places;
  }
  function characterAt(text, index) {
    return index < text.length ? String.fromCodePoint(text.codePointAt(index)) : undefined;
  }

  function show() {
    const { output, error, utf8: isText } = result;
    const shown = showOutput(output);
    for (const button of resultButtons) button.disabled = error !== null;
    // Copied as text, bytes that are not UTF-8 would become U+FFFD.
    for (const button of copyButtons) button.disabled ||= !isText;
    copyStatus.textContent = isText ? "" : "The result is not UTF-8 text, as its source is not: " +
      "copied, its bytes would change. Download it instead.";
    message.className = "";
    showMistake.hidden = !error || held();
    let character;
    if (!showMistake.hidden) {
      const text = sourceText();
      character = characterAt(text, placesOf(text).indexAt(error.line, error.column));
    }
    if (error) showMistake.onclick = () => choose(error.line, error.column);
    say(message, error ? `Line ${error.line}, column ${error.column}: ` +
      visibleMessage(error.message.trimEnd(), character) : "");
    const download = error ? "" : " Download it as a whole.";
    if (!shown) {
      say(resultNote, (held() ? `${file.name} is ${file.why}: its result is not shown.` :
        "The result is too large to show here.") + download);
    } else if (error) {
      say(resultNote, "Shown up to the mistake: what grapho writes before it stops.");
    } else {
      say(resultNote, shown === "text" && direction === "html" ?
        "The page is too large to preview here: the HTML tab shows it." : "");
    }
  }

  // Unicode text is checked, not converted.
  function showNotConverted() {
    result = null;
    showOutput("");
    for (const button of resultButtons) button.disabled = true;
    say(message, "");
    showMistake.hidden = true;
    say(resultNote, "Unicode text is checked here, not converted: grapho converts its own " +
      "typing, in which every $ opens a run whose Latin letters become Greek.");
  }

  // ---------------------------------------------------------------------------
  // The list of what the check found, under the source: an item for each
  // diagnostic, which puts the cursor on its place, and a mark on each place.

  const updateList = keyedChildren(diagnostics);
  const plural = (count, what) => `${count} ${what}${count === 1 ? "" : "s"}`;

  function listItem({ line, column, severity, code, message: text, notes }, character) {
    const item = document.createElement("li");
    item.className = severity;
    const button = document.createElement("button");
    button.type = "button";
    const level = document.createElement("span");
    level.className = "severity";
    level.textContent = severity;
    const name = document.createElement("span");
    name.className = "code";
    name.textContent = `[${code}]`;
    const said = severity === "error" ? visibleMessage(text, character) : text;
    button.append(`Line ${line}, column ${column}: `, level, `: ${said} `, name);
    button.addEventListener("click", () => choose(line, column));
    item.append(button);
    if (notes.length > 0) {
      const list = document.createElement("ul");
      for (const note of notes) {
        const each = document.createElement("li");
        each.textContent = `Line ${note.line}, column ${note.column}: ${note.message}`;
        list.append(each);
      }
      item.append(list);
    }
    return item;
  }

  function summaryOf({ errors, warnings }) {
    const counts = [];
    if (errors > 0) counts.push(plural(errors, "error"));
    if (warnings > 0) counts.push(plural(warnings, "warning"));
    if (counts.length === 0) return "Nothing to point at: no mistake, no warning.";
    const all = errors + warnings;
    return counts.join(" and ") +
      (all > largest_listed ? `: the first ${largest_listed} listed and marked.` : ".");
  }

  // Lists and marks what the check found; unchecked, marks the conversion's
  // error alone.
  function showFound() {
    if (held()) {
      updateList([]);
      markPlaces([]);
      say(checkSummary, `${file.name} is not shown here, nor checked: graphocheck checks it.`);
      return;
    }
    const text = sourceText();
    const places = placesOf(text);
    const listed = checked?.found ?? [];
    const error = result?.error ?? null;
    const textIndexes = listed.map(({ line, column }) => places.indexAt(line, column));
    const toMark = listed.map(({ severity }, i) =>
      ({ index: places.inTextArea(textIndexes[i]), severity }));
    if (error) {
      toMark.push({ index: places.inTextArea(places.indexAt(error.line, error.column)),
                    severity: "error" });
    }
    markPlaces(toMark);
    // An error's item names the source's character, which its key holds.
    const characters = listed.map((each, i) =>
      each.severity === "error" ? characterAt(text, textIndexes[i]) : undefined);
    updateList(listed.map((each, i) => JSON.stringify([each, characters[i]])),
               (i) => listItem(listed[i], characters[i]));
    say(checkSummary, checked ? summaryOf(checked) : unchecked);
  }

  function showFailure(failure) {
    result = null;
    showOutput("");
    for (const button of resultButtons) button.disabled = true;
    say(message, `Not converted: ${failure}`);
  }

  // ---------------------------------------------------------------------------
  // Converting and checking, with grapho's core in a worker (page/worker.js),
  // so that the page answers while a large source is converted, and shows how
  // far it is.

  // A job on a larger source is given up for a newer one rather than waited
  // for: its worker is ended and another made.
  const largest_waited_for = 1 << 20;
  const workerScript = URL.createObjectURL(
    new Blob([`(${graphoWorker})();`], { type: "text/javascript" }));
  let worker = null;
  // What the source still needs of the worker. The check waits until the
  // typing pauses (`checkWaits`) when it would slow it down.
  const needs = { convert: false, check: false };
  let checkWaits = false;
  let pausing = 0;
  let pending = false;
  // Each change of the source or of a choice makes a new version: a job's
  // answer about an older one is not shown, and what it did is asked again.
  let version = 0;
  // The job in the worker: { id, size, version, convert, check, converted }.
  let running = null;
  let jobs = 0;

  function startWorker() {
    worker = new Worker(workerScript);
    worker.addEventListener("message", ({ data }) => answered(data));
    worker.addEventListener("error", (event) => {
      event.preventDefault();
      running = null;
      showProgress(null);
      showFailure(event.message);
    });
  }

  // Unicode text is not converted: grapho's conversion would not leave it as
  // it is. Typing is read back from Greek, which the check reads as text.
  const converting = () => direction === "typing" || !textSwitch.checked;
  const readsText = () => direction === "typing" || textSwitch.checked;
  const sourceSize = () => (file ? file.bytes.length : source.value.length);

  // The source changed (`typed`: by typing), or what is done with it.
  function changed(typed) {
    ++version;
    needs.convert = true;
    clearTimeout(pausing);
    checkWaits = typed &&
      (sourceSize() > largest_checked_at_once || checkTook > slowest_checked_at_once);
    needs.check = !checkWaits;
    if (!checkWaits) return;
    pausing = setTimeout(() => {
      checkWaits = false;
      needs.check = true;
      runJobs();
    }, 500);
    if (checked !== null || unchecked === "") {
      checked = null;
      unchecked = "This source is checked once the typing pauses: its check would slow the " +
        "typing.";
      showFound();
    }
  }

  // What a job given up did is asked again.
  function redo(job) {
    needs.convert ||= job.convert && !job.converted;
    needs.check ||= job.check && !checkWaits;
  }

  // A job on a large source, or whose check takes long, is given up for a
  // newer one rather than waited for: its worker is ended and another made.
  function runJobs() {
    pending = false;
    if (running) {
      const slowCheck = running.check && (running.converted || !running.convert) &&
        checkTook > slowest_checked_at_once;
      if (running.size <= largest_waited_for && !slowCheck) return;
      worker.terminate();
      startWorker();
      redo(running);
      running = null;
      // A copy that the ended worker had still to make is asked of the new one.
      if (textCopy) copyAsText();
    }
    if (needs.convert && !converting()) showNotConverted();
    const convert = needs.convert && converting();
    const check = needs.check && !held();
    needs.convert = needs.check = false;
    if (!convert && !check) return showFound();
    const input = file ? file.bytes : source.value;
    running = { id: ++jobs, size: input.length, version, convert, check, converted: false };
    worker.postMessage({ id: running.id, source: input, direction: convert ? direction : null,
      check: check ? { text: readsText(), switched, listed: largest_listed } : null });
  }

  // A job answers with its conversion, then with its check.
  function answered({ id, progress: done, result: converted, failure, check, warnings }) {
    if (warnings) return showWarningSwitches(warnings);
    if (id === textCopy?.id && done === undefined) return copyText(converted, failure);
    if (id !== running?.id) return;
    if (done !== undefined) return showProgress(done);
    const job = running;
    const current = job.version === version;
    if (check === undefined) {
      job.converted = true;
      showProgress(null);
      if (current && failure !== undefined) showFailure(failure);
      if (current && converted) {
        result = converted;
        show();
        // Marked with what the check finds, which comes next.
        if (!job.check) showFound();
      }
      if (job.check) return;
    } else {
      checkTook = check.took ?? 0;
      if (current) {
        checked = check.unchecked === undefined ? check : null;
        unchecked = check.unchecked === undefined ? "" : `Not checked: ${check.unchecked}`;
        showFound();
      }
    }
    running = null;
    if (!current) redo(job);
    if (needs.convert || needs.check) runJobs();
  }

  // The share of the source read, or null when no conversion is under way;
  // the result shown meanwhile is the last one, which is not copied.
  function showProgress(done) {
    progress.hidden = done === null;
    if (done === null) return;
    progress.querySelector("progress").value = done;
    for (const button of resultButtons) button.disabled = true;
  }

  // Runs once per frame however fast the keys come.
  function runSoon() {
    if (pending) return;
    pending = true;
    requestAnimationFrame(runJobs);
  }

  // ---------------------------------------------------------------------------
  // The check's choices: the reading of Unicode text, and the warnings
  // switched on or off (as graphocheck's --text, --enable and --disable), kept
  // across reloads.

  const choicesKey = "grapho.check";
  function keepChoices() {
    try {
      localStorage.setItem(choicesKey, JSON.stringify({ text: textSwitch.checked, switched }));
    } catch {
      // Kept for this visit only; the note under the source says so.
    }
  }
  function keptChoices() {
    try {
      const kept = JSON.parse(localStorage.getItem(choicesKey));
      textSwitch.checked = kept?.text === true;
      if (typeof kept?.switched === "object" && kept.switched !== null) switched = kept.switched;
    } catch {
      // None kept.
    }
  }

  // A box for each warning the check knows, which the worker tells first.
  const warningCodes = $("warning-codes");
  function showWarningSwitches(warnings) {
    if (warningCodes.querySelector("input")) return;
    for (const { code, summary, on } of warnings) {
      const box = document.createElement("input");
      box.type = "checkbox";
      box.checked = switched[code] ?? on;
      box.addEventListener("change", () => {
        if (box.checked === on) delete switched[code];
        else switched[code] = box.checked;
        keepChoices();
        ++version;
        needs.check = true;
        runJobs();
      });
      const name = document.createElement("code");
      name.textContent = code;
      const label = document.createElement("label");
      label.append(box, " ", name, `: ${summary}`);
      warningCodes.append(label);
    }
  }

  // The note on the reading of Unicode text is shown while it is chosen.
  function showReading() {
    $("unicode-text-note").hidden = direction === "typing" || !textSwitch.checked;
  }
  textSwitch.addEventListener("change", () => {
    showReading();
    keepChoices();
    changed(false);
    runJobs();
  });

  // ---------------------------------------------------------------------------
  // Copying and downloading.

  async function copy(text, what) {
    try {
      await navigator.clipboard.writeText(text);
    } catch {
      const scratch = document.createElement("textarea");
      scratch.value = text;
      document.body.append(scratch);
      scratch.select();
      const copied = document.execCommand("copy");
      scratch.remove();
      if (!copied) {
        copyStatus.textContent = "The browser did not let the page copy.";
        return;
      }
    }
    copyStatus.textContent = `Copied ${what}.`;
  }

  function textOf(output) {
    return typeof output === "string" ? output : utf8.decode(output);
  }

  // The result as UTF-8 text in Normalization Form C, the Greek as characters
  // (grapho.convert()'s output "text"), which the worker makes of the source
  // and `answered` copies.
  let textCopy = null;
  function copyAsText() {
    textCopy = { id: ++jobs };
    const input = file ? file.bytes : source.value;
    worker.postMessage({ id: textCopy.id, direction: "text", source: input });
  }

  function copyText(answer, failure) {
    textCopy = null;
    if (answer) copy(textOf(answer.output), "the UTF-8 text");
    else copyStatus.textContent = `Not copied: ${failure}`;
  }

  $("copy-html").addEventListener("click", () =>
    copy(textOf(result.output), direction === "html" ? "the HTML" : "the typing"));
  $("copy-text").addEventListener("click", copyAsText);
  // The typing made the source of a conversion into HTML, as if it were a file.
  $("use-typing").addEventListener("click", () => {
    const { output } = result;
    const typing = sourceOfFile(outputName(sourceName),
      typeof output === "string" ? new TextEncoder().encode(output) : output);
    document.querySelector("input[name=direction][value=html]").checked = true;
    setDirection("html");
    replaceSource(typing, "The typing was put");
  });
  $("download").addEventListener("click", () => {
    const link = document.createElement("a");
    link.download = outputName(sourceName);
    const type = direction === "html" ? "text/html" : "text/plain";
    link.href = URL.createObjectURL(new Blob([result.output], { type }));
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  });

  // ---------------------------------------------------------------------------
  // Opening files.

  async function open(opened) {
    copyStatus.textContent = "";
    if (opened.size > largest_file) {
      message.className = "note";
      message.textContent = `${opened.name} is ${megabytes(opened.size)}, more than this page ` +
        `converts (${megabytes(largest_file)}): convert it with the grapho program.`;
      return;
    }
    const bytes = new Uint8Array(await opened.arrayBuffer());
    replaceSource(sourceOfFile(opened.name, bytes), `${opened.name} was opened`);
  }

  // The source of a file's bytes: shown in the text area when they are UTF-8
  // text small enough to edit, held otherwise.
  function sourceOfFile(name, bytes) {
    let text = null;
    try {
      text = new TextDecoder("utf-8", { fatal: true, ignoreBOM: true }).decode(bytes);
    } catch {
      // Not UTF-8: converted as bytes, never shown with replacement characters.
    }
    const shown = text !== null && bytes.length <= largest_editable;
    const why = text === null ? "not UTF-8 text" :
      `too large to edit here (${megabytes(bytes.length)})`;
    return { text: shown ? text : "", name, file: { name, bytes, text: shown ? text : null, why } };
  }

  $("open-file").addEventListener("change", (event) => {
    const [chosen] = event.target.files;
    if (chosen) open(chosen);
    event.target.value = "";
  });
  document.addEventListener("dragover", (event) => {
    event.preventDefault();
    document.body.classList.add("drop-target");
  });
  document.addEventListener("dragleave", () => document.body.classList.remove("drop-target"));
  document.addEventListener("drop", (event) => {
    event.preventDefault();
    document.body.classList.remove("drop-target");
    const [dropped] = event.dataTransfer.files;
    if (dropped) open(dropped);
  });

  // ---------------------------------------------------------------------------
  // The tabs of the result: arrow keys move between them, as a tab list's keys
  // do. The chart stays at the end of index.html, where the chart tool writes
  // it and where it is read without scripts; the page shows it in a tab of its
  // own, beside the source.

  const chart = $("chart");
  chart.open = true;
  $("chart-panel").append(chart);

  const tabs = [$("preview-tab"), $("html-tab"), $("chart-tab")];
  function selectTab(tab) {
    for (const other of tabs) {
      const selected = other === tab;
      other.setAttribute("aria-selected", String(selected));
      other.tabIndex = selected ? 0 : -1;
      $(other.getAttribute("aria-controls")).hidden = !selected;
    }
  }
  for (const tab of tabs) {
    tab.addEventListener("click", () => selectTab(tab));
    tab.addEventListener("keydown", (event) => {
      const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
      if (!step) return;
      const shown = tabs.filter((other) => !other.hidden);
      const next = shown[(shown.indexOf(tab) + step + shown.length) % shown.length];
      selectTab(next);
      next.focus();
    });
  }

  // The direction: the result tab, the buttons and the file name follow it;
  // back to typing, the source is Greek, which the check reads as Unicode text.
  function setDirection(chosen) {
    direction = chosen;
    const toHtml = direction === "html";
    $("unicode-text-choice").hidden = !toHtml;
    showReading();
    $("preview-tab").hidden = !toHtml;
    $("copy-text").hidden = !toHtml;
    $("copy-text-note").hidden = !toHtml;
    $("use-typing").hidden = toHtml;
    $("html-tab").textContent = toHtml ? "HTML" : "Typing";
    html.setAttribute("aria-label", toHtml ? "The HTML as grapho writes it" : "The typing");
    $("copy-html").textContent = toHtml ? "Copy the HTML" : "Copy the typing";
    $("download").textContent = toHtml ? "Download the .html" : "Download the .txt";
    selectTab(toHtml ? tabs[0] : tabs[1]);
  }
  for (const choice of document.querySelectorAll("input[name=direction]")) {
    choice.addEventListener("change", () => {
      setDirection(choice.value);
      changed(false);
      runJobs();
    });
  }

  source.addEventListener("input", () => {
    if (held()) {
      source.placeholder = "";
      sourceName = "source.txt";
    }
    file = null;
    replaced.hidden = true;
    keepSoon();
    changed(true);
    runSoon();
  });
  source.addEventListener("scroll", () => {
    marks.scrollTop = source.scrollTop;
  });

  // ---------------------------------------------------------------------------
  // What was typed is kept: across reloads, in the browser's storage for the
  // page, and when a file or the typing takes its place, by the Undo button.

  // A source: { text, name, file }, `file` as the variable of that name.
  function currentSource() {
    return { text: source.value, name: sourceName, file };
  }

  function setSource({ text, name, file: opened }) {
    source.value = text;
    sourceName = name;
    file = opened;
    source.placeholder = held() ? `${file.name} is converted as it is, but not shown: it is ` +
      `${file.why}. Type here to start a new source.` : "";
    keep();
    changed(false);
    runJobs();
  }

  const replaced = $("replaced");
  let replacedSource = null;
  function replaceSource(next, what) {
    replacedSource = currentSource();
    setSource(next);
    say($("replaced-note"), `${what} in place of the source.`);
    replaced.hidden = false;
  }
  $("undo").addEventListener("click", () => {
    replaced.hidden = true;
    setSource(replacedSource);
    source.focus();
  });

  // Kept as text; an opened file's bytes, which are its text's UTF-8, as long
  // as it is not edited. A held file is not kept, but what was typed before it.
  const storageKey = "grapho.source";
  let keeping = 0;
  function keep() {
    clearTimeout(keeping);
    keeping = 0;
    if (held()) return;
    try {
      localStorage.setItem(storageKey, JSON.stringify(
        { text: source.value, name: sourceName, file: file?.text ?? null }));
      $("storage-note").hidden = true;
    } catch {
      $("storage-note").hidden = false;
    }
  }
  function keepSoon() {
    if (!keeping) keeping = setTimeout(keep, 500);
  }
  addEventListener("pagehide", () => {
    if (keeping) keep();
  });

  function keptSource() {
    try {
      const kept = JSON.parse(localStorage.getItem(storageKey));
      if (typeof kept?.text !== "string" || typeof kept.name !== "string") return null;
      const opened = typeof kept.file === "string" ? { name: kept.name, text: kept.file,
        bytes: new TextEncoder().encode(kept.file) } : null;
      return { text: kept.text, name: kept.name, file: opened };
    } catch {
      return null;
    }
  }

  startWorker();
  keptChoices();
  showReading();
  const kept = keptSource();
  if (kept) {
    setSource(kept);
  } else {
    changed(false);
    runJobs();
  }
})();
