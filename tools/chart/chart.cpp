#include "chart.hpp"

#include <cctype>

#include "convert/converter.hpp"
#include "greek/tables.hpp"
#include "html_references.hpp"

namespace grapho::chart {
namespace {

// What each sign of the letter table stands for; the table holds only its text.
struct sign_note {
  char key;
  std::string_view meaning;
};
constexpr sign_note sign_notes[] = {
    {'&', "the word kai, with grave accent"},
    {'\'', "elision mark (spacing smooth breathing)"},
    {';', "upper stop (ano teleia)"},
    {'`', "spacing rough breathing"},
};

// Typed examples of the characters whose meaning depends on their neighbours.
// The Greek beside each is what the converter writes for it.
struct special_example {
  std::string_view typed;
  std::string_view meaning;
};
constexpr special_example special_examples[] = {
    {"so", "s before a letter, mark or bracket"},
    {"os", "s anywhere else: final sigma"},
    {"\"a\"", "quotes open and close in turn"},
    {"a-b", "one hyphen stays a hyphen"},
    {"a--b", "two hyphens make an en dash"},
    {"[[a]]", "doubled brackets: white square brackets"},
    {"{{a}}", "doubled braces: angle brackets"},
    {"[a]{b}", "single brackets and braces stay"},
};

std::u32string ascii(std::string_view text) {
  return {text.begin(), text.end()};
}
cell typed(std::string_view text) {
  return {ascii(text), true};
}
cell text(std::string_view words) {
  return {ascii(words), false};
}
cell greek(std::u32string characters) {
  return {std::move(characters), false};
}

std::string_view entity_of(char key) {
  return letter_table[static_cast<unsigned char>(key) - letter_table_first];
}

std::string_view sign_meaning(char key) {
  for (const auto& note : sign_notes)
    if (note.key == key) return note.meaning;
  return "";
}

// A key letter without an entry of its own decides by what follows it (only
// "s" does): shown before a vowel, then at the end of a word.
cell letter_cell(char key) {
  if (auto entity = entity_of(key); !entity.empty()) return greek(decode_references(entity));
  std::string before_vowel{key, 'a'};
  return greek(greek_for(before_vowel).substr(0, 1) + U" or " + greek_for(std::string(1, key)));
}

section letters() {
  section letters{"Letters",
                  "Each Latin letter types one Greek letter, in the same case.",
                  {"Key", "Greek", "Key", "Greek"},
                  {}};
  for (char upper = 'A'; upper <= 'Z'; ++upper) {
    char lower = static_cast<char>(std::tolower(upper));
    letters.rows.push_back(
        {typed({&upper, 1}), letter_cell(upper), typed({&lower, 1}), letter_cell(lower)});
  }
  return letters;
}

section signs() {
  section signs{"Signs",
                "Four other keys give a sign of their own. The Greek question mark is the "
                "semicolon typed after the run, `$t/i$;`: inside a run, `;` is the upper stop.",
                {"Key", "Greek", "Sign"},
                {}};
  for (const auto& entry : letter_entries) {
    if (std::isalpha(static_cast<unsigned char>(entry.key))) continue;
    signs.rows.push_back({typed({&entry.key, 1}), greek(decode_references(entry.entity)),
                          text(sign_meaning(entry.key))});
  }
  return signs;
}

// The first letter of the combination table that takes `bit` alone.
char example_letter(unsigned bit) {
  for (const auto& row : combination_table)
    if (row.marks == bit) return row.letter;
  return '?';
}

section marks() {
  section marks{
      "Marks",
      "Marks are typed before their letter, in any order: `>/a` and `/>a` both give alpha "
      "with smooth breathing and acute. A letter takes one breathing, one accent and "
      "three marks at most.",
      {"Key", "Mark", "Typed", "Greek"},
      {},
      "{0} {1}: {2} gives {3}"};
  for (const auto& entry : mark_table) {
    std::string example{entry.key, example_letter(entry.bit)};
    std::string_view name = entry.description;
    if (name.ends_with(' ')) name.remove_suffix(1);
    marks.rows.push_back(
        {typed({&entry.key, 1}), text(name), typed(example), greek(greek_for(example))});
  }
  return marks;
}

// The keys of the marks in `bits`, in the order of the mark table.
std::string mark_keys(unsigned bits) {
  std::string keys;
  for (const auto& entry : mark_table) {
    if (!(bits & entry.bit)) continue;
    if (!keys.empty()) keys += ' ';
    keys += entry.key;
  }
  return keys;
}

section letters_with_marks() {
  section takers{"Letters that take marks",
                 "Only vowels and rho take marks, and only in the mixes that Unicode has as one "
                 "character: no capital takes a circumflex without a breathing, for instance.",
                 {"Letter", "Marks"},
                 {},
                 "{0} takes {1}"};
  std::string letters;
  for (const auto& row : combination_table)
    if (letters.find(row.letter) == std::string::npos) letters += row.letter;
  for (char letter : letters) {
    unsigned bits = 0;
    for (const auto& row : combination_table)
      if (row.letter == letter) bits |= row.marks;
    takers.rows.push_back({typed({&letter, 1}), typed(mark_keys(bits))});
  }
  return takers;
}

section specials() {
  section specials{"Special characters",
                   "These depend on their neighbours. Quotation marks alternate from run to run "
                   "and file to file; outside runs, `$$` gives a dollar sign.",
                   {"Typed", "Greek", "Meaning"},
                   {}};
  for (const auto& example : special_examples)
    specials.rows.push_back(
        {typed(example.typed), greek(greek_for(example.typed)), text(example.meaning)});
  return specials;
}

}  // namespace

std::u32string greek_for(std::string_view typed) {
  std::string input(1, '$'), output;
  input.append(typed).push_back('$');
  memory_reader reader(input);
  string_writer writer(output);
  converter().convert_stream(reader, writer, "chart", "chart.html");
  return decode_references(output);
}

std::string explained_characters() {
  // The "$" that opens and ends a run, which the chart's introduction explains.
  std::string characters = "$";
  for (const auto& entry : letter_entries) characters += entry.key;
  for (const auto& entry : mark_table) characters += entry.key;
  for (const auto& example : special_examples) characters += example.typed;
  return characters;
}

std::vector<section> build_chart() {
  return {letters(), signs(), marks(), letters_with_marks(), specials()};
}

}  // namespace grapho::chart
