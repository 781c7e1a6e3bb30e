// grapho.convert(source): `source` is a string, converted as its UTF-8 bytes,
// or a Uint8Array of bytes. Returns { output, error }: `output` the bytes that
// grapho writes for a file holding `source` (all of them, or those written
// before a transliteration error), of the same type as `source`; `error` null
// or { line, column, message }. Throws a RangeError when memory runs out.
Module["convert"] = (source) => callBinding(_grapho_convert, source, "grapho.convert");

// grapho.untype(greek): the typing that grapho turns back into `greek`, a
// string or a Uint8Array of Greek characters or of the references grapho
// writes, as ungrapho writes it; of the same type as `greek`.
Module["untype"] = (greek) => callBinding(_grapho_untype, greek, "grapho.untype").output;

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
  const result = callBinding(check, source, "grapho.check");
  if (result.error) throw new TypeError("grapho.check: " + result.error.message);
  const json =
    typeof result.output === "string" ? result.output : new TextDecoder().decode(result.output);
  return JSON.parse(json).map((found) => ({
    line: found.line, column: found.column, severity: found.severity, code: found.code,
    message: found.message, notes: found.notes,
  }));
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
function callBinding(convert, source, name) {
  const asText = typeof source === "string";
  if (!asText && !(source instanceof Uint8Array))
    throw new TypeError(name + " takes a string or a Uint8Array");
  const bytes = asText ? new TextEncoder().encode(source) : source;
  const input = _malloc(Math.max(bytes.length, 1));
  if (!input) throw new RangeError("grapho: not enough memory for a source of this size");
  let status;
  try {
    HEAPU8.set(bytes, input);
    status = convert(input, bytes.length);
  } finally {
    _free(input);
  }
  if (status === 2) throw new RangeError("grapho: not enough memory to convert this source");
  // The heap may have grown during the conversion: views are taken afresh, and
  // text is decoded from them without a copy first.
  const view = (data, size) => HEAPU8.subarray(data, data + size);
  const output = view(_grapho_output_data(), _grapho_output_size());
  const error = status === 0 ? null : {
    line: _grapho_error_line(),
    column: _grapho_error_column(),
    message: new TextDecoder().decode(view(_grapho_message_data(), _grapho_message_size())),
  };
  const result = { output: asText ? new TextDecoder().decode(output) : output.slice(), error };
  _grapho_release();
  return result;
}
