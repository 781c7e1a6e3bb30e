// grapho.convert(source, progress): `source` is a string, converted as its
// UTF-8 bytes, or a Uint8Array of bytes. Returns { output, error }: `output`
// the bytes that grapho writes for a file holding `source` (all of them, or
// those written before a transliteration error), of the same type as
// `source`; `error` null or { line, column, message }. Throws a RangeError
// when memory runs out. `progress(read, size)`, if given, is called as the
// core reads the source's `size` bytes, `read` of them so far.
Module["convert"] = (source, progress) =>
  callBinding(_grapho_convert, source, progress, "grapho.convert");

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

// Calls `convert` of the binding on the bytes of `source`, a string or a
// Uint8Array, and reads back its result.
function callBinding(convert, source, progress, name) {
  const asText = typeof source === "string";
  if (!asText && !(source instanceof Uint8Array))
    throw new TypeError(name + " takes a string or a Uint8Array");
  const bytes = asText ? new TextEncoder().encode(source) : source;
  const input = _malloc(Math.max(bytes.length, 1));
  if (!input) throw new RangeError("grapho: not enough memory for a source of this size");
  reportProgress = progress ? (read) => progress(read, bytes.length) : () => {};
  let status;
  try {
    HEAPU8.set(bytes, input);
    status = convert(input, bytes.length);
  } finally {
    _free(input);
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
