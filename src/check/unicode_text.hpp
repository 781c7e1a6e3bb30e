// The check of any UTF-8 text (Markdown, HTML, TEI, plain), whose Greek is
// checked wherever it stands: precomposed or decomposed, and "$" an ordinary
// character.
#pragma once

#include <string_view>

#include "check/diagnostic.hpp"

namespace grapho {

void check_unicode_text(std::string_view text, diagnostic_list& found);

}  // namespace grapho
