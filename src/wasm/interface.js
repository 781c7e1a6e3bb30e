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
