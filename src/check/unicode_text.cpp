// Reading any UTF-8 text for the rules of accentuation: Greek letters
// precomposed or decomposed, in the tonos or the oxia forms, each with its
// marks; the elision marks after a word; punctuation, white space and markup
// between words.
#include "check/unicode_text.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "check/accents.hpp"
#include "check/greek_letters.hpp"
#include "greek/unicode_data.hpp"
#include "io/utf8.hpp"

namespace grapho {
namespace {

// What a character does between and within words.
enum class role : std::uint8_t {
  other,        // anything else: digits, Latin letters, quotation marks, dashes, brackets
  letter,       // a Greek letter, which may carry marks
  mark,         // a combining mark, which belongs to the letter before it
  elision,      // an elision mark after a word; other text anywhere else
  breathing,    // a spacing breathing: an elision mark after a word, before a
                // capital the old way of writing its breathing
  space,        // white space
  line_end,     // a line end
  stop,         // punctuation: . , · ; : ! ? and the Greek upper stop and question mark
  transparent,  // markup within a word or between words, and characters that show nothing
  tag,          // "<", which may open a tag
  reference,    // "&", which may open a character reference
  numeral,      // the numeral sign after a word, which makes it a number
  bracket,      // a bracket: within a word, as editions restore letters (λό[γ]ος), none
};

constexpr auto ascii_roles = [] {
  std::array<role, 128> roles{};
  for (char c : std::string_view(" \t\r\f\v")) roles[static_cast<unsigned char>(c)] = role::space;
  for (char c : std::string_view(".,;:!?")) roles[static_cast<unsigned char>(c)] = role::stop;
  roles['\n'] = role::line_end;
  roles['\''] = role::elision;
  roles['*'] = roles['_'] = role::transparent;  // Markdown's emphasis
  roles['<'] = role::tag;
  roles['&'] = role::reference;
  for (char c : std::string_view("[](){}")) roles[static_cast<unsigned char>(c)] = role::bracket;
  return roles;
}();

// The word break of each ASCII character that does nothing but end a word:
// white space, punctuation, and other text.
constexpr auto ascii_word_breaks = [] {
  std::array<std::optional<word_break>, 128> breaks{};
  for (std::size_t c = 0; c < breaks.size(); ++c) {
    if (ascii_roles[c] == role::space) breaks[c] = word_break::space;
    if (ascii_roles[c] == role::stop) breaks[c] = word_break::stop;
    if (ascii_roles[c] == role::other) breaks[c] = word_break::other;
  }
  return breaks;
}();

// The characters outside ASCII and the Greek blocks' letters that have a role.
struct character_role {
  char32_t code_point;
  role kind;
};

// clang-format off
inline constexpr character_role character_roles[] = {
    {0x2019, role::elision}, {0x02BC, role::elision},                              // ’ ʼ
    {0x1FBD, role::breathing}, {0x1FBF, role::breathing}, {0x1FFE, role::breathing},  // ᾽ ᾿ ῾
    {0x00B7, role::stop}, {0x0387, role::stop},                                    // the upper stop
    {0x037E, role::stop},                                                          // the question mark
    {0x00A0, role::space}, {0x1680, role::space}, {0x202F, role::space}, {0x205F, role::space},
    {0x3000, role::space},
    {0x0085, role::line_end}, {0x2028, role::line_end}, {0x2029, role::line_end},
    {0x00AD, role::transparent}, {0x200B, role::transparent}, {0x200C, role::transparent},
    {0x200D, role::transparent}, {0x2060, role::transparent}, {0xFEFF, role::transparent},
    {0x0374, role::numeral}, {0x02B9, role::numeral},  // ʹ, and the prime it decomposes to
    {0x27E6, role::bracket}, {0x27E7, role::bracket}, {0x27E8, role::bracket},     // ⟦ ⟧ ⟨
    {0x27E9, role::bracket}, {0x2329, role::bracket}, {0x232A, role::bracket},     // ⟩ 〈 〉
    {0x3008, role::bracket}, {0x3009, role::bracket}, {0x301A, role::bracket},     // 〈 〉 〚
    {0x301B, role::bracket},                                                       // 〛
};
// clang-format on

constexpr role role_of_other(char32_t c) {
  for (const auto& [code_point, kind] : character_roles)
    if (code_point == c) return kind;
  if (c >= 0x2000 && c <= 0x200A) return role::space;
  if (is_combining_diacritic(c)) return role::mark;
  // The editorial signs of the New Testament's editions (⸀ ⸁ ⸂ ⸃ ⸄ ⸅),
  // which mark variant readings and leave the words as they are.
  if (c >= 0x2E00 && c <= 0x2E05) return role::transparent;
  return role::other;
}

// What the reader knows of a character, in eight bytes: its role, and for a
// letter, a mark or a spacing breathing its marks; for a letter its form.
struct character {
  std::uint16_t small = 0;  // a letter's small form: all are in the Greek blocks
  std::uint16_t marks = 0;
  std::uint16_t traits = 0;
  role kind = role::other;

  constexpr small_form form() const { return {small, traits}; }
};

constexpr bool fits_in_character(letter_with_marks greek) {
  return small_form_of(greek.letter).small <= 0xFFFF && greek.marks <= 0xFFFF;
}
static_assert(std::all_of(greek_characters.begin(), greek_characters.end(), fits_in_character));

constexpr character letter_character(letter_with_marks greek) {
  small_form form = small_form_of(greek.letter);
  return {static_cast<std::uint16_t>(form.small), static_cast<std::uint16_t>(greek.marks),
          form.traits, role::letter};
}

// Any character but a letter: its role, and a mark's or a spacing breathing's marks.
constexpr character character_of_role(role kind, unsigned marks = 0) {
  return {0, static_cast<std::uint16_t>(marks), 0, kind};
}

// The combining marks' block and the Greek blocks, in one table.
inline constexpr std::size_t combining_block_size =
    combining_diacritical_marks.last - combining_diacritical_marks.first + 1;
inline constexpr std::size_t block_table_size = combining_block_size + greek_block_size;

// The slot of `c` in that table, or block_table_size when it is in none of the blocks.
constexpr std::size_t block_table_slot(char32_t c) {
  if (c >= combining_diacritical_marks.first && c <= combining_diacritical_marks.last)
    return c - combining_diacritical_marks.first;
  return combining_block_size + greek_block_slot(c);
}

inline constexpr auto block_characters = [] {
  std::array<character, block_table_size> table{};
  for (char32_t c = combining_diacritical_marks.first; c <= combining_diacritical_marks.last; ++c)
    table[block_table_slot(c)] = character_of_role(role_of_other(c), mark_of_combining(c));
  for (const auto& block : greek_blocks) {
    for (char32_t c = block.first; c <= block.last; ++c) {
      letter_with_marks greek = greek_character(c);
      table[block_table_slot(c)] =
          greek.letter != 0 ? letter_character(greek) : character_of_role(role_of_other(c));
    }
  }
  table[block_table_slot(0x1FBD)].marks = table[block_table_slot(0x1FBF)].marks = smooth;
  table[block_table_slot(0x1FFE)].marks = rough;
  return table;
}();

// The characters of the table as UTF-8 writes them: U+0300 to U+03FF, the
// combining marks and Greek and Coptic, in two bytes (CC 80 to CF BF) and in
// slots of their own one after the other; Greek Extended in three (E1 BC 80 to
// E1 BF BF), in the slots after them.
inline constexpr std::size_t two_byte_slots = 0x0400 - 0x0300;
inline constexpr std::size_t three_byte_first_slot = block_table_slot(0x1F00);
static_assert(block_table_slot(0x0300) == 0 && block_table_slot(0x03FF) == two_byte_slots - 1 &&
              three_byte_first_slot == two_byte_slots &&
              block_table_slot(0x1FFF) == block_table_size - 1 &&
              block_table_size - three_byte_first_slot == 0x100);

// Latin-1's upper half and the blocks of punctuation, where Greek text finds
// its upper stops, spaces, dashes and the editions' signs: looked up rather
// than searched for among the roles.
struct nearby_block {
  char32_t first;
  std::array<character, 0x80> characters;
};
constexpr nearby_block nearby_block_of(char32_t first) {
  nearby_block block{first, {}};
  for (char32_t c = first; c < first + block.characters.size(); ++c)
    block.characters[c - first] = character_of_role(role_of_other(c));
  return block;
}
inline constexpr nearby_block nearby_blocks[] = {nearby_block_of(0x0080), nearby_block_of(0x2000),
                                                 nearby_block_of(0x2E00)};

character character_of(char32_t c) {
  if (c < 0x80) return character_of_role(ascii_roles[c]);
  if (std::size_t slot = block_table_slot(c); slot < block_table_size)
    return block_characters[slot];
  for (const auto& block : nearby_blocks)
    if (c - block.first < block.characters.size()) return block.characters[c - block.first];
  return character_of_role(role_of_other(c));
}

constexpr bool is_ascii_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool is_ascii_digit(char c) {
  return c >= '0' && c <= '9';
}

// A name of ASCII letters and digits, up to ten of them, as one number, so
// that names are found without comparing strings: six bits a character, none
// of them zero.
inline constexpr std::size_t longest_keyed_name = 10;
inline constexpr auto name_character_codes = [] {
  std::array<std::uint8_t, 256> codes{};
  for (char c = '0'; c <= '9'; ++c) codes[static_cast<std::size_t>(c)] = c - '0' + 1;
  for (char c = 'a'; c <= 'z'; ++c) codes[static_cast<std::size_t>(c)] = c - 'a' + 11;
  for (char c = 'A'; c <= 'Z'; ++c) codes[static_cast<std::size_t>(c)] = c - 'A' + 37;
  return codes;
}();
constexpr std::uint64_t name_key(std::string_view name) {
  std::uint64_t key = 0;
  for (char c : name) key = key << 6 | name_character_codes[static_cast<unsigned char>(c)];
  return key;
}

constexpr bool has_a_key(std::string_view name) {
  return name.size() <= longest_keyed_name;
}

// HTML's elements that end a block of text: a paragraph, a heading, a line
// of verse (TEI's l), a cell, a break.
inline constexpr std::string_view block_elements[] = {
    "address", "article", "aside", "blockquote", "body",       "br",     "caption",
    "dd",      "div",     "dl",    "dt",         "figcaption", "figure", "footer",
    "h1",      "h2",      "h3",    "h4",         "h5",         "h6",     "head",
    "header",  "hr",      "html",  "l",          "lg",         "li",     "main",
    "nav",     "ol",      "p",     "pre",        "section",    "table",  "tbody",
    "td",      "tfoot",   "th",    "thead",      "title",      "tr",     "ul"};
static_assert(std::all_of(std::begin(block_elements), std::end(block_elements), has_a_key));

// Their names' keys, in order.
inline constexpr auto block_element_keys = [] {
  std::array<std::uint64_t, std::size(block_elements)> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = name_key(block_elements[i]);
  std::sort(keys.begin(), keys.end());
  return keys;
}();

// Whether the element `name`, of ASCII letters and digits in any case, ends a block.
bool ends_a_block(std::string_view name) {
  if (name.size() > longest_keyed_name) return false;
  std::array<char, longest_keyed_name> lower{};
  for (std::size_t i = 0; i < name.size(); ++i) lower[i] = static_cast<char>(name[i] | 0x20);
  return std::binary_search(block_element_keys.begin(), block_element_keys.end(),
                            name_key(std::string_view(lower.data(), name.size())));
}

// The named references grapho writes, by the keys of their names in order.
struct keyed_reference {
  std::uint64_t key;
  char32_t code_point;
  friend constexpr auto operator<=>(const keyed_reference&, const keyed_reference&) = default;
};
inline constexpr auto keyed_references = [] {
  std::array<keyed_reference, std::size(named_references)> keyed{};
  for (std::size_t i = 0; i < keyed.size(); ++i)
    keyed[i] = {name_key(named_references[i].name), named_references[i].code_point};
  std::sort(keyed.begin(), keyed.end());
  return keyed;
}();
static_assert(std::all_of(std::begin(named_references), std::end(named_references),
                          [](const named_reference& reference) {
                            return has_a_key(reference.name);
                          }));

// The character of the named reference `name`, of ASCII letters and digits,
// when it is one that grapho writes.
std::optional<char32_t> named_reference_character(std::string_view name) {
  if (name.size() > longest_keyed_name) return std::nullopt;
  std::uint64_t key = name_key(name);
  auto found = std::lower_bound(keyed_references.begin(), keyed_references.end(), key,
                                [](const keyed_reference& reference, std::uint64_t sought) {
                                  return reference.key < sought;
                                });
  if (found == keyed_references.end() || found->key != key) return std::nullopt;
  return found->code_point;
}

class unicode_reader {
 public:
  unicode_reader(std::string_view text, accent_rules& rules) : text_(text), rules_(rules) {}

  void read() {
    const auto* const begin = reinterpret_cast<const unsigned char*>(text_.data());
    const auto* const end = begin + text_.size();
    // Up to safe_end, the longest character of the Greek blocks fits before
    // the end, and the loop looks at its bytes without counting. It keeps the
    // reader's place, line and the start of its line, and the rules, at hand.
    const auto* const safe_end = text_.size() > 2 ? end - 2 : begin;
    const auto* at = begin;
    accent_rules& rules = rules_;
    std::uint64_t line = line_;
    // The address before the line's first byte, as a number, so that a
    // column is one subtraction.
    auto before_line_of = [&] { return reinterpret_cast<std::uintptr_t>(begin + line_start_) - 1; };
    std::uintptr_t before_line = before_line_of();
    auto place = [&](const unsigned char* character) {
      return text_place{line, reinterpret_cast<std::uintptr_t>(character) - before_line};
    };
    while (at < safe_end) {
      std::size_t length;
      // Most characters of Greek text: a letter, the mark of one, a space or
      // a stop; and of the text around it.
      if (const character* greek = block_character_here(at, length)) {
        if (greek->kind == role::letter) {
          rules.letter(greek->form(), greek->marks, place(at));
          at += length;
          continue;
        }
        if (greek->kind == role::mark) {
          rules.marks(greek->marks);
          at += length;
          continue;
        }
      } else if (*at < 0x80 && ascii_word_breaks[*at]) {
        rules.end_word(*ascii_word_breaks[*at], place(at));
        ++at;
        continue;
      }
      at = begin + take_character(static_cast<std::size_t>(at - begin));
      line = line_;
      before_line = before_line_of();
    }
    for (std::size_t offset = static_cast<std::size_t>(at - begin); offset < text_.size();)
      offset = take_character(offset);
    rules.finish();
  }

 private:
  text_place place_at(std::size_t offset) const { return {line_, offset - line_start_ + 1}; }

  // The entry in block_characters of the character at `at`, and its `length`,
  // when it is one of the two-byte or three-byte characters there; none for
  // any other. Three bytes stand from `at`.
  static const character* block_character_here(const unsigned char* at, std::size_t& length) {
    const unsigned lead = at[0];
    if (lead - 0xCC < 4) {
      const unsigned trail = at[1] ^ 0x80u;
      if (trail >= 0x40) return nullptr;
      length = 2;
      return &block_characters[(lead - 0xCC) << 6 | trail];
    }
    if (lead == 0xE1 && (at[1] & 0xFC) == 0xBC) {
      const unsigned trail = at[2] ^ 0x80u;
      if (trail >= 0x40) return nullptr;
      length = 3;
      return &block_characters[three_byte_first_slot + ((at[1] & 0x03u) << 6 | trail)];
    }
    return nullptr;
  }

  // The same, anywhere in the text.
  const character* block_character(std::size_t at, std::size_t& length) const {
    const auto* data = reinterpret_cast<const unsigned char*>(text_.data());
    if (at + 2 < text_.size()) return block_character_here(data + at, length);
    std::array<unsigned char, 3> last{};
    std::copy(data + at, data + text_.size(), last.begin());
    return block_character_here(last.data(), length);
  }

  // Takes the character at `at` whatever it is; where the next one starts.
  std::size_t take_character(std::size_t at) {
    const auto* data = reinterpret_cast<const unsigned char*>(text_.data());
    std::size_t length;
    if (const character* greek = block_character(at, length)) {
      at_ = at + length;
      take(*greek, at);
      return at_;
    }
    const unsigned char byte = data[at];
    at_ = at + 1;
    if (byte < 0x80) {
      take(character_of_role(ascii_roles[byte]), at);
    } else {
      char32_t c = 0xFFFD;  // a byte of no character: other text
      at_ = at + std::max<std::size_t>(decode_utf8(data + at, data + text_.size(), c), 1);
      take(character_of(c), at);
    }
    return at_;
  }

  void take(const character& what, std::size_t start) {
    switch (what.kind) {
      case role::letter:
        return rules_.letter(what.form(), what.marks, place_at(start));
      case role::mark:
        return rules_.marks(what.marks);
      case role::elision:
        return take_elision(start);
      case role::breathing:
        if (what.marks == smooth && rules_.in_word()) return rules_.elision(place_at(start));
        rules_.end_word(word_break::other, place_at(start));
        return take_breathing_letter(what.marks);
      case role::space:
        return rules_.end_word(word_break::space, place_at(start));
      case role::line_end:
        rules_.end_word(word_break::line_end, place_at(start));
        ++line_;
        line_start_ = at_;
        return;
      case role::stop:
        return rules_.end_word(word_break::stop, place_at(start));
      case role::transparent:
        return;
      case role::tag:
        if (!read_tag(start)) rules_.end_word(word_break::other, place_at(start));
        return;
      case role::reference:
        if (!read_reference(start)) rules_.end_word(word_break::other, place_at(start));
        return;
      case role::numeral:
        if (rules_.in_word()) rules_.numeral();
        return rules_.end_word(word_break::other, place_at(start));
      case role::bracket:
        if (!rules_.in_word() || !letter_follows_brackets())
          rules_.end_word(word_break::other, place_at(start));
        return;
      default:
        return rules_.end_word(word_break::other, place_at(start));
    }
  }

  // The letter right after a spacing breathing, if one follows at at_, with
  // the breathing's marks.
  void take_breathing_letter(unsigned marks) {
    std::size_t length;
    const character* next = at_ < text_.size() ? block_character(at_, length) : nullptr;
    if (next == nullptr || next->kind != role::letter) return;
    rules_.letter(next->form(), next->marks | marks, place_at(at_));
    at_ += length;
  }

  // Whether a Greek letter follows at at_, after any more brackets.
  bool letter_follows_brackets() const {
    const auto* data = reinterpret_cast<const unsigned char*>(text_.data());
    for (std::size_t at = at_; at < text_.size();) {
      char32_t c = data[at];
      std::size_t length = c < 0x80 ? 1 : decode_utf8(data + at, data + text_.size(), c);
      character what = length == 0 ? character{} : character_of(c);
      if (what.kind != role::bracket) return what.kind == role::letter;
      at += length;
    }
    return false;
  }

  void take_elision(std::size_t start) {
    if (rules_.in_word())
      rules_.elision(place_at(start));
    else
      rules_.end_word(word_break::other, place_at(start));
  }

  // A tag or a comment from the "<" at `start`, skipped with its lines; a
  // block's tag ends the word, others are transparent. Whether there was one:
  // a "<" before the tag's ">" makes it none, so that no byte is searched
  // twice; a comment without its end goes on to the end of the text.
  bool read_tag(std::size_t start) {
    std::string_view rest = text_.substr(at_);
    if (rest.empty() ||
        !(is_ascii_letter(rest[0]) || rest[0] == '/' || rest[0] == '!' || rest[0] == '?'))
      return false;
    bool comment = rest.starts_with("!--");
    std::size_t end;
    if (comment) {
      end = text_.find("-->", at_ + 3);
      end = end == std::string_view::npos ? text_.size() : end + 3;
    } else {
      end = at_;
      while (end < text_.size() && text_[end] != '<' && text_[end] != '>') ++end;
      if (end == text_.size() || text_[end] == '<') return false;
      ++end;
    }
    std::size_t name_start = at_ + (rest[0] == '/' ? 1 : 0), name_end = name_start;
    while (name_end < end && (is_ascii_letter(text_[name_end]) || is_ascii_digit(text_[name_end])))
      ++name_end;
    std::string_view name = text_.substr(name_start, name_end - name_start);
    skip_to(end);
    if (comment) return true;
    if (ends_a_block(name)) rules_.end_word(word_break::end, place_at(start));
    if (rest[0] != '/' && (name == "script" || name == "style")) skip_element_content(name);
    return true;
  }

  // The content of a script or style element, which is no text.
  void skip_element_content(std::string_view name) {
    std::size_t end = text_.find("</" + std::string(name), at_);
    skip_to(end == std::string_view::npos ? text_.size() : end);
  }

  void skip_to(std::size_t end) {
    for (; at_ < end; ++at_)
      if (text_[at_] == '\n') {
        ++line_;
        line_start_ = at_ + 1;
      }
  }

  // A character reference from the "&" at `start`: a numeric one, or one of
  // the names grapho writes, stands for its character; white space by name is
  // a space; any other name is other text. Whether there was one.
  bool read_reference(std::size_t start) {
    std::size_t semicolon = text_.substr(at_, 11).find(';');
    if (semicolon == std::string_view::npos) return false;
    semicolon += at_;
    char32_t c = 0;
    if (!reference_character(text_.substr(at_, semicolon - at_), c)) return false;
    at_ = semicolon + 1;
    take(character_of(c), start);
    return true;
  }

  static bool reference_character(std::string_view inner, char32_t& c) {
    if (inner.size() >= 2 && inner[0] == '#') {
      bool hex = inner[1] == 'x' || inner[1] == 'X';
      std::string_view digits = inner.substr(hex ? 2 : 1);
      if (digits.empty() || digits.size() > 6) return false;
      char32_t value = 0;
      for (char d : digits) {
        char lower = static_cast<char>(d | 0x20);
        int digit = is_ascii_digit(d)                     ? d - '0'
                    : hex && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10
                                                          : -1;
        if (digit < 0) return false;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
      }
      // A reference to "<" or "&" is that character as text, no markup.
      c = value == '<' || value == '&' || value == '\n' ? U'\uFFFD' : value;
      return true;
    }
    if (inner.empty()) return false;
    for (char d : inner)
      if (!is_ascii_letter(d) && !is_ascii_digit(d)) return false;
    if (std::optional<char32_t> named = named_reference_character(inner)) {
      c = *named;
      return true;
    }
    bool space = inner == "nbsp" || inner == "ensp" || inner == "emsp" || inner == "thinsp";
    c = space ? U' ' : U'\uFFFD';
    return true;
  }

  std::string_view text_;
  accent_rules& rules_;
  std::size_t at_ = 0;
  std::uint64_t line_ = 1;
  std::size_t line_start_ = 0;
};

}  // namespace

void check_unicode_text(std::string_view text, diagnostic_list& found) {
  accent_rules rules(found);
  unicode_reader(text, rules).read();
}

}  // namespace grapho
