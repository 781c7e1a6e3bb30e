// The page's conversions, in a worker of their own, so that the page answers
// while a large source is converted. The build puts this after grapho.js in
// the function graphoWorker (grapho-worker.js), of whose text the page makes
// the worker's script: a worker is not loaded from a file on the disk.
//
// Asked { id, direction, source }, direction "html", "text" (grapho's output
// as UTF-8 text) or "typing", it answers { id, progress } now and then while
// it reads a large source, then { id, result } (grapho.convert()'s result,
// with `utf8`: whether its output is UTF-8 text) or { id, failure }.
(() => {
  "use strict";
  const core = createGrapho();
  // A progress for each MiB read, and none for a smaller source.
  const progressStep = 1 << 20;

  function isUtf8(output) {
    if (typeof output === "string") return true;
    const decoder = new TextDecoder("utf-8", { fatal: true });
    try {
      // In pieces, which a large output would not fit into one string.
      for (let start = 0; start < output.length; start += 1 << 24)
        decoder.decode(output.subarray(start, start + (1 << 24)), { stream: true });
      decoder.decode();
      return true;
    } catch {
      return false;
    }
  }

  addEventListener("message", async ({ data: { id, direction, source } }) => {
    const grapho = await core;
    let reported = 0;
    const progress = (read, size) => {
      if (read - reported < progressStep) return;
      reported = read;
      postMessage({ id, progress: read / size });
    };
    try {
      const result = direction === "typing" ?
        { output: grapho.untype(source, progress), error: null } :
        grapho.convert(source, { output: direction, progress });
      result.utf8 = isUtf8(result.output);
      postMessage({ id, result }, typeof result.output === "string" ? [] : [result.output.buffer]);
    } catch (failure) {
      postMessage({ id, failure: failure.message });
    }
  });
})();
