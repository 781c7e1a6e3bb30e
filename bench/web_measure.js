// The WebAssembly core's figures, the same in Node and in a browser:
// measureGrapho(grapho, page, runs) converts `page` (a string) as a whole for
// the throughput, through grapho.convert() as bytes and, for the core's own
// time, through the functions under it (its bytes in the module's memory
// already, the output left there); then its first 100 KB and 1 MB as the web
// page does on each key, string in and string out. Returns medians in ms.
function measureGrapho(grapho, page, runs) {
  const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];
  const time = (source, converter = grapho) => {
    converter.convert(source);  // warm
    const times = [];
    for (let run = 0; run < runs; ++run) {
      const start = performance.now();
      converter.convert(source);
      times.push(performance.now() - start);
    }
    return median(times);
  };
  const bytes = new TextEncoder().encode(page);
  const input = grapho._malloc(bytes.length);
  grapho.HEAPU8.set(bytes, input);
  const core = { convert: () => grapho._grapho_convert(input, bytes.length) };
  const core_ms = time(null, core);
  grapho._grapho_release();
  grapho._free(input);
  return {
    bytes: bytes.length,
    core_ms,
    whole_ms: time(bytes),
    ms_100k: time(page.slice(0, 100000)),
    ms_1m: time(page.slice(0, 1000000)),
  };
}
if (typeof module !== "undefined") module.exports = measureGrapho;
