// The words that lean on their neighbours for the accent, as H. W. Smyth's
// Greek Grammar (1920) lists them: proclitics (§179), which have none, and
// enclitics (§181, with the epic and Ionic forms of §181 D and §325 D), which
// lose theirs to the word before. Each is written with its breathing and
// without its accent; a word spells a form whatever its accents and case.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "check/words.hpp"
#include "greek/keyed_table.hpp"

namespace grapho {

// clang-format off
inline constexpr std::u32string_view proclitics[] = {
    U"ὁ", U"ἡ", U"οἱ", U"αἱ",                   // the article
    U"ἐν", U"εἰς", U"ἐς", U"ἐξ", U"ἐκ",         // prepositions
    U"εἰ", U"ὡς", U"οὐ", U"οὐκ", U"οὐχ",        // conjunctions and the negative
};

inline constexpr std::u32string_view enclitics[] = {
    // The unemphatic personal pronouns, with the epic and poetic forms.
    U"μου", U"μοι", U"με", U"σου", U"σοι", U"σε", U"οὑ", U"οἱ", U"ἑ",
    U"μευ", U"σεο", U"σευ", U"τυ", U"ἑο", U"εὑ", U"ἑθεν", U"μιν", U"νιν",
    U"σφισι", U"σφισιν", U"σφι", U"σφιν", U"σφε", U"σφωε", U"σφωιν", U"σφεων", U"σφεας",
    U"σφας", U"σφεα",
    // The indefinite pronoun in all its cases, the epic and Ionic τεο, τευ, τεῳ,
    // τεων among them, and the indefinite adverbs.
    U"τις", U"τι", U"τινος", U"τινι", U"τινα", U"τινες", U"τινων", U"τισι", U"τισιν",
    U"τινας", U"του", U"τῳ", U"τινε", U"τινοιν", U"τεο", U"τευ", U"τεῳ", U"τεων",
    U"που", U"ποθι", U"πῃ", U"πη", U"ποι", U"ποθεν", U"ποτε", U"πω", U"πως",
    // The present indicative of εἰμί and φημί but for εἶ and φῄς, and epic ἐσσί.
    U"εἰμι", U"ἐστι", U"ἐστιν", U"ἐσμεν", U"ἐστε", U"εἰσι", U"εἰσιν", U"ἐσσι",
    U"φημι", U"φησι", U"φησιν", U"φαμεν", U"φατε", U"φασι", U"φασιν",
    // The particles, with the epic ones.
    U"γε", U"τε", U"τοι", U"περ", U"νυ", U"νυν", U"κε", U"κεν", U"θην", U"ῥα",
};

// Enclitics as they stand elided: τ᾽ for τε or τοι, θ᾽ for τε before a rough
// breathing, γ᾽, κ᾽, ῥ᾽, μ᾽, σ᾽ and the rest.
inline constexpr std::u32string_view elided_enclitics[] = {
    U"τ", U"θ", U"γ", U"κ", U"ῥ", U"μ", U"σ", U"ποτ", U"ποθ", U"τιν", U"ἐστ", U"εἰσ",
};

// The enclitics that make one word with the word before and leave it its
// accent as if they stood apart (§186): the particles in ὥστε, μήγε, καίτοι,
// εἴθε, ὅδε, and the words made with them whose head has an acute on a long vowel
// before a short ending, which the rule of the penult (§164 a) would take for
// mistakes; περ after any word (ὥσπερ, ἐπείπερ); and the cases of the
// indefinite pronoun after the relative, ὅστις, οὗτινος, ᾧτινι, ὧντινων.
inline constexpr std::u32string_view compound_particles[] = {
    U"τε", U"γε", U"τοι", U"θε", U"δε", U"περ",
};
inline constexpr std::u32string_view words_with_particles[] = {
    U"ὡστε", U"οὐτε", U"μητε", U"εἰτε", U"μηγε", U"εἰγε", U"καιτοι", U"ἠτοι", U"μητοι", U"οὐτοι",
    U"εἰθε", U"αἰθε", U"ἡδε", U"οἱδε", U"αἱδε", U"τηνδε", U"τουσδε", U"τασδε", U"τωδε",
};
inline constexpr std::u32string_view compound_indefinites[] = {
    U"τις", U"τι", U"τινος", U"τινι", U"τινα", U"τινες", U"τινων", U"τισι", U"τισιν", U"τινας",
    U"του", U"τῳ",
};

// The words that keep an acute on their last syllable before another word
// (§154 a): the interrogative τίς, τί, and the words made with it (ἱνατί,
// διατί); and epic ἄρ, ἄρα cut short, which keeps the accent of the vowel it
// lost (§154 a 3, §174 a).
inline constexpr std::u32string_view keeping_their_acute[] = {
    U"τις", U"τι", U"ἱνατι", U"διατι", U"ἀρ",
};
// clang-format on

// What the lists above say of a spelling, as bits.
enum clitic_kind : std::uint8_t {
  proclitic = 1,
  enclitic = 2,
  elided_enclitic = 4,
  keeping_acute = 8,
  with_particle = 16,
};

struct clitic_spelling {
  std::uint64_t key;  // greek_word::spelling_key()
  std::uint8_t kinds;
};

constexpr std::uint64_t spelling_key_of(std::u32string_view form) {
  std::uint64_t key = 0;
  for (char32_t c : form) {
    letter_with_marks letter = greek_character(c);
    key = key << 8 | spelling_code(small_letter(letter.letter), letter.marks);
  }
  return key;
}

// Every spelling of the lists, with what each list says of it.
inline constexpr auto clitic_spellings = [] {
  constexpr std::size_t count = std::size(proclitics) + std::size(enclitics) +
                                std::size(elided_enclitics) + std::size(keeping_their_acute) +
                                std::size(words_with_particles);
  std::array<clitic_spelling, count> all{};
  std::size_t next = 0;
  auto add = [&](std::span<const std::u32string_view> forms, std::uint8_t kind) {
    for (std::u32string_view form : forms) {
      if (form.size() > longest_spelling_key) throw "a clitic longer than a spelling key";
      all[next++] = {spelling_key_of(form), kind};
    }
  };
  add(proclitics, proclitic);
  add(enclitics, enclitic);
  add(elided_enclitics, elided_enclitic);
  add(keeping_their_acute, keeping_acute);
  add(words_with_particles, with_particle);
  return all;
}();

// The spellings by key, once each (Fibonacci hashing): one or two looks find
// a key or an empty slot, where a search of the sorted spellings took seven.
inline constexpr auto clitic_table = [] {
  keyed_table<std::uint8_t, 9, 0x9E3779B97F4A7C15u> table;
  static_assert(std::size(clitic_spellings) < decltype(table)::size() / 2,
                "a table at most half full");
  for (const clitic_spelling& spelling : clitic_spellings)
    table.slot_for(spelling.key).value |= spelling.kinds;
  return table;
}();

// What every spelling has: at most so many letters, and one of these first
// letters, a bit for each place in the alphabet (spelling_code).
struct clitic_bounds {
  std::size_t most_letters = 0;
  std::uint32_t first_letters = 0;
};
inline constexpr clitic_bounds clitic_spelling_bounds = [] {
  clitic_bounds bounds;
  for (const clitic_spelling& spelling : clitic_spellings) {
    std::size_t letters = (std::bit_width(spelling.key) + 7) / 8;
    bounds.most_letters = std::max(bounds.most_letters, letters);
    bounds.first_letters |= std::uint32_t{1} << (spelling.key >> (8 * letters - 8) >> 3);
  }
  return bounds;
}();

// What the lists say of `word`'s spelling, whole or elided as it stands.
inline std::uint8_t clitic_kinds(const greek_word& word) {
  const auto letters = word.letters();
  if (letters.size() > clitic_spelling_bounds.most_letters ||
      !(clitic_spelling_bounds.first_letters >> (spelling_code(letters.front().small, 0) >> 3) & 1))
    return 0;
  const int slot = clitic_table.find(word.spelling_key());
  if (slot < 0) return 0;
  const std::uint8_t kinds = clitic_table[static_cast<std::size_t>(slot)].value;
  return word.elided() ? kinds & elided_enclitic : kinds & ~elided_enclitic;
}

// Whether letters [from, from + form's length) of `word` spell `form`: the
// same letters in either case and sigma in any form, with the same breathings
// and iota subscripts, whatever their accents.
bool spells(const greek_word& word, std::size_t from, std::u32string_view form);

inline bool is_proclitic(const greek_word& word) {
  return clitic_kinds(word) & proclitic;
}
inline bool is_word_with_particle(const greek_word& word) {
  return clitic_kinds(word) & with_particle;
}
inline bool keeps_its_acute(const greek_word& word) {
  return clitic_kinds(word) & keeping_acute;
}
// Spelled as an enclitic, elided or whole; it may be one.
inline bool has_enclitic_form(const greek_word& word) {
  return clitic_kinds(word) & (enclitic | elided_enclitic);
}
// Spelled as a proclitic or an enclitic, elided or whole: it may go without
// an accent.
inline bool is_clitic(const greek_word& word) {
  return clitic_kinds(word) & (proclitic | enclitic | elided_enclitic);
}
// Spelled as an enclitic that no proclitic is spelled as (not οἱ), whole.
inline bool has_enclitic_form_alone(const greek_word& word) {
  return (clitic_kinds(word) & (enclitic | proclitic)) == enclitic;
}

}  // namespace grapho
