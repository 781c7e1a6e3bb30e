// The check of grapho's typing: the page read as grapho reads it, "$$" and
// runs, and every character of a run handled by the rules grapho converts
// with, but where grapho stops at an error the check reports it and goes on.
#include "check/check.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "check/accents.hpp"
#include "check/unicode_text.hpp"
#include "convert/dispatch.hpp"
#include "convert/greek_run.hpp"
#include "greek/tables.hpp"
#include "greek/unicode_data.hpp"
#include "io/char_source.hpp"
#include "io/error.hpp"
#include "io/utf8.hpp"

namespace grapho {
namespace {

// ---------------------------------------------------------------------------
// What the walk needs to know of letters and signs, derived from the tables.

// The Greek letter each letter key gives without marks, as a code point; the
// sigma's key has the medial sigma here.
constexpr auto plain_letters = [] {
  std::array<char32_t, 128> letters{};
  for (const auto& entry : letter_entries)
    if (is_letter(entry.key))
      letters[static_cast<unsigned char>(entry.key)] = code_point_of(entry.entity);
  letters[sigma_key] = code_point_of(medial_sigma_entity);
  return letters;
}();

constexpr char32_t plain_letter(int key) {
  return plain_letters[static_cast<unsigned char>(key)];
}

constexpr std::string_view entity_of(char key) {
  for (const auto& entry : letter_entries)
    if (entry.key == key) return entry.entity;
  return {};
}

// "&" types a whole word, kai: its letters, with the marks of each.
constexpr char word_key = '&';

constexpr auto word_letters = [] {
  constexpr std::string_view word = entity_of(word_key);
  std::array<letter_with_marks, std::count(word.begin(), word.end(), ';')> letters{};
  std::string_view rest = word;
  for (auto& letter : letters) {
    std::string_view reference = rest.substr(0, rest.find(';') + 1);
    rest.remove_prefix(reference.size());
    letter = {code_point_of(reference), 0};
    for (const auto& row : combination_table)
      if (row.entity == reference) letter = {plain_letter(row.letter), row.marks};
  }
  return letters;
}();

// The apostrophe, grapho's elision mark.
constexpr char elision_key = '\'';
static_assert(code_point_of(entity_of(elision_key)) == 0x1FBF);

// The elision marks of Unicode text, ’ ʼ ᾽ ᾿, which grapho copies as they
// stand in a run, as ungrapho leaves them and as they are pasted: each ends
// the word it follows, as the apostrophe does.
constexpr char32_t unicode_elision_marks[] = {0x2019, 0x02BC, 0x1FBD, 0x1FBF};

// The length in bytes of such a mark at `at`, or 0.
inline std::size_t elision_mark_length(const unsigned char* at, const unsigned char* end) {
  char32_t c = 0;
  const std::size_t length = decode_utf8(at, end, c);
  return std::find(std::begin(unicode_elision_marks), std::end(unicode_elision_marks), c) !=
                 std::end(unicode_elision_marks)
             ? length
             : 0;
}

// What a byte of a run is to the walk. The first four only end a word, and
// are numbered as the breaks they make.
enum class key_kind : std::uint8_t {
  space,     // ends a word: white space
  line_end,  // ends a word: a line end
  stop,      // ends a word: punctuation, ";" the upper stop
  other,     // ends a word: any other text, digits, bytes of UTF-8
  letter,    // a letter key but the sigma's
  sigma,     // medial or final by what follows
  mark,      // a mark, for the letter after it
  question,  // "?", which grapho keeps Latin: punctuation, and a warning
  elision,   // ends the word it follows
  word,      // "&", the word kai
  quote,     // a quotation mark, opening and closing in turn
  pair,      // a sign that gives another when doubled
  beta,      // "(", ")" and "*", which Beta Code types with
  escape,    // "$", which ends the run
};

// All that a byte of a run is to the walk, found with one look-up, in eight
// bytes, which the look-up's addressing scales by itself.
struct key_facts {
  // A letter key's letter without marks, the sigma's medial, as a word holds
  // it: its small form, within 16 bits, and its traits.
  char16_t small = 0;
  std::uint16_t traits = 0;
  key_kind kind = key_kind::other;
  std::uint8_t mark = 0;  // a mark key's bit
  // The letter key's slot in `combination_index`: which marks it takes.
  std::uint8_t combinations = 0;
  bool keeps_sigma_medial = false;  // an "s" before it is a medial sigma

  constexpr small_form form() const { return {small, traits}; }
};

// The sigma takes no marks: a letter and its marks combine by its slot alone.
static_assert(letters_taking_marks.find(sigma_key) == std::string_view::npos);

// The facts of each byte; bytes above 127 are other text.
constexpr auto key_table = [] {
  std::array<key_facts, 256> keys{};
  auto set_kind = [&keys](key_kind kind, std::initializer_list<int> bytes) {
    for (int c : bytes) keys[static_cast<unsigned char>(c)].kind = kind;
  };
  for (int c = 0; c < 256; ++c) {
    key_facts& key = keys[static_cast<std::size_t>(c)];
    key.combinations = combination_slot_by_character[static_cast<std::size_t>(c)];
    key.keeps_sigma_medial = keeps_sigma_medial(c);
    if (!is_letter(c)) continue;
    key.kind = key_kind::letter;
    const small_form form = small_form_of(plain_letter(c));
    key.small = static_cast<char16_t>(form.small);
    key.traits = form.traits;
  }
  keys[sigma_key].kind = key_kind::sigma;
  for (const auto& entry : mark_table) {
    keys[static_cast<unsigned char>(entry.key)].kind = key_kind::mark;
    keys[static_cast<unsigned char>(entry.key)].mark = static_cast<std::uint8_t>(entry.bit);
  }
  set_kind(key_kind::space, {' ', '\t'});
  set_kind(key_kind::line_end, {'\n', '\r'});
  set_kind(key_kind::stop, {'.', ',', ';', ':', '!'});
  set_kind(key_kind::question, {'?'});
  set_kind(key_kind::elision, {elision_key});
  set_kind(key_kind::word, {word_key});
  set_kind(key_kind::quote, {quote_key});
  for (const auto& entry : pair_entries) set_kind(key_kind::pair, {entry.key});
  set_kind(key_kind::beta, {'(', ')', '*'});
  set_kind(key_kind::escape, {escape_character});
  return keys;
}();

constexpr const key_facts& facts_of(int c) {
  return key_table[static_cast<unsigned char>(c)];
}

// Every letter's small form fits in the 16 bits that the table keeps of it.
static_assert([] {
  for (int c = 0; c < 128; ++c)
    if (is_letter(c) && facts_of(c).small != small_form_of(plain_letter(c)).small) return false;
  return true;
}());

// Whether a key is that of a letter that takes `marks`, some marks, before it:
// every other key has the empty slot.
inline bool takes_marks_before(const key_facts& key, unsigned marks) {
  return combination_index[key.combinations][marks] != 0;
}

// Whether a byte of a kind only ends a word.
constexpr bool only_ends_word(key_kind kind) {
  return kind <= key_kind::other;
}

// What ends a word before a byte of each kind.
constexpr word_break break_before(key_kind kind) {
  if (only_ends_word(kind)) return static_cast<word_break>(kind);
  return kind == key_kind::question ? word_break::stop : word_break::other;
}

static_assert(break_before(key_kind::space) == word_break::space &&
              break_before(key_kind::line_end) == word_break::line_end &&
              break_before(key_kind::stop) == word_break::stop &&
              break_before(key_kind::other) == word_break::other);

constexpr char key_of(unsigned bit) {
  for (const auto& entry : mark_table)
    if (entry.bit == bit) return entry.key;
  return 0;
}

constexpr bool takes_marks(int c) {
  return c > 0 && c < 128 &&
         letters_taking_marks.find(static_cast<char>(c)) != std::string_view::npos;
}

inline constexpr small_form final_sigma = small_form_of(code_point_of(final_sigma_entity));

// The sigma before `c`: medial or final.
constexpr small_form sigma_before(int c) {
  return facts_of(c).keeps_sigma_medial ? facts_of(sigma_key).form() : final_sigma;
}

// The first rule of combination that each set of marks breaks, or nullptr.
constexpr auto broken_mark_rules = [] {
  std::array<const char*, 128> rules{};
  for (unsigned marks = 0; marks < rules.size(); ++marks) rules[marks] = broken_mark_rule(marks);
  return rules;
}();

// Beta Code, the typing most classicists learned first, puts a letter's marks
// after it, ")" and "(" for the breathings and "=" for the circumflex, and a
// capital after "*". Its letters are grapho's, but that it spells chi "x" and
// xi "c".
struct beta_code_mark {
  char key;
  mark bit;
};

constexpr beta_code_mark beta_code_marks[] = {
    {')', smooth},     {'(', rough},     {'/', acute},          {'\\', grave},
    {'=', circumflex}, {'+', diaeresis}, {'|', iota_subscript},
};

constexpr unsigned beta_code_mark_of(int c) {
  for (const auto& entry : beta_code_marks)
    if (entry.key == c) return entry.bit;
  return 0;
}

constexpr char capital_for_beta_code(char letter) {
  char capital = static_cast<char>(letter & ~0x20);
  return capital == 'C' ? 'X' : capital == 'X' ? 'C' : capital;
}

std::string quoted(std::string_view text) {
  return '"' + std::string(text) + '"';
}

// The message of an error as grapho words it, without its last space.
std::string error_message(const char* format, unsigned marks, int c) {
  std::string message = format_message(format, describe_marks(marks, c));
  if (!message.empty() && message.back() == ' ') message.pop_back();
  return message;
}

std::string_view error_code(const char* format) {
  for (const auto& kind : error_kinds)
    if (kind.message == format) return kind.code;
  return {};
}

// ---------------------------------------------------------------------------
// The walk through a source.

// What one run holds while it is read.
struct run_state {
  text_place opened;  // the "$" that opened it
  unsigned pending_marks = 0;
  text_place first_mark;
  std::size_t first_mark_offset = 0;
  bool marks_apart = false;  // something other than a mark came after them
  // The letter in hand ended an error: its word is left to the error.
  bool letter_mistaken = false;
  // Beta Code was met: the run's accents are not judged.
  bool in_beta_code = false;
  int open_parentheses = 0;
};

class typed_source_check {
 public:
  typed_source_check(std::string_view source, diagnostic_list& found)
      : source_(source), found_(found), accents_(found) {}

  void run() {
    while (next_ < source_.size()) {
      move_to(std::min(source_.find(escape_character, next_), source_.size()));
      if (next_ == source_.size()) break;
      const text_place dollar = place();
      const bool after_digit = next_ > 0 && source_[next_ - 1] >= '0' && source_[next_ - 1] <= '9';
      ++next_;
      if (current() == escape_character) {
        ++next_;  // "$$", a dollar sign
        continue;
      }
      if (after_digit)
        warn("dollar-after-digit", dollar,
             "\"$\" after a digit opens a Greek run: type \"$$\" for a dollar sign");
      check_run(dollar);
    }
    if (quote_open_)
      warn("quote-left-open", last_opening_quote_,
           "Quotation left open at the end of the file: the next file's first quotation mark "
           "will close it");
    accents_.finish();
  }

 private:
  const unsigned char* bytes() const {
    return reinterpret_cast<const unsigned char*>(source_.data());
  }
  int at(std::size_t i) const {
    return i < source_.size() ? static_cast<unsigned char>(source_[i]) : end_of_input;
  }
  int current() const { return at(next_); }
  text_place place() const { return {line_, next_ - line_start_ + 1}; }

  // Past the character in hand, which may be a line end.
  void advance() {
    if (source_[next_] == '\n') {
      ++line_;
      line_start_ = next_ + 1;
    }
    ++next_;
  }

  // Moves on to `to`, counting the line ends on the way.
  void move_to(std::size_t to) {
    const char* const data = source_.data();
    while (const void* line_end = std::memchr(data + next_, '\n', to - next_)) {
      next_ = static_cast<std::size_t>(static_cast<const char*>(line_end) - data) + 1;
      ++line_;
      line_start_ = next_;
    }
    next_ = to;
  }

  void warn(std::string_view code, text_place where, std::string message,
            std::vector<diagnostic_note> notes = {}) {
    if (found_.reports(code))
      found_.add({where, severity::warning, code, std::move(message), std::move(notes)});
  }

  // The run whose "$" has just been read, up to and including the "$" that
  // closes it, or to the end of the source.
  void check_run(text_place opened) {
    run_state run;
    run.opened = opened;
    for (;;) {
      if (run.pending_marks == 0 && !run.in_beta_code && !run.letter_mistaken) take_words();
      const int c = current();
      const text_place here = place();
      if (c == end_of_input || c == escape_character) {
        end_run(run, here, c == end_of_input);
        if (c == escape_character) ++next_;
        return;
      }
      const key_kind kind = facts_of(c).kind;
      if (run.pending_marks != 0 && takes_pending_marks(run, c, kind, here)) {
        ++next_;
        continue;
      }
      check_plain_char(run, c, kind, here);
    }
  }

  // Most of a run, from the character in hand, taken as the walk one
  // character at a time takes it: letters, each after the marks that it
  // takes, and the spaces, line ends, stops, elision marks and other text
  // between words. It stops before any other sign, and before marks that do
  // not end in a letter that takes them, which the walk then goes through.
  // It is compiled apart from the walk, and keeps the line in locals (the
  // compiler cannot tell that the rules it calls leave the walk's members
  // alone), so that what it uses stays in registers.
  [[gnu::noinline]] void take_words() {
    const auto* const data = reinterpret_cast<const unsigned char*>(source_.data());
    const std::size_t size = source_.size();
    std::uint64_t line = line_;
    std::size_t line_start = line_start_, taken = next_;
    auto give = [&](small_form letter, unsigned marks, std::size_t at) {
      accents_.letter(letter, marks, {line, at - line_start + 1});
    };
    for (; taken < size; ++taken) {
      // The kinds in the order of how often Greek has them.
      const key_facts& key = key_table[data[taken]];
      if (key.kind == key_kind::letter) {
        give(key.form(), 0, taken);
      } else if (key.kind == key_kind::mark) {
        unsigned marks = key.mark;
        std::size_t letter = taken + 1;
        for (; letter < size && key_table[data[letter]].mark != 0; ++letter)
          marks |= key_table[data[letter]].mark;
        if (letter == size || !takes_marks_before(key_table[data[letter]], marks)) break;
        give(key_table[data[letter]].form(), marks, letter);
        taken = letter;
      } else if (only_ends_word(key.kind)) {
        if (data[taken] >= 0x80)
          if (const std::size_t length = elision_mark_length(data + taken, data + size)) {
            accents_.elision({line, taken - line_start + 1});
            taken += length - 1;
            continue;
          }
        end_word(break_before(key.kind), {line, taken - line_start + 1});
        if (key.kind == key_kind::line_end && data[taken] == '\n') {
          ++line;
          line_start = taken + 1;
        }
      } else if (key.kind == key_kind::sigma) {
        give(sigma_before(taken + 1 < size ? data[taken + 1] : end_of_input), 0, taken);
      } else if (key.kind == key_kind::elision) {
        accents_.elision({line, taken - line_start + 1});
      } else {
        break;
      }
    }
    line_ = line;
    line_start_ = line_start;
    next_ = taken;
  }

  void end_run(run_state& run, text_place here, bool at_end_of_source) {
    if (run.pending_marks != 0)
      warn("marks-dropped", run.first_mark,
           "Marks with no letter after them in the run are dropped: " +
               quoted(pending_mark_keys(run)));
    end_word(word_break::end, here);
    if (at_end_of_source)
      warn("open-run", run.opened,
           "Greek run still open at the end of the file: close it with \"$\"");
  }

  // The pending marks as they were typed, from the first to the character in hand.
  std::string pending_mark_keys(const run_state& run) const {
    std::string keys;
    for (std::size_t i = run.first_mark_offset; i < next_; ++i)
      if (facts_of(source_[i]).mark != 0) keys += source_[i];
    return keys;
  }

  // The pending marks meet `c` as grapho has them meet it; true when `c` is a
  // letter that took them. After an error they are gone, as if never typed,
  // and `c` stands as it would without them.
  bool takes_pending_marks(run_state& run, int c, key_kind kind, text_place here) {
    if (const char* broken_rule = broken_mark_rules[run.pending_marks]) {
      report_error(run, broken_rule, c, here);
      return false;
    }
    if (kind != key_kind::letter && kind != key_kind::sigma) return false;
    if (!find_combination_row(static_cast<unsigned char>(c), run.pending_marks)) {
      report_error(run, invalid_combination_message, c, here);
      return false;
    }
    if (run.marks_apart) {
      std::string letter(1, static_cast<char>(c));
      std::string keys = pending_mark_keys(run);
      warn("marks-apart", run.first_mark,
           "Marks apart from their letter: " + quoted(keys) + " goes to " + quoted(letter) +
               "; type " + quoted(keys + letter),
           {{here, "The letter they go to"}});
      run.letter_mistaken = true;
    }
    give_letter(run, facts_of(c).form(), run.pending_marks, here);
    clear_marks(run);
    return true;
  }

  void report_error(run_state& run, const char* format, int c, text_place here) {
    diagnostic error{
        here, severity::error, error_code(format), error_message(format, run.pending_marks, c), {}};
    if (here.line > run.opened.line)
      error.notes.push_back({run.opened, "The Greek run began here"});
    found_.add(std::move(error));
    clear_marks(run);
    run.letter_mistaken = is_letter(c);
  }

  void clear_marks(run_state& run) {
    run.pending_marks = 0;
    run.marks_apart = false;
  }

  void give_letter(run_state& run, small_form letter, unsigned marks, text_place here) {
    if (run.in_beta_code) return;
    accents_.letter(letter, marks, here);
    if (run.letter_mistaken) accents_.leave_word_unjudged();
    run.letter_mistaken = false;
  }

  // The rules hear of every break, after a word or between two: a dash or a
  // bracket after the space that ended a word parts it from the next.
  void end_word(word_break kind, text_place here) { accents_.end_word(kind, here); }

  // A character of a run that is not a letter taking pending marks.
  void check_plain_char(run_state& run, int c, key_kind kind, text_place here) {
    if (kind == key_kind::mark) {
      if (run.pending_marks == 0) {
        run.first_mark = here;
        run.first_mark_offset = next_;
      }
      run.pending_marks |= facts_of(c).mark;
      ++next_;
      return;
    }
    if (run.pending_marks != 0) run.marks_apart = true;
    switch (kind) {
      case key_kind::letter:
        give_letter(run, facts_of(c).form(), 0, here);
        ++next_;
        return;
      case key_kind::sigma:
        give_letter(run, sigma_before(at(next_ + 1)), 0, here);
        ++next_;
        return;
      case key_kind::elision:
        if (!run.in_beta_code) accents_.elision(here);
        ++next_;
        return;
      default:
        break;
    }
    if (c >= 0x80)
      if (const std::size_t length =
              elision_mark_length(bytes() + next_, bytes() + source_.size())) {
        if (!run.in_beta_code) accents_.elision(here);
        next_ += length;
        return;
      }
    end_word(break_before(kind), here);
    switch (kind) {
      case key_kind::word:
        for (const auto& letter : word_letters)
          give_letter(run, small_form_of(letter.letter), letter.marks, here);
        break;
      case key_kind::quote:
        quote_open_ = !quote_open_;
        if (quote_open_) last_opening_quote_ = here;
        break;
      case key_kind::question:
        warn("latin-question-mark", here,
             "\"?\" stays a Latin question mark: type the Greek one as \";\" after the run, as "
             "in \"$t/i$;\"");
        break;
      case key_kind::beta:
        check_beta_code(run, c, here);
        break;
      case key_kind::pair:
        // A doubled sign is read as one.
        if (at(next_ + 1) == c) ++next_;
        break;
      default:
        break;
    }
    advance();
  }

  // The rest of a run typed in Beta Code is not Greek as grapho reads it: its
  // accents, and those of the word before, are not judged.
  void warn_of_beta_code(run_state& run, text_place here, std::string message) {
    warn("beta-code", here, std::move(message));
    run.in_beta_code = true;
    accents_.forget_words();
  }

  // "(" and ")" after a vowel or rho, "*" before a letter: Beta Code.
  void check_beta_code(run_state& run, int c, text_place here) {
    const int before = at(next_ - 1);
    if (c == '*') {
      std::size_t letter = next_ + 1;
      std::string keys;
      for (; unsigned bit = beta_code_mark_of(at(letter)); ++letter) keys += key_of(bit);
      if (!is_letter(at(letter))) return;
      warn_of_beta_code(
          run, here,
          quoted(source_.substr(next_, letter + 1 - next_)) +
              " looks like Beta Code: grapho types a capital with its own key, its marks "
              "before it: " +
              quoted(keys + capital_for_beta_code(source_[letter])));
      return;
    }
    if (c != '(' && c != ')') return;
    if (!takes_marks(before)) {
      run.open_parentheses += c == '(' ? 1 : run.open_parentheses > 0 ? -1 : 0;
      return;
    }
    if (c == ')' && run.open_parentheses > 0) {
      --run.open_parentheses;
      return;
    }
    std::size_t end = next_;
    std::string keys;
    for (; unsigned bit = beta_code_mark_of(at(end)); ++end) keys += key_of(bit);
    warn_of_beta_code(
        run, here,
        quoted(source_.substr(next_ - 1, end - next_ + 1)) +
            " looks like Beta Code: grapho takes the marks before their letter, \"<\" and "
            "\">\" for the breathings: " +
            quoted(keys + static_cast<char>(before)));
  }

  std::string_view source_;
  diagnostic_list& found_;
  accent_rules accents_;
  std::size_t next_ = 0;
  std::uint64_t line_ = 1;
  std::size_t line_start_ = 0;
  // Quotation marks alternate in every run of the source.
  bool quote_open_ = false;
  text_place last_opening_quote_;
};

}  // namespace

std::vector<diagnostic> check_source(std::string_view source, const check_options& options) {
  diagnostic_list found(options.warnings);
  if (options.text) {
    check_unicode_text(source, found);
  } else {
    typed_source_check(source, found).run();
  }
  return std::move(found).in_source_order();
}

}  // namespace grapho
