// What the converter needs from the Greek translator: the character that opens
// and closes a run, the translation of a run, and the fast path through
// buffered input, inside runs and out.
#pragma once

#include "greek/tables.hpp"

namespace grapho {

class char_source;
class output_sink;

// Translates the run whose opening "$" has just been read, up to and including
// the closing "$", or to end of input. `quote_state` tells whether the next
// double quote closes a quotation; it lives across runs and files.
void translate_greek_run(char_source& source, output_sink& sink, bool& quote_state);

// Translates as much of the buffered input as the fast path can, from outside
// a run or inside one with no marks pending; returns whether it ends inside a
// run (one it opened, or the one it started in).
bool translate_buffered(char_source& source, output_sink& sink, bool in_run);

}  // namespace grapho
