// The markdown-it plugin: md.use(grapho, options).

/** Turns `$...$` code spans and "grc" fenced blocks into Greek text. */
declare function grapho(md: unknown, options?: grapho.Options): void;

declare namespace grapho {
  interface MarkdownError extends Error {
    /** The line and column (in bytes) of the character in the Markdown, from 1. */
    line: number;
    column: number;
  }

  interface Options {
    /** Given each mistake instead of its being thrown; the code stays as it was. */
    onError?: (error: MarkdownError) => void;
  }
}

export = grapho;
