// The fixed data of the Greek transliteration: the letter and sign entities,
// the seven diacritic marks, and the precomposed letters that carry them.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace grapho {

// The character that opens and closes a Greek run; doubled outside a run, it
// stands for itself.
inline constexpr int escape_character = '$';

// ---------------------------------------------------------------------------
// Letters and signs typed without marks.
//
// Every Latin letter stands for the same Greek letter in both cases; the basic
// Greek alphabet is written with HTML's named references, the rest as numeric
// references to their Unicode code points. "s" is missing on purpose: it
// chooses between medial and final sigma by what follows it.

struct letter_entry {
  char key;
  std::string_view entity;
};

// clang-format off
inline constexpr letter_entry letter_entries[] = {
    {'A', "&Alpha;"},   {'a', "&alpha;"},    // alpha
    {'B', "&Beta;"},    {'b', "&beta;"},     // beta
    {'C', "&Chi;"},     {'c', "&chi;"},      // chi
    {'D', "&Delta;"},   {'d', "&delta;"},    // delta
    {'E', "&Epsilon;"}, {'e', "&epsilon;"},  // epsilon
    {'F', "&Phi;"},     {'f', "&phi;"},      // phi
    {'G', "&Gamma;"},   {'g', "&gamma;"},    // gamma
    {'H', "&Eta;"},     {'h', "&eta;"},      // eta
    {'I', "&Iota;"},    {'i', "&iota;"},     // iota
    {'J', "&#x3f9;"},   {'j', "&sigmaf;"},   // capital lunate sigma U+03F9; final sigma
    {'K', "&Kappa;"},   {'k', "&kappa;"},    // kappa
    {'L', "&Lambda;"},  {'l', "&lambda;"},   // lambda
    {'M', "&Mu;"},      {'m', "&mu;"},       // mu
    {'N', "&Nu;"},      {'n', "&nu;"},       // nu
    {'O', "&Omicron;"}, {'o', "&omicron;"},  // omicron
    {'P', "&Pi;"},      {'p', "&pi;"},       // pi
    {'Q', "&Theta;"},   {'q', "&theta;"},    // theta
    {'R', "&Rho;"},     {'r', "&rho;"},      // rho
    {'S', "&Sigma;"},                        // capital sigma
    {'T', "&Tau;"},     {'t', "&tau;"},      // tau
    {'U', "&Upsilon;"}, {'u', "&upsilon;"},  // upsilon
    {'V', "&#x3dc;"},   {'v', "&#x3dd;"},    // digamma U+03DC, U+03DD
    {'W', "&Omega;"},   {'w', "&omega;"},    // omega
    {'X', "&Xi;"},      {'x', "&xi;"},       // xi
    {'Y', "&Psi;"},     {'y', "&psi;"},      // psi
    {'Z', "&Zeta;"},    {'z', "&zeta;"},     // zeta
    // Signs.
    {'&',  "&kappa;&alpha;&#x1f76;"},  // the word kai: kappa, alpha, iota with grave
    {'\'', "&#x1fbf;"},                // spacing smooth breathing (psili) U+1FBF
    {';',  "&#x00b7;"},                // middle dot U+00B7, the Greek upper stop
    {'`',  "&#x1ffe;"},                // spacing rough breathing (dasia) U+1FFE
};
// clang-format on

// ---------------------------------------------------------------------------
// Special characters: texts chosen by what follows or by what came before.

// The key of the sigma that is medial or final by what follows it: medial
// before a letter or one of `medial_sigma_followers` (a mark, which belongs to
// a following letter, or a bracket, which may stand inside a word), final
// before anything else.
inline constexpr char sigma_key = 's';
inline constexpr std::string_view medial_sigma_entity = "&sigma;";
inline constexpr std::string_view final_sigma_entity = "&sigmaf;";
inline constexpr std::string_view medial_sigma_followers = "<>\\/^=|[]{}";

// Letters are the ASCII letters; bytes above 127 never are.
constexpr bool is_letter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Whether an "s" followed by `c` is a medial sigma.
constexpr bool keeps_sigma_medial(int c) {
  return is_letter(c) ||
         (c > 0 && c < 128 &&
          medial_sigma_followers.find(static_cast<char>(c)) != std::string_view::npos);
}

// The double quote opens and closes quotations in turn.
inline constexpr char quote_key = '"';
inline constexpr std::string_view opening_quote_entity = "&ldquo;";
inline constexpr std::string_view closing_quote_entity = "&rdquo;";

// Characters that give a sign of their own when doubled; a single one stands
// for itself. The four brackets' hex digits are capitals.
struct pair_entry {
  char key;
  std::string_view entity;
};

inline constexpr pair_entry pair_entries[] = {
    {'-', "&ndash;"},   // en dash U+2013
    {'[', "&#x301A;"},  // left white square bracket U+301A
    {']', "&#x301B;"},  // right white square bracket U+301B
    {'{', "&#x2329;"},  // left-pointing angle bracket U+2329
    {'}', "&#x232A;"},  // right-pointing angle bracket U+232A
};

// The same entries by character code: slot c - 32 for the codes 32 to 127,
// empty where a character has no entity of its own.
inline constexpr int letter_table_first = 32;
inline constexpr auto letter_table = [] {
  std::array<std::string_view, 96> table{};
  for (const auto& entry : letter_entries) table[entry.key - letter_table_first] = entry.entity;
  return table;
}();

// ---------------------------------------------------------------------------
// Diacritic marks, typed before the letter they belong to.

enum mark : unsigned {
  smooth = 1,           // >  smooth breathing, U+0313
  rough = 2,            // <  rough breathing, U+0314
  acute = 4,            // /  acute accent, U+0301
  grave = 8,            // \  grave accent, U+0300
  circumflex = 16,      // ^  circumflex (perispomeni), U+0342
  diaeresis = 32,       // =  diaeresis, U+0308
  iota_subscript = 64,  // |  iota subscript (ypogegrammeni), U+0345
};

inline constexpr unsigned breathings = smooth | rough;
inline constexpr unsigned accents = acute | grave | circumflex;

struct mark_entry {
  char key;
  mark bit;
  std::string_view description;
};

// In the order in which messages describe them: rough before smooth.
inline constexpr mark_entry mark_table[] = {
    {'<', rough, "rough "},
    {'>', smooth, "smooth "},
    {'/', acute, "acute "},
    {'\\', grave, "grave "},
    {'^', circumflex, "circumflex "},
    {'=', diaeresis, "diaeresis "},
    {'|', iota_subscript, "iota subscript"},
};

// ---------------------------------------------------------------------------
// Precomposed letters with marks.
//
// One row for every precomposed character of the Unicode blocks Greek and
// Coptic (U+0370-U+03FF) and Greek Extended (U+1F00-U+1FFF) whose canonical
// decomposition is one of the key letters' Greek base letters followed only by
// marks among the seven above. Where both blocks hold a character with the
// same decomposition (the tonos and oxia forms of the acute), the row holds the
// Greek Extended one. The entities spell the code point in lowercase hex, but
// for U+1F7A to U+1F7D, whose last digit is a capital. The test suite checks
// every row against Unicode's own decompositions.

struct combination_row {
  char letter;
  unsigned marks;
  std::string_view entity;
};

inline constexpr combination_row combination_table[] = {
    // a
    {'a', grave, "&#x1f70;"},
    {'a', acute, "&#x1f71;"},
    {'a', circumflex, "&#x1fb6;"},
    {'a', smooth, "&#x1f00;"},
    {'a', smooth | grave, "&#x1f02;"},
    {'a', smooth | acute, "&#x1f04;"},
    {'a', smooth | circumflex, "&#x1f06;"},
    {'a', rough, "&#x1f01;"},
    {'a', rough | grave, "&#x1f03;"},
    {'a', rough | acute, "&#x1f05;"},
    {'a', rough | circumflex, "&#x1f07;"},
    {'a', iota_subscript, "&#x1fb3;"},
    {'a', grave | iota_subscript, "&#x1fb2;"},
    {'a', acute | iota_subscript, "&#x1fb4;"},
    {'a', circumflex | iota_subscript, "&#x1fb7;"},
    {'a', smooth | iota_subscript, "&#x1f80;"},
    {'a', smooth | grave | iota_subscript, "&#x1f82;"},
    {'a', smooth | acute | iota_subscript, "&#x1f84;"},
    {'a', smooth | circumflex | iota_subscript, "&#x1f86;"},
    {'a', rough | iota_subscript, "&#x1f81;"},
    {'a', rough | grave | iota_subscript, "&#x1f83;"},
    {'a', rough | acute | iota_subscript, "&#x1f85;"},
    {'a', rough | circumflex | iota_subscript, "&#x1f87;"},
    // A
    {'A', grave, "&#x1fba;"},
    {'A', acute, "&#x1fbb;"},
    {'A', smooth, "&#x1f08;"},
    {'A', smooth | grave, "&#x1f0a;"},
    {'A', smooth | acute, "&#x1f0c;"},
    {'A', smooth | circumflex, "&#x1f0e;"},
    {'A', rough, "&#x1f09;"},
    {'A', rough | grave, "&#x1f0b;"},
    {'A', rough | acute, "&#x1f0d;"},
    {'A', rough | circumflex, "&#x1f0f;"},
    {'A', iota_subscript, "&#x1fbc;"},
    {'A', smooth | iota_subscript, "&#x1f88;"},
    {'A', smooth | grave | iota_subscript, "&#x1f8a;"},
    {'A', smooth | acute | iota_subscript, "&#x1f8c;"},
    {'A', smooth | circumflex | iota_subscript, "&#x1f8e;"},
    {'A', rough | iota_subscript, "&#x1f89;"},
    {'A', rough | grave | iota_subscript, "&#x1f8b;"},
    {'A', rough | acute | iota_subscript, "&#x1f8d;"},
    {'A', rough | circumflex | iota_subscript, "&#x1f8f;"},
    // e
    {'e', grave, "&#x1f72;"},
    {'e', acute, "&#x1f73;"},
    {'e', smooth, "&#x1f10;"},
    {'e', smooth | grave, "&#x1f12;"},
    {'e', smooth | acute, "&#x1f14;"},
    {'e', rough, "&#x1f11;"},
    {'e', rough | grave, "&#x1f13;"},
    {'e', rough | acute, "&#x1f15;"},
    // E
    {'E', grave, "&#x1fc8;"},
    {'E', acute, "&#x1fc9;"},
    {'E', smooth, "&#x1f18;"},
    {'E', smooth | grave, "&#x1f1a;"},
    {'E', smooth | acute, "&#x1f1c;"},
    {'E', rough, "&#x1f19;"},
    {'E', rough | grave, "&#x1f1b;"},
    {'E', rough | acute, "&#x1f1d;"},
    // h
    {'h', grave, "&#x1f74;"},
    {'h', acute, "&#x1f75;"},
    {'h', circumflex, "&#x1fc6;"},
    {'h', smooth, "&#x1f20;"},
    {'h', smooth | grave, "&#x1f22;"},
    {'h', smooth | acute, "&#x1f24;"},
    {'h', smooth | circumflex, "&#x1f26;"},
    {'h', rough, "&#x1f21;"},
    {'h', rough | grave, "&#x1f23;"},
    {'h', rough | acute, "&#x1f25;"},
    {'h', rough | circumflex, "&#x1f27;"},
    {'h', iota_subscript, "&#x1fc3;"},
    {'h', grave | iota_subscript, "&#x1fc2;"},
    {'h', acute | iota_subscript, "&#x1fc4;"},
    {'h', circumflex | iota_subscript, "&#x1fc7;"},
    {'h', smooth | iota_subscript, "&#x1f90;"},
    {'h', smooth | grave | iota_subscript, "&#x1f92;"},
    {'h', smooth | acute | iota_subscript, "&#x1f94;"},
    {'h', smooth | circumflex | iota_subscript, "&#x1f96;"},
    {'h', rough | iota_subscript, "&#x1f91;"},
    {'h', rough | grave | iota_subscript, "&#x1f93;"},
    {'h', rough | acute | iota_subscript, "&#x1f95;"},
    {'h', rough | circumflex | iota_subscript, "&#x1f97;"},
    // H
    {'H', grave, "&#x1fca;"},
    {'H', acute, "&#x1fcb;"},
    {'H', smooth, "&#x1f28;"},
    {'H', smooth | grave, "&#x1f2a;"},
    {'H', smooth | acute, "&#x1f2c;"},
    {'H', smooth | circumflex, "&#x1f2e;"},
    {'H', rough, "&#x1f29;"},
    {'H', rough | grave, "&#x1f2b;"},
    {'H', rough | acute, "&#x1f2d;"},
    {'H', rough | circumflex, "&#x1f2f;"},
    {'H', iota_subscript, "&#x1fcc;"},
    {'H', smooth | iota_subscript, "&#x1f98;"},
    {'H', smooth | grave | iota_subscript, "&#x1f9a;"},
    {'H', smooth | acute | iota_subscript, "&#x1f9c;"},
    {'H', smooth | circumflex | iota_subscript, "&#x1f9e;"},
    {'H', rough | iota_subscript, "&#x1f99;"},
    {'H', rough | grave | iota_subscript, "&#x1f9b;"},
    {'H', rough | acute | iota_subscript, "&#x1f9d;"},
    {'H', rough | circumflex | iota_subscript, "&#x1f9f;"},
    // i
    {'i', grave, "&#x1f76;"},
    {'i', acute, "&#x1f77;"},
    {'i', circumflex, "&#x1fd6;"},
    {'i', diaeresis, "&#x03ca;"},
    {'i', diaeresis | grave, "&#x1fd2;"},
    {'i', diaeresis | acute, "&#x1fd3;"},
    {'i', diaeresis | circumflex, "&#x1fd7;"},
    {'i', smooth, "&#x1f30;"},
    {'i', smooth | grave, "&#x1f32;"},
    {'i', smooth | acute, "&#x1f34;"},
    {'i', smooth | circumflex, "&#x1f36;"},
    {'i', rough, "&#x1f31;"},
    {'i', rough | grave, "&#x1f33;"},
    {'i', rough | acute, "&#x1f35;"},
    {'i', rough | circumflex, "&#x1f37;"},
    // I
    {'I', grave, "&#x1fda;"},
    {'I', acute, "&#x1fdb;"},
    {'I', diaeresis, "&#x03aa;"},
    {'I', smooth, "&#x1f38;"},
    {'I', smooth | grave, "&#x1f3a;"},
    {'I', smooth | acute, "&#x1f3c;"},
    {'I', smooth | circumflex, "&#x1f3e;"},
    {'I', rough, "&#x1f39;"},
    {'I', rough | grave, "&#x1f3b;"},
    {'I', rough | acute, "&#x1f3d;"},
    {'I', rough | circumflex, "&#x1f3f;"},
    // o
    {'o', grave, "&#x1f78;"},
    {'o', acute, "&#x1f79;"},
    {'o', smooth, "&#x1f40;"},
    {'o', smooth | grave, "&#x1f42;"},
    {'o', smooth | acute, "&#x1f44;"},
    {'o', rough, "&#x1f41;"},
    {'o', rough | grave, "&#x1f43;"},
    {'o', rough | acute, "&#x1f45;"},
    // O
    {'O', grave, "&#x1ff8;"},
    {'O', acute, "&#x1ff9;"},
    {'O', smooth, "&#x1f48;"},
    {'O', smooth | grave, "&#x1f4a;"},
    {'O', smooth | acute, "&#x1f4c;"},
    {'O', rough, "&#x1f49;"},
    {'O', rough | grave, "&#x1f4b;"},
    {'O', rough | acute, "&#x1f4d;"},
    // u
    {'u', grave, "&#x1f7A;"},
    {'u', acute, "&#x1f7B;"},
    {'u', circumflex, "&#x1fe6;"},
    {'u', diaeresis, "&#x03cb;"},
    {'u', diaeresis | grave, "&#x1fe2;"},
    {'u', diaeresis | acute, "&#x1fe3;"},
    {'u', diaeresis | circumflex, "&#x1fe7;"},
    {'u', smooth, "&#x1f50;"},
    {'u', smooth | grave, "&#x1f52;"},
    {'u', smooth | acute, "&#x1f54;"},
    {'u', smooth | circumflex, "&#x1f56;"},
    {'u', rough, "&#x1f51;"},
    {'u', rough | grave, "&#x1f53;"},
    {'u', rough | acute, "&#x1f55;"},
    {'u', rough | circumflex, "&#x1f57;"},
    // U
    {'U', grave, "&#x1fea;"},
    {'U', acute, "&#x1feb;"},
    {'U', diaeresis, "&#x03ab;"},
    {'U', rough, "&#x1f59;"},
    {'U', rough | grave, "&#x1f5b;"},
    {'U', rough | acute, "&#x1f5d;"},
    {'U', rough | circumflex, "&#x1f5f;"},
    // w
    {'w', grave, "&#x1f7C;"},
    {'w', acute, "&#x1f7D;"},
    {'w', circumflex, "&#x1ff6;"},
    {'w', smooth, "&#x1f60;"},
    {'w', smooth | grave, "&#x1f62;"},
    {'w', smooth | acute, "&#x1f64;"},
    {'w', smooth | circumflex, "&#x1f66;"},
    {'w', rough, "&#x1f61;"},
    {'w', rough | grave, "&#x1f63;"},
    {'w', rough | acute, "&#x1f65;"},
    {'w', rough | circumflex, "&#x1f67;"},
    {'w', iota_subscript, "&#x1ff3;"},
    {'w', grave | iota_subscript, "&#x1ff2;"},
    {'w', acute | iota_subscript, "&#x1ff4;"},
    {'w', circumflex | iota_subscript, "&#x1ff7;"},
    {'w', smooth | iota_subscript, "&#x1fa0;"},
    {'w', smooth | grave | iota_subscript, "&#x1fa2;"},
    {'w', smooth | acute | iota_subscript, "&#x1fa4;"},
    {'w', smooth | circumflex | iota_subscript, "&#x1fa6;"},
    {'w', rough | iota_subscript, "&#x1fa1;"},
    {'w', rough | grave | iota_subscript, "&#x1fa3;"},
    {'w', rough | acute | iota_subscript, "&#x1fa5;"},
    {'w', rough | circumflex | iota_subscript, "&#x1fa7;"},
    // W
    {'W', grave, "&#x1ffa;"},
    {'W', acute, "&#x1ffb;"},
    {'W', smooth, "&#x1f68;"},
    {'W', smooth | grave, "&#x1f6a;"},
    {'W', smooth | acute, "&#x1f6c;"},
    {'W', smooth | circumflex, "&#x1f6e;"},
    {'W', rough, "&#x1f69;"},
    {'W', rough | grave, "&#x1f6b;"},
    {'W', rough | acute, "&#x1f6d;"},
    {'W', rough | circumflex, "&#x1f6f;"},
    {'W', iota_subscript, "&#x1ffc;"},
    {'W', smooth | iota_subscript, "&#x1fa8;"},
    {'W', smooth | grave | iota_subscript, "&#x1faa;"},
    {'W', smooth | acute | iota_subscript, "&#x1fac;"},
    {'W', smooth | circumflex | iota_subscript, "&#x1fae;"},
    {'W', rough | iota_subscript, "&#x1fa9;"},
    {'W', rough | grave | iota_subscript, "&#x1fab;"},
    {'W', rough | acute | iota_subscript, "&#x1fad;"},
    {'W', rough | circumflex | iota_subscript, "&#x1faf;"},
    // r
    {'r', smooth, "&#x1fe4;"},
    {'r', rough, "&#x1fe5;"},
    // R
    {'R', rough, "&#x1fec;"},
};

// The letters that take marks, each once, in the order of their first rows.
struct letter_list {
  std::array<char, 52> letters{};
  std::size_t size = 0;
  constexpr std::string_view view() const { return {letters.data(), size}; }
};
inline constexpr letter_list letters_taking_marks_list = [] {
  letter_list list;
  for (const auto& row : combination_table)
    if (list.view().find(row.letter) == std::string_view::npos)
      list.letters[list.size++] = row.letter;
  return list;
}();
inline constexpr std::string_view letters_taking_marks = letters_taking_marks_list.view();

}  // namespace grapho
