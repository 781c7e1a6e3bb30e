// The codes of the check's diagnostics, stable names which tests, editors and
// the command line's switches use: the four transliteration errors, which are
// always reported, and the warnings. Every warning can be switched off; one that
// is off by default can be switched on.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "convert/greek_run.hpp"

namespace grapho {

// grapho's transliteration errors, by their messages.
struct error_kind {
  std::string_view code;
  const char* message;
};

inline constexpr error_kind error_kinds[] = {
    {"mixed-breathings", mixed_breathings_message},
    {"mixed-accents", mixed_accents_message},
    {"too-many-marks", too_many_marks_message},
    {"invalid-combination", invalid_combination_message},
};

struct warning_kind {
  std::string_view code;
  bool on_by_default;
  std::string_view summary;
};

// clang-format off
inline constexpr warning_kind warning_kinds[] = {
    // Typing.
    {"open-run",            true, "a run still open at the end of the file"},
    {"dollar-after-digit",  true, "a \"$\" right after a digit opens a run"},
    {"marks-apart",         true, "marks separated from the letter they go to"},
    {"marks-dropped",       true, "marks still waiting when the run ends"},
    {"beta-code",           true, "typing that looks like Beta Code"},
    {"latin-question-mark", true, "\"?\" inside a run"},
    {"quote-left-open",     true, "quotation marks left open at the end of a file"},
    // Accentuation.
    {"acute-before-word",   true, "an acute on the last syllable before another word"},
    {"grave-before-stop",   true, "a grave before punctuation"},
    {"grave-not-final",     true, "a grave on a syllable other than the last"},
    {"accent-too-far",      true, "an accent too far from the end of the word"},
    {"long-ultima",         true, "an accent too far back before a long last syllable"},
    {"penult-circumflex",   true, "an acute where a long penult before a short ultima takes the circumflex"},
    {"two-accents",         true, "two accents on a word that no enclitic follows"},
    {"enclitic-accent",     true, "no second accent before an enclitic"},
    {"missing-accent",      true, "a word without an accent"},
    {"missing-breathing",   true, "a word beginning with a vowel or rho without a breathing"},
    {"misplaced-breathing", true, "a breathing elsewhere than on the word's first vowel"},
};
// clang-format on

// Which warnings are reported: those on by default, then as switched.
class warning_switches {
 public:
  warning_switches();

  // Switches the warnings of `codes`, separated by commas, on or off. Returns
  // why when one of them names no warning, and then switches none; an empty
  // list switches none.
  std::optional<std::string> set(std::string_view codes, bool on);

  // Whether warnings of `code` are reported; a code of no warning is.
  bool is_on(std::string_view code) const;

 private:
  std::array<bool, std::size(warning_kinds)> on_;
};

}  // namespace grapho
