// The rules, as H. W. Smyth's Greek Grammar (1920) states them: §§149-188.
// Where a rule cannot decide, for a length that is not certain or a form that
// editions accent either way, it stays silent.
#include "check/accents.hpp"

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "check/clitics.hpp"
#include "greek/tables.hpp"

namespace grapho {
namespace {

// The rules, each by its warning's code.
enum rule : unsigned {
  acute_before_word,
  grave_before_stop,
  grave_not_final,
  accent_too_far,
  long_ultima,
  penult_circumflex,
  two_accents,
  enclitic_accent,
  missing_accent,
  missing_breathing,
  misplaced_breathing,
};

constexpr std::string_view rule_codes[] = {
    "acute-before-word", "grave-before-stop", "grave-not-final",     "accent-too-far",
    "long-ultima",       "penult-circumflex", "two-accents",         "enclitic-accent",
    "missing-accent",    "missing-breathing", "misplaced-breathing",
};

// The faults of an accent's place, and what each says.
enum class place_fault : std::uint8_t {
  none,
  acute_too_far,
  circumflex_too_far,
  acute_before_long_ultima,
  circumflex_before_long_ultima,
  acute_on_long_penult,
};

struct place_fault_text {
  rule code;
  std::string_view message;
};

// By place_fault, from acute_too_far on.
constexpr place_fault_text place_fault_texts[] = {
    {accent_too_far,
     "Acute before the antepenult: an acute stands on one of the last three syllables"},
    {accent_too_far,
     "Circumflex before the penult: a circumflex stands on one of the last two syllables"},
    {long_ultima,
     "Acute on the antepenult while the last syllable is long: the accent is expected on the "
     "penult"},
    {long_ultima, "Circumflex on the penult while the last syllable is long: an acute is expected"},
    {penult_circumflex,
     "Acute on a long penult before a short last syllable: a circumflex is expected"},
};

const place_fault_text& text_of(place_fault fault) {
  return place_fault_texts[static_cast<std::size_t>(fault) - 1];
}

// What is wrong with the place of a word's own accent, its first: too far from
// the end (§149), or of the wrong kind for the length of its last two
// syllables (§§163-169).
place_fault accent_place_fault(const greek_word& word) {
  if (word.accents().empty()) return place_fault::none;
  const accent& own = word.accents().front();
  if (own.from_end == 0) return place_fault::none;
  if (own.kind == acute && own.from_end > 2) return place_fault::acute_too_far;
  if (own.kind == circumflex && own.from_end > 1) return place_fault::circumflex_too_far;
  if (word.elided()) return place_fault::none;
  // A recessive accent, which a long ultima (but for synizesis) moves on.
  if ((own.kind == acute && own.from_end == 2) || (own.kind == circumflex && own.from_end == 1)) {
    if (word.length_from_end(0) != vowel_length::certainly_long || word.ends_in_synizesis())
      return place_fault::none;
    return own.kind == acute ? place_fault::acute_before_long_ultima
                             : place_fault::circumflex_before_long_ultima;
  }
  if (own.kind == acute && own.from_end == 1 &&
      word.length_from_end(0) == vowel_length::certainly_short &&
      word.length_from_end(1) == vowel_length::certainly_long)
    return place_fault::acute_on_long_penult;
  return place_fault::none;
}

// Whether `head`, the first part of a word, takes the enclitic after it as a
// word of its own would: one accent, rightly placed, on one of its last two
// syllables; before the indefinite, the relative pronoun, a monosyllable with
// its rough breathing.
bool takes_enclitic_apart(const greek_word& head, bool indefinite) {
  if (head.accents().size() != 1 || accent_place_fault(head) != place_fault::none) return false;
  const accent& own = head.accents().front();
  if (indefinite) return head.syllable_count() == 1 && (head.letters().front().marks & rough);
  return own.from_end == 0 || (own.from_end == 1 && own.kind == acute);
}

// Whether `word` is a word and an enclitic made one (§186: ὥστε, ὥσπερ,
// ᾧτινι), accented as the two were; its own accent, the first, on the head.
bool is_compound_accented_apart(const greek_word& word, greek_word& head) {
  const std::size_t count = word.letters().size();
  auto splits = [&](std::u32string_view enclitic, bool indefinite) {
    if (enclitic.size() >= count || !spells(word, count - enclitic.size(), enclitic)) return false;
    std::size_t split = count - enclitic.size();
    if (word.accents().front().letter >= split) return false;
    head.assign_head(word, split);
    return takes_enclitic_apart(head, indefinite);
  };
  bool with_particle = is_word_with_particle(word);
  for (std::u32string_view enclitic : compound_particles)
    if ((with_particle || enclitic == U"περ") && splits(enclitic, false)) return true;
  for (std::u32string_view enclitic : compound_indefinites)
    if (splits(enclitic, true)) return true;
  return false;
}

// An enclitic that may follow: spelled as one, with no accent or the acute on
// its last syllable that one enclitic takes from the next (§185) or a
// dissyllable keeps (§183 d). A grave or a circumflex, or an acute further
// back, makes it another word (ποτὲ, τοῦ, ἔστι). An acute τίς or τί may be
// the interrogative or an enclitic before another (οὐδέ τί πω): either way.
bool may_be_enclitic(const greek_word& word) {
  for (const accent& mark : word.accents())
    if (mark.kind != acute || mark.from_end != 0) return false;
  return has_enclitic_form(word);
}

// Out of the way of the rules, which seldom find anything.
[[gnu::noinline]] void add_warning(diagnostic_list& found, text_place place, rule code,
                                   std::string_view message) {
  found.add({place, severity::warning, rule_codes[code], std::string(message), {}});
}

class word_rules {
 public:
  word_rules(diagnostic_list& found, unsigned reported, const greek_word& word, word_break after,
             const greek_word* next, greek_word& head)
      : found_(found), reported_(reported), word_(word), after_(after), next_(next), head_(head) {}

  void check_all() {
    if (word_.unjudged() || !word_.has_syllables() || word_.in_capitals_alone()) return;
    check_breathing();
    if (word_.accents().empty()) {
      check_missing_accent();
      return;
    }
    check_graves();
    check_accent_place();
    check_accent_before_what_follows();
  }

 private:
  bool reports(rule code) const { return reported_ >> code & 1; }
  void report(rule code, std::size_t letter, std::string_view message) {
    if (reports(code)) add_warning(found_, word_.place_of(letter), code, message);
  }

  // A word that begins with a vowel or rho has a breathing on its first
  // vowel, the second of a diphthong (§§9-13).
  void check_breathing() {
    const auto& letters = word_.letters();
    const syllable first = word_.syllable_at(0);
    const std::uint64_t with_breathing = word_.breathing_letters();
    if (letters.front().small == U'ρ' && !(with_breathing & 1))
      report(missing_breathing, 0, "No breathing on an initial rho: a rough breathing is expected");
    if (first.first == 0 && !has_breathing(first))
      report(missing_breathing, 0,
             first.first == first.nucleus
                 ? "No breathing on an initial vowel: a rough or smooth breathing is expected"
                 : "No breathing on an initial diphthong: a rough or smooth breathing is "
                   "expected on its second vowel");
    for (std::uint64_t rest = with_breathing & ~(std::uint64_t{1} << first.nucleus); rest != 0;
         rest &= rest - 1) {
      const auto i = static_cast<std::size_t>(std::countr_zero(rest));
      if (is_breathing_place(i, first)) continue;
      report(misplaced_breathing, i,
             i == first.first
                 ? "Breathing on the first vowel of a diphthong: it is expected on the second"
                 : "Breathing inside the word: a breathing stands on the first vowel, or on the "
                   "second vowel of a first diphthong");
    }
  }

  bool has_breathing(const syllable& vowels) const {
    std::uint64_t letters =
        (std::uint64_t{2} << vowels.nucleus) - (std::uint64_t{1} << vowels.first);
    return word_.breathing_letters() & letters;
  }

  // The first syllable's vowel, after consonants too where two words were
  // made one (crasis: κἀγώ, τοὔνομα); an initial rho; and ῤῥ.
  bool is_breathing_place(std::size_t i, const syllable& first) const {
    const auto& letters = word_.letters();
    if (i == first.nucleus) return true;
    if (letters[i].small != U'ρ') return false;
    return i == 0 || letters[i - 1].small == U'ρ' ||
           (i + 1 < letters.size() && letters[i + 1].small == U'ρ');
  }

  void check_missing_accent() {
    if (!reports(missing_accent) || word_.elided() || is_clitic(word_)) return;
    report(missing_accent, 0,
           "No accent on a word that is neither proclitic nor enclitic: an accent is expected");
  }

  // The grave stands only on the last syllable (§149).
  void check_graves() {
    for (const accent& mark : word_.accents())
      if (mark.kind == grave && mark.from_end != 0)
        report(grave_not_final, mark.letter,
               "Grave on a syllable before the last: a grave stands only on the last syllable");
  }

  void check_accent_place() {
    const place_fault fault = accent_place_fault(word_);
    if (fault == place_fault::none || !reports(text_of(fault).code) ||
        is_compound_accented_apart(word_, head_))
      return;
    report(text_of(fault).code, word_.accents().front().letter, text_of(fault).message);
  }

  // What the next word, or the punctuation, asks of the last syllable (§154).
  void check_accent_before_what_follows() {
    const auto& marks = word_.accents();
    const accent& last = marks.back();
    if (marks.size() >= 2) {
      if (after_ == word_break::stop || (next_ && !may_be_enclitic(*next_)))
        report(two_accents, marks[1].letter,
               "A second accent on a word that no enclitic follows: one accent is expected");
      return;
    }
    if (last.kind == grave && last.from_end == 0 && after_ == word_break::stop)
      report(grave_before_stop, last.letter,
             "Grave before punctuation: an acute is expected on a last syllable before a stop");
    if (!next_) return;
    if (last.kind == acute && last.from_end == 0 && reports(acute_before_word) &&
        !may_be_enclitic(*next_) && !keeps_its_acute(word_))
      report(acute_before_word, last.letter,
             "Acute on the last syllable before another word: a grave is expected, unless an "
             "enclitic follows");
    if (last.from_end != 0 && reports(enclitic_accent)) check_accent_before_enclitic();
  }

  // A proparoxytone or properispomenon takes the enclitic's accent as an acute
  // on its last syllable (§183 c), but for a properispomenon in ξ or ψ (§183 d N.).
  void check_accent_before_enclitic() {
    const accent& own = word_.accents().front();
    bool proparoxytone = own.kind == acute && own.from_end == 2;
    bool properispomenon =
        own.kind == circumflex && own.from_end == 1 && !word_.ends_in_double_consonant();
    if (word_.elided() || !(proparoxytone || properispomenon) || !next_->accents().empty() ||
        !has_enclitic_form_alone(*next_))
      return;
    report(enclitic_accent, word_.syllable_from_end(0)->nucleus,
           proparoxytone ? "No acute on the last syllable before an enclitic: a word accented on "
                           "the antepenult takes the enclitic's accent there"
                         : "No acute on the last syllable before an enclitic: a word with a "
                           "circumflex on the penult takes the enclitic's accent there");
  }

  diagnostic_list& found_;
  unsigned reported_;
  const greek_word& word_;
  word_break after_;
  const greek_word* next_;
  greek_word& head_;
};

// Whether no rule can find fault with `word`, seen without the look-ups of
// the clitics: its breathings in place and one accent, either on the last
// syllable, a circumflex, a grave before no stop or an acute that no word of
// the clause follows, or further back, no grave, rightly placed and before
// no unaccented word. Most words of a text are such.
bool is_plainly_right(const greek_word& word, word_break after, const greek_word* next) {
  if (word.accents().size() != 1 || !word.has_breathing_in_place()) return false;
  const accent& own = word.accents().front();
  if (own.from_end != 0)
    return own.kind != grave && (next == nullptr || !next->accents().empty()) &&
           accent_place_fault(word) == place_fault::none;
  switch (own.kind) {
    case circumflex:
      return true;
    case grave:
      return after != word_break::stop;
    default:
      return next == nullptr;
  }
}

bool is_white_space(word_break kind) {
  return kind == word_break::space || kind == word_break::line_end;
}

}  // namespace

accent_rules::accent_rules(diagnostic_list& found) : found_(found) {
  for (unsigned code = 0; code < std::size(rule_codes); ++code)
    if (found_.reports(rule_codes[code])) reported_ |= 1u << code;
}

void accent_rules::elision(text_place place) {
  if (current_->empty()) {
    end_word(word_break::other, place);
    return;
  }
  close_word(true);
}

void accent_rules::finish() {
  if (!current_->empty()) close_word(false);
  if (has_previous_) settle_previous(nullptr);
  has_previous_ = false;
}

void accent_rules::close_word(bool elided) {
  current_->close(elided);
  if (has_previous_) settle_previous(current_);
  std::swap(current_, previous_);
  current_->clear();
  has_previous_ = true;
  gap_.reset();
}

// Inline: it runs once a word, and mostly finds the word plainly right.
inline void accent_rules::settle_previous(const greek_word* next) {
  word_break after = gap_.value_or(next ? word_break::space : word_break::end);
  if (!next && is_white_space(after)) after = word_break::end;
  const greek_word* next_in_clause = next && is_white_space(after) ? next : nullptr;
  if (!is_plainly_right(*previous_, after, next_in_clause)) check_rules(after, next_in_clause);
}

void accent_rules::check_rules(word_break after, const greek_word* next) {
  word_rules(found_, reported_, *previous_, after, next, head_).check_all();
}

}  // namespace grapho
