// The grammar of a page: text outside Greek runs is copied byte for byte, "$$"
// stands for one "$", and every other "$" opens a run, translated up to the
// "$" that closes it or to end of input.
#pragma once

#include "greek/tables.hpp"

namespace grapho {

class char_source;
class output_sink;

// Which way the next double quote of a run goes. It lives across runs and
// files: every double quote turns it.
enum class quote_state { next_opens, next_closes };

// Converts everything that `source` holds into `sink`.
void convert_page(char_source& source, output_sink& sink, quote_state& quotes);

}  // namespace grapho
