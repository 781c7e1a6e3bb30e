#include "check/unicode_text.hpp"

namespace grapho {

// The reading of Unicode text is yet to come: for now nothing is found.
void check_unicode_text(std::string_view, diagnostic_list&) {}

}  // namespace grapho
