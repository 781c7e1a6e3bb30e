// grapho: polytonic Greek typed in ASCII into HTML or Unicode text.

/** A transliteration error: where grapho stopped, lines and columns from 1, columns in bytes. */
export interface ConversionError {
  line: number;
  column: number;
  message: string;
}

/** Called as the core reads the source: `read` of its `size` bytes so far. */
export type Progress = (read: number, size: number) => void;

export interface ConvertOptions {
  /** "html" (the default): grapho's output, references for the Greek; "text": UTF-8 text in NFC. */
  output?: "html" | "text";
  progress?: Progress;
}

/** The output (of the source's type; up to the mistake, if any) and the mistake or null. */
export interface ConvertResult<Output extends string | Uint8Array> {
  output: Output;
  error: ConversionError | null;
}

/** What grapho writes for a file holding `source`; a mistake is in `error`, never thrown. */
export declare function convert<Source extends string | Uint8Array>(
  source: Source,
  options?: ConvertOptions | Progress,
): ConvertResult<Source extends string ? string : Uint8Array>;

/** The typing that grapho turns back into `greek`: Unicode Greek or grapho's references. */
export declare function untype<Greek extends string | Uint8Array>(
  greek: Greek,
  progress?: Progress,
): Greek extends string ? string : Uint8Array;

export interface CheckOptions {
  /** Reads the source as UTF-8 text with Greek in Unicode, as graphocheck --text. */
  text?: boolean;
  /** Codes of warnings to leave out or to add, as graphocheck --disable and --enable. */
  disable?: string[];
  enable?: string[];
}

export interface Note {
  line: number;
  column: number;
  message: string;
}

/** One finding of graphocheck: lines and columns from 1, columns in bytes. */
export interface Diagnostic {
  line: number;
  column: number;
  severity: "error" | "warning";
  code: string;
  message: string;
  notes: Note[];
}

/** Every mistake of `source` at once, as graphocheck finds them. */
export declare function check(source: string | Uint8Array, options?: CheckOptions): Diagnostic[];
