// The page's conversions and checks, in a worker of their own, so that the
// page answers while a large source is converted. The build puts this after
// grapho.js in the function graphoWorker (grapho-worker.js), of whose text the
// page makes the worker's script: a worker is not loaded from a file on the
// disk.
//
// It first tells the warnings that the check knows, { warnings }, as
// grapho.warnings() gives them. Asked { id, direction, source, check }, it
// converts `source` when `direction` is not null ("html", "text": grapho's
// output as UTF-8 text, or "typing"), answering { id, progress } now and then
// while it reads a large source, then { id, result } (the result of
// grapho.convert(), with `utf8`: whether its output is UTF-8 text) or
// { id, failure }. Then, when `check` ({ text, switched, listed }: `switched`
// the warnings' codes switched on or off, as true or false) is given, it
// checks `source` and answers { id, check }: `check` { found, errors,
// warnings, took }, the first `listed` of what grapho.check() finds, how many
// errors and warnings it finds in all and how many milliseconds it took, or
// { unchecked }, why not.
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

  function convert(grapho, id, direction, source) {
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
  }

  // A code that the check does not know, kept by another version of the
  // page, is left out.
  function check(grapho, warnings, id, source, { text, switched, listed }) {
    const switchedTo = (on) => warnings
      .filter((kind) => switched[kind.code] === on && kind.on !== on).map((kind) => kind.code);
    try {
      const start = performance.now();
      const found = grapho.check(source,
                                 { text, disable: switchedTo(false), enable: switchedTo(true) });
      const took = performance.now() - start;
      const errors = found.filter((each) => each.severity === "error").length;
      postMessage({ id, check: { found: found.slice(0, listed), errors,
                                 warnings: found.length - errors, took } });
    } catch (failure) {
      postMessage({ id, check: { unchecked: failure.message } });
    }
  }

  const warnings = (async () => {
    const known = (await core).warnings();
    postMessage({ warnings: known });
    return known;
  })();

  addEventListener("message", async ({ data: { id, direction, source, check: options } }) => {
    const grapho = await core;
    if (direction !== null) convert(grapho, id, direction, source);
    if (options) check(grapho, await warnings, id, source, options);
  });
})();
