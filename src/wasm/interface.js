// grapho.convert(source, options): `source` is a string, converted as its
// UTF-8 bytes, or a Uint8Array of bytes. Returns { output, error }: `output`
// the bytes that grapho writes for a file holding `source` (all of them, or
// those written before a transliteration error), of the same type as
// `source`; `error` null or { line, column, message }. `options`, all
// optional: { output: "html" or "text", progress }. With output "text", the
// output is UTF-8 text in Normalization Form C, the Greek as characters
// rather than references (textOf, below); a Uint8Array source must then give
// UTF-8 text. `progress(read, size)`, if given, is called as the core reads
// the source's `size` bytes, `read` of them so far; it may stand in place of
// the options. Throws a TypeError for a source or an option of the wrong type
// and a RangeError when memory runs out.
Module["convert"] = (source, options = {}) => {
  const switches = convertOptions(options);
  const result = callBinding(_grapho_convert, source, switches.progress, "grapho.convert");
  if (switches.output === "text") result.output = textOf(result.output);
  return result;
};

// The options of grapho.convert, checked, with their defaults.
function convertOptions(options) {
  if (typeof options === "function") return { output: "html", progress: options };
  if (typeof options !== "object" || options === null)
    throw new TypeError("grapho.convert takes its options as an object");
  const switches = {
    output: options.output === undefined ? "html" : options.output,
    progress: options.progress === undefined ? null : options.progress,
  };
  if (switches.output !== "html" && switches.output !== "text")
    throw new TypeError('grapho.convert: output is "html" or "text"');
  if (switches.progress !== null && typeof switches.progress !== "function")
    throw new TypeError("grapho.convert: progress is a function");
  return switches;
}

// The text of grapho's output `html`, a string or UTF-8 bytes, of the same
// type: every reference to a character outside ASCII (and C1's controls) is
// replaced by it, and the others (&lt;, &amp;, names grapho does not write)
// stay, so that the HTML means what it meant; then Normalization Form C. The
// angle brackets of {{ }}, U+2329 and U+232A, become the mathematical ones,
// U+27E8 and U+27E9: Normalization Form C would make them the CJK brackets
// U+3008 and U+3009, which browsers draw full-width.
function textOf(html) {
  const asText = typeof html === "string";
  let text;
  try {
    text = asText ? html : new TextDecoder("utf-8", { fatal: true, ignoreBOM: true }).decode(html);
  } catch {
    throw new TypeError('grapho.convert: output "text" needs a source of UTF-8 text');
  }
  text = text.replace(/&(?:#[xX]([0-9a-fA-F]+)|#([0-9]+)|([A-Za-z][A-Za-z0-9]*));/g,
    (reference, hex, decimal, name) => {
      const code = name !== undefined ? namedReferences().get(name) :
        hex !== undefined ? parseInt(hex, 16) : parseInt(decimal, 10);
      const character = code !== undefined && code >= 0xa0 && code <= 0x10ffff &&
        (code < 0xd800 || code > 0xdfff);
      return character ? String.fromCodePoint(code) : reference;
    })
    .replace(/[\u2329\u232a]/g, (bracket) => bracket === "\u2329" ? "\u27e8" : "\u27e9")
    .normalize("NFC");
  return asText ? text : new TextEncoder().encode(text);
}

// The named references that grapho writes, name to code point, from the
// binding's list ("name=code point,...").
let namedReferenceMap = null;
function namedReferences() {
  if (namedReferenceMap === null) {
    const list = _grapho_named_references();
    const text = utf8.decode(HEAPU8.subarray(list, HEAPU8.indexOf(0, list)));
    namedReferenceMap = new Map(text.split(",").map((entry) => {
      const [name, code] = entry.split("=");
      return [name, Number(code)];
    }));
  }
  return namedReferenceMap;
}

// grapho.untype(greek, progress): the typing that grapho turns back into
// `greek`, a string or a Uint8Array of Greek characters or of the references
// grapho writes, as ungrapho writes it; of the same type as `greek`.
// `progress` as for grapho.convert().
Module["untype"] = (greek, progress) =>
  callBinding(_grapho_untype, greek, progress, "grapho.untype").output;

// How a call of the binding ended: its `outcome` (binding.cpp).
const outcome = Object.freeze({ converted: 0, stopped: 1, out_of_memory: 2 });

// Text in and out is UTF-8, a byte order mark kept as the character it is.
const utf8 = new TextDecoder("utf-8", { ignoreBOM: true });

// Called by the binding with the count of bytes read so far.
let reportProgress = () => {};

// grapho.check(source, options): every mistake of `source`, a string (checked
// as its UTF-8 bytes) or a Uint8Array, at once, as graphocheck --format=json
// finds them: an array of { line, column, severity, code, message, notes },
// `notes` an array of { line, column, message }. `options`, all optional:
// { text: boolean, disable: [code...], enable: [code...] }, as graphocheck's
// --text, --disable and --enable. Throws a TypeError for a source or an
// option of the wrong type and for a code that names no warning.
Module["check"] = (source, options = {}) => {
  const switches = checkOptions(options);
  const [off, on] = [switches.disable, switches.enable].map((codes) =>
    new TextEncoder().encode(codes.join(",")));
  const check = (input, size) => withBytes(off, (disabled) => withBytes(on, (enabled) =>
    _grapho_check(input, size, switches.text ? 1 : 0, disabled, off.length, enabled, on.length)));
  const result = callBinding(check, source, null, "grapho.check");
  if (result.error) throw new TypeError("grapho.check: " + result.error.message);
  const json = typeof result.output === "string" ? result.output : utf8.decode(result.output);
  return JSON.parse(json).map((found) => ({
    line: found.line, column: found.column, severity: found.severity, code: found.code,
    message: found.message, notes: found.notes,
  }));
};

// grapho.warnings(): the warnings that grapho.check() reports, as graphocheck
// --help lists them: an array of { code, summary, on }, `on` whether it is
// reported unless switched off.
Module["warnings"] = () => {
  _grapho_warnings();
  const data = _grapho_output_data();
  const lines = utf8.decode(HEAPU8.subarray(data, data + _grapho_output_size()));
  _grapho_release();
  return lines.split("\n").slice(0, -1).map((line) => {
    const [code, on, summary] = line.split("\t");
    return { code, summary, on: on === "on" };
  });
};

// The options of grapho.check, checked, with their defaults. (Emscripten's
// optimizer drops a declaration that destructures with defaults.)
function checkOptions(options) {
  if (typeof options !== "object" || options === null)
    throw new TypeError("grapho.check takes its options as an object");
  const switches = {
    text: options.text === undefined ? false : options.text,
    disable: options.disable === undefined ? [] : options.disable,
    enable: options.enable === undefined ? [] : options.enable,
  };
  if (typeof switches.text !== "boolean")
    throw new TypeError("grapho.check: text is true or false");
  for (const list of [switches.disable, switches.enable]) {
    const codes = Array.isArray(list) && list.every((code) => typeof code === "string");
    if (!codes || !list.every((code) => /^[^,]+$/.test(code)))
      throw new TypeError("grapho.check: disable and enable are arrays of warnings' codes");
  }
  return switches;
}

// Calls `use` with a copy of `bytes` in the module's memory, which it frees after.
function withBytes(bytes, use) {
  const copy = _malloc(Math.max(bytes.length, 1));
  if (!copy) throw new RangeError("grapho: not enough memory");
  try {
    HEAPU8.set(bytes, copy);
    return use(copy);
  } finally {
    _free(copy);
  }
}

// Calls `convert` of the binding on the bytes of `source`, a string or a
// Uint8Array, and reads back its result.
function callBinding(convert, source, progress, name) {
  const asText = typeof source === "string";
  if (!asText && !(source instanceof Uint8Array))
    throw new TypeError(name + " takes a string or a Uint8Array");
  const bytes = asText ? new TextEncoder().encode(source) : source;
  reportProgress = progress ? (read) => progress(read, bytes.length) : () => {};
  let status;
  try {
    status = withBytes(bytes, (input) => convert(input, bytes.length));
  } finally {
    reportProgress = () => {};
  }
  if (status === outcome.out_of_memory)
    throw new RangeError("grapho: not enough memory to convert this source");
  // The heap may have grown during the conversion: views are taken afresh, and
  // text is decoded from them without a copy first.
  const view = (data, size) => HEAPU8.subarray(data, data + size);
  const output = view(_grapho_output_data(), _grapho_output_size());
  const error = status === outcome.converted ? null : {
    line: _grapho_error_line(),
    column: _grapho_error_column(),
    message: utf8.decode(view(_grapho_message_data(), _grapho_message_size())),
  };
  const result = { output: asText ? utf8.decode(output) : output.slice(), error };
  _grapho_release();
  return result;
}
