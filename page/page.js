// The page: converts the source with grapho's own core (in a worker made of
// grapho-worker.js) as it is typed, shows the result as a page and as HTML,
// points at a mistake, and copies, downloads and opens files; or reads Greek
// back into typing, as ungrapho does. Nothing leaves the machine. All of it
// is inside one function, which leaves nothing in the global scope (where a
// function `open`, say, would take the place of the window's).
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

  const $ = (id) => document.getElementById(id);
  const source = $("source");
  const marks = $("source-marks");
  const message = $("message");
  const showMistake = $("show-mistake");
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
  let pending = false;
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

  // Where line `line`, column `column` of grapho's count (bytes, from 1; only
  // LF ends a line) falls in `text`: the index of that character, which may be
  // text.length.
  function indexAt(text, line, column) {
    let index = 0;
    for (let l = 1; l < line; ++l) {
      const end = text.indexOf("\n", index);
      if (end < 0) return text.length;
      index = end + 1;
    }
    let bytes = 1;
    while (index < text.length && text[index] !== "\n") {
      const code = text.codePointAt(index);
      const size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
      if (bytes + size > column) break;
      bytes += size;
      index += code >= 0x10000 ? 2 : 1;
    }
    return index;
  }

  // The index in the text area of the character at `index` of `text`, which
  // the text area shows with each CR LF turned into one LF.
  function indexInTextArea(text, index) {
    let pairs = text.slice(0, index).split("\r\n").length - 1;
    if (text[index - 1] === "\r" && text[index] === "\n") ++pairs;
    return index - pairs;
  }

  // A copy of the source behind the text area, in which the character of the
  // mistake (a line end or the end as a space) is marked. The text after it is
  // there too, so that both scroll alike; and a space more, for the line that a
  // text area shows after a last line end.
  function markMistake(index) {
    const text = source.value;
    const character = text.codePointAt(index);
    const atEnd = character === undefined || text[index] === "\n";
    const shown = atEnd ? " " : String.fromCodePoint(character);
    const mark = document.createElement("mark");
    mark.textContent = shown;
    const after = text.slice(atEnd ? index : index + shown.length) + " ";
    marks.replaceChildren(text.slice(0, index), mark, after);
    marks.scrollTop = source.scrollTop;
    showMistake.onclick = () => {
      source.focus();
      source.setSelectionRange(index, index + shown.length);
    };
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
  // first byte alone, is shown whole.
  const characterNames = { " ": "space", "\t": "tab", "\n": "line end", "\r": "carriage return" };
  function visibleMessage(text, character) {
    const found = /^([^:]*: )([^]) with /u.exec(text);
    if (!found) return text;
    const shown = found[2] === "\ufffd" && character !== undefined ? character : found[2];
    const code = shown.codePointAt(0);
    if ((code > 0x20 && code < 0x7f) || code === 0xfffd) return text;
    const control = code < 0x20 || code === 0x7f;
    const name = characterNames[shown] ?? (control ? "control character" : shown);
    const hex = code.toString(16).toUpperCase().padStart(4, "0");
    return `${found[1]}${name} (U+${hex})${text.slice(found[0].length - " with ".length)}`;
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
    marks.replaceChildren();
    showMistake.hidden = !error || held();
    let character;
    if (!showMistake.hidden) {
      const text = file ? file.text : source.value;
      const index = indexAt(text, error.line, error.column);
      markMistake(indexInTextArea(text, index));
      character = index < text.length ? String.fromCodePoint(text.codePointAt(index)) : undefined;
    }
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

  function showFailure(failure) {
    result = null;
    showOutput("");
    for (const button of resultButtons) button.disabled = true;
    say(message, `Not converted: ${failure}`);
  }

  // ---------------------------------------------------------------------------
  // Converting, with grapho's core in a worker (page/worker.js), so that the
  // page answers while a large source is converted, and shows how far it is.

  // A conversion of a larger source is given up for a newer one rather than
  // waited for: its worker is ended and another made.
  const largest_waited_for = 1 << 20;
  const workerScript = URL.createObjectURL(
    new Blob([`(${graphoWorker})();`], { type: "text/javascript" }));
  let worker = null;
  // The conversion in the worker, { id, size }, and whether another is wanted
  // once it ends: the source changed meanwhile.
  let running = null;
  let wanted = false;
  let conversions = 0;

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

  function convertNow() {
    pending = false;
    if (running) {
      if (running.size <= largest_waited_for) {
        wanted = true;
        return;
      }
      worker.terminate();
      startWorker();
    }
    const input = file ? file.bytes : source.value;
    running = { id: ++conversions, size: input.length };
    worker.postMessage({ id: running.id, direction, source: input });
  }

  function answered({ id, progress: done, result: answer, failure }) {
    if (id === textCopy?.id && done === undefined) return copyText(answer, failure);
    if (id !== running?.id) return;
    if (done !== undefined) return showProgress(done);
    running = null;
    showProgress(null);
    if (wanted) {
      wanted = false;
      convertNow();
    } else if (failure !== undefined) {
      showFailure(failure);
    } else {
      result = answer;
      show();
    }
  }

  // The share of the source read, or null when no conversion is under way;
  // the result shown meanwhile is the last one, which is not copied.
  function showProgress(done) {
    progress.hidden = done === null;
    if (done === null) return;
    progress.querySelector("progress").value = done;
    for (const button of resultButtons) button.disabled = true;
  }

  // Converts once per frame however fast the keys come.
  function convertSoon() {
    if (pending) return;
    pending = true;
    requestAnimationFrame(convertNow);
  }

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
    textCopy = { id: ++conversions };
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

  // The direction: the result tab, the buttons and the file name follow it.
  function setDirection(chosen) {
    direction = chosen;
    const toHtml = direction === "html";
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
      convertNow();
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
    convertSoon();
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
    convertNow();
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
  const kept = keptSource();
  if (kept) setSource(kept);
  else convertNow();
})();
