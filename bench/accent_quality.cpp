// Measures the rules of accentuation on real Greek (bench/README.md): how
// often each warns on the editions' text, in warnings per 2,000 words; how
// many of the mistakes planted into that text, each rule's own at words chosen
// with a fixed seed, it finds at their word; and how long the check of the
// Unicode text takes beside grapho's conversion of the same text typed.
//
//   grapho_accent_quality [--list | --missed RULE] BENCH_DIR
//
// --list prints each warning on the editions' text, with its word; --missed
// RULE each planted mistake of RULE that went unfound.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "check/accents.hpp"
#include "check/clitics.hpp"
#include "check/greek_letters.hpp"
#include "check/unicode_text.hpp"
#include "check/words.hpp"
#include "convert/converter.hpp"
#include "files.hpp"
#include "greek/tables.hpp"
#include "greek/unicode_data.hpp"
#include "html_references.hpp"
#include "io/utf8.hpp"

namespace grapho {
namespace {

struct text {
  std::string name;
  std::string utf8;
};

// grapho's conversion of `source`, from memory into memory.
std::string convert(const std::string& source) {
  std::string output;
  memory_reader reader(source);
  string_writer writer(output);
  converter().convert_stream(reader, writer, "source", "output");
  return output;
}

// The typed verses of the Iliad, each a run of its own on a line.
std::string typed_homer(const std::string& verses) {
  std::string source;
  std::size_t start = 0;
  while (start < verses.size()) {
    std::size_t end = verses.find('\n', start);
    if (end == std::string::npos) end = verses.size();
    source.append("$").append(verses, start, end - start).append("$\n");
    start = end + 1;
  }
  return source;
}

// ---------------------------------------------------------------------------
// The Greek words of a text, as the planting of mistakes sees them.

struct letter_in_text {
  char32_t letter;
  unsigned marks;
};

struct word_in_text {
  std::size_t begin, end;  // bytes
  std::uint64_t line, column;
  std::vector<letter_in_text> letters;
  char32_t after = 0;           // the first character after the word, 0 at the end
  bool next_in_clause = false;  // another word follows after white space alone
};

// The editorial signs of the New Testament's editions, which the check reads
// through.
bool is_editorial_sign(char32_t c) {
  return c >= 0x2E00 && c <= 0x2E05;
}

std::vector<word_in_text> words_of(const std::string& utf8) {
  std::vector<word_in_text> words;
  const auto* data = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = data + utf8.size();
  auto decode = [&](std::size_t at, char32_t& c) {
    c = data[at];
    return c < 0x80 ? 1 : std::max<std::size_t>(decode_utf8(data + at, end, c), 1);
  };
  std::uint64_t line = 1;
  std::size_t line_start = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    char32_t c;
    std::size_t size = decode(at, c);
    letter_with_marks greek = greek_character(c);
    bool in_word = !words.empty() && words.back().end == at;
    if (greek.letter != 0) {
      if (!in_word) words.push_back({at, at, line, at - line_start + 1, {}, 0, false});
      words.back().letters.push_back({greek.letter, greek.marks});
      words.back().end = at + size;
    } else if (is_combining_diacritic(c) && in_word) {
      words.back().letters.back().marks |= mark_of_combining(c);
      words.back().end = at + size;
    }
    at += size;
    if (c == '\n') {
      ++line;
      line_start = at;
    }
  }
  // What follows each word: its first character but for editorial signs, and
  // whether the next word follows after white space alone.
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::size_t gap_end = i + 1 < words.size() ? words[i + 1].begin : utf8.size();
    bool white = i + 1 < words.size();
    for (std::size_t at = words[i].end; at < gap_end;) {
      char32_t c;
      at += decode(at, c);
      if (is_editorial_sign(c)) continue;
      if (words[i].after == 0) words[i].after = c;
      white = white && (c == ' ' || c == '\n' || c == '\t');
    }
    words[i].next_in_clause = white;
  }
  return words;
}

greek_word analysed(const std::vector<letter_in_text>& letters, bool elided = false) {
  greek_word word;
  for (const auto& letter : letters) word.add(letter.letter, letter.marks, {});
  word.close(elided);
  return word;
}

bool is_elision_mark(char32_t c) {
  return c == 0x2019 || c == 0x02BC || c == 0x1FBD || c == 0x1FBF || c == '\'';
}

bool is_stop(char32_t c) {
  return c == '.' || c == ',' || c == ';' || c == ':' || c == 0x00B7 || c == 0x0387 || c == 0x037E;
}

// The letters decomposed: each base letter, then its marks in the order of
// Unicode's decompositions (NFD).
std::string to_nfd(const std::vector<letter_in_text>& letters) {
  std::u32string text;
  for (const auto& letter : letters) {
    text += letter.letter;
    for (const auto& mark : combining_marks)
      if (letter.marks & mark.bit) text += mark.code_point;
    if (letter.marks & long_vowel) text += combining_macron;
    if (letter.marks & short_vowel) text += combining_breve;
  }
  return to_utf8(text);
}

// ---------------------------------------------------------------------------
// Each rule's own mistake, put into a correct word: its letters with the
// mistake, or nothing where the word cannot take it as the rule knows it.

using letters = std::vector<letter_in_text>;

// A word where a mistake may be planted.
struct planting {
  const word_in_text& text;
  bool elided;
  greek_word word;                 // as the check reads it
  const accent* own;               // its accent, where it has one alone
  std::optional<greek_word> next;  // the next word, where it follows in the same clause
};

using planter = std::optional<letters> (*)(const planting&);

// The letters with the word's own accent taken away and `kind` put on `letter`.
letters with_accent(const planting& p, std::size_t letter, unsigned kind) {
  letters changed = p.text.letters;
  changed[p.own->letter].marks &= ~accents;
  changed[letter].marks |= kind;
  return changed;
}

bool is_recessive(const accent& own) {
  return (own.kind == acute && own.from_end == 2) || (own.kind == circumflex && own.from_end == 1);
}

std::optional<letters> acute_for_grave_before_word(const planting& p) {
  if (!p.own || p.own->kind != grave || !p.next) return {};
  return with_accent(p, p.own->letter, acute);
}

std::optional<letters> grave_for_acute_before_stop(const planting& p) {
  if (!p.own || p.own->kind != acute || p.own->from_end != 0 || !is_stop(p.text.after)) return {};
  return with_accent(p, p.own->letter, grave);
}

std::optional<letters> grave_for_acute_before_the_ultima(const planting& p) {
  if (!p.own || p.own->kind != acute || p.own->from_end == 0) return {};
  return with_accent(p, p.own->letter, grave);
}

std::optional<letters> accent_a_syllable_too_far(const planting& p) {
  if (!p.own || p.elided || !is_recessive(*p.own)) return {};
  const std::optional<syllable> further = p.word.syllable_from_end(p.own->from_end + 1);
  if (!further) return {};
  return with_accent(p, further->nucleus, p.own->kind);
}

// Before a long ultima: an acute on the penult moved to the antepenult, or on
// a long penult of two syllables made a circumflex.
std::optional<letters> accent_too_far_back_before_long_ultima(const planting& p) {
  if (!p.own || p.elided || p.own->kind != acute || p.own->from_end != 1 ||
      p.word.length_from_end(0) != vowel_length::certainly_long || p.word.ends_in_synizesis())
    return {};
  if (const std::optional<syllable> antepenult = p.word.syllable_from_end(2))
    return with_accent(p, antepenult->nucleus, acute);
  if (p.word.length_from_end(1) != vowel_length::certainly_long) return {};
  return with_accent(p, p.own->letter, circumflex);
}

// Where the rule knows the penult long by its letters alone, not by the
// circumflex taken away (μᾶλλον made μάλλον is a mistake only a dictionary knows).
std::optional<letters> acute_for_circumflex_on_penult(const planting& p) {
  if (!p.own || p.elided || p.own->kind != circumflex || p.own->from_end != 1 ||
      p.word.length_from_end(0) != vowel_length::certainly_short)
    return {};
  letters changed = with_accent(p, p.own->letter, acute);
  if (analysed(changed).length_from_end(1) != vowel_length::certainly_long) return {};
  return changed;
}

std::optional<letters> second_accent_without_enclitic(const planting& p) {
  if (!p.own || p.elided || !is_recessive(*p.own)) return {};
  if (!is_stop(p.text.after) && !(p.next && !has_enclitic_form(*p.next))) return {};
  letters changed = p.text.letters;
  changed[p.word.syllable_from_end(0)->nucleus].marks |= acute;
  return changed;
}

std::optional<letters> no_second_accent_before_enclitic(const planting& p) {
  const auto& marks = p.word.accents();
  if (marks.size() != 2 || !is_recessive(marks[0]) || !p.next || !p.next->accents().empty() ||
      !has_enclitic_form_alone(*p.next))
    return {};
  letters changed = p.text.letters;
  changed[marks[1].letter].marks &= ~accents;
  return changed;
}

// Where the word without it is no proclitic or enclitic (οὐ, τις), which
// need none.
std::optional<letters> accent_taken_away(const planting& p) {
  if (!p.own || p.elided || p.word.in_capitals_alone()) return {};
  letters changed = p.text.letters;
  for (auto& letter : changed) letter.marks &= ~accents;
  greek_word bare = analysed(changed);
  if (is_proclitic(bare) || has_enclitic_form(bare)) return {};
  return changed;
}

std::optional<letters> breathing_taken_away(const planting& p) {
  char32_t first = small_letter(p.text.letters.front().letter);
  if (!(is_vowel(first) || first == U'ρ')) return {};
  letters changed = p.text.letters;
  bool had = false;
  for (auto& letter : changed) {
    had = had || (letter.marks & breathings);
    letter.marks &= ~breathings;
  }
  if (!had) return {};
  return changed;
}

// The breathing moved to the first vowel of a diphthong, or to the second
// syllable.
std::optional<letters> breathing_moved(const planting& p) {
  if (p.word.syllable_count() == 0 || !is_vowel(small_letter(p.text.letters.front().letter)))
    return {};
  const syllable first = p.word.syllable_at(0);
  unsigned breathing = p.text.letters[first.nucleus].marks & breathings;
  std::size_t to = first.first != first.nucleus  ? first.first
                   : p.word.syllable_count() > 1 ? p.word.syllable_at(1).nucleus
                                                 : first.nucleus;
  if (!breathing || to == first.nucleus) return {};
  letters changed = p.text.letters;
  changed[first.nucleus].marks &= ~breathings;
  changed[to].marks |= breathing;
  return changed;
}

// In the order of the table of warnings (check/warnings.hpp).
const std::pair<std::string_view, planter> planters[] = {
    {"acute-before-word", acute_for_grave_before_word},
    {"grave-before-stop", grave_for_acute_before_stop},
    {"grave-not-final", grave_for_acute_before_the_ultima},
    {"accent-too-far", accent_a_syllable_too_far},
    {"long-ultima", accent_too_far_back_before_long_ultima},
    {"penult-circumflex", acute_for_circumflex_on_penult},
    {"two-accents", second_accent_without_enclitic},
    {"enclitic-accent", no_second_accent_before_enclitic},
    {"missing-accent", accent_taken_away},
    {"missing-breathing", breathing_taken_away},
    {"misplaced-breathing", breathing_moved},
};

planter planter_of(std::string_view rule) {
  for (const auto& [code, plant] : planters)
    if (code == rule) return plant;
  throw std::invalid_argument("no rule " + std::string(rule));
}

planting planting_at(const std::vector<word_in_text>& words, std::size_t i) {
  const word_in_text& text = words[i];
  planting p{text,
             is_elision_mark(text.after),
             analysed(text.letters, is_elision_mark(text.after)),
             nullptr,
             {}};
  if (p.word.accents().size() == 1) p.own = &p.word.accents().front();
  if (text.next_in_clause)
    p.next = analysed(words[i + 1].letters, is_elision_mark(words[i + 1].after));
  return p;
}

// ---------------------------------------------------------------------------

std::vector<diagnostic> check(const std::string& utf8) {
  diagnostic_list found;
  check_unicode_text(utf8, found);
  return std::move(found).in_source_order();
}

std::size_t count_words(const std::string& utf8) {
  return words_of(utf8).size();
}

struct planted {
  std::uint64_t line, column_begin, column_end;
  std::string word, original;
};

// Plants `rule`'s mistake into words of `source` chosen at random, no two
// within three words of each other, and returns how many were planted and
// found at their word.
std::pair<std::size_t, std::size_t> plant_and_find(const std::string& source, std::string_view rule,
                                                   planter plant, std::mt19937& random,
                                                   bool print_missed) {
  auto words = words_of(source);
  std::vector<std::size_t> order(words.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  std::vector<bool> taken(words.size());
  std::map<std::size_t, letters> chosen;
  constexpr std::size_t most = 400, apart = 3;
  for (std::size_t i : order) {
    if (chosen.size() == most) break;
    bool near = false;
    for (std::size_t j = i >= apart ? i - apart : 0; j <= i + apart && j < words.size(); ++j)
      near = near || taken[j];
    if (near) continue;
    if (auto mistaken = plant(planting_at(words, i))) {
      chosen[i] = *mistaken;
      taken[i] = true;
    }
  }
  std::string text;
  std::vector<planted> places;
  std::size_t copied = 0, line_start_in_text = 0;
  std::uint64_t line = 1;
  auto copy_to = [&](std::size_t end) {
    for (std::size_t at = copied; at < end; ++at) {
      text += source[at];
      if (source[at] == '\n') {
        ++line;
        line_start_in_text = text.size();
      }
    }
    copied = end;
  };
  for (const auto& [i, letters] : chosen) {
    copy_to(words[i].begin);
    std::uint64_t column = text.size() - line_start_in_text + 1;
    std::string word = to_nfd(letters);
    text += word;
    places.push_back(
        {line, column, text.size() - line_start_in_text + 1, word,
         source.substr(words[i].begin, std::min<std::size_t>(words[i].end - words[i].begin + 24,
                                                             source.size() - words[i].begin))});
    copied = words[i].end;
  }
  copy_to(source.size());
  auto found = check(text);
  std::size_t hits = 0;
  for (const auto& place : places) {
    bool hit = false;
    for (const auto& d : found)
      hit = hit || (d.code == rule && d.place.line == place.line &&
                    d.place.column >= place.column_begin && d.place.column < place.column_end);
    hits += hit;
    if (!hit && print_missed)
      std::printf("%llu:%llu: %s for %s\n", static_cast<unsigned long long>(place.line),
                  static_cast<unsigned long long>(place.column_begin), place.word.c_str(),
                  place.original.c_str());
  }
  return {places.size(), hits};
}

// The fastest and the median time of `work`, in seconds.
std::pair<double, double> seconds_of(const std::function<void()>& work, int runs) {
  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    auto start = std::chrono::steady_clock::now();
    work();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  return {seconds.front(), seconds[seconds.size() / 2]};
}

void list_warnings(const text& t) {
  auto found = check(t.utf8);
  auto words = words_of(t.utf8);
  for (const auto& d : found) {
    std::string word;
    for (const auto& w : words)
      if (w.line == d.place.line && d.place.column >= w.column &&
          d.place.column < w.column + (w.end - w.begin))
        word = t.utf8.substr(w.begin, w.end - w.begin);
    std::printf("%s:%llu:%llu: %s [%s] %s\n", t.name.c_str(),
                static_cast<unsigned long long>(d.place.line),
                static_cast<unsigned long long>(d.place.column), word.c_str(),
                std::string(d.code).c_str(), d.message.c_str());
  }
}

int run(int argc, char** argv) {
  bool list = argc == 3 && std::strcmp(argv[1], "--list") == 0;
  bool missed = argc == 4 && std::strcmp(argv[1], "--missed") == 0;
  if (argc != 2 && !list && !missed) {
    std::fprintf(stderr, "usage: grapho_accent_quality [--list | --missed RULE] BENCH_DIR\n");
    return 2;
  }
  std::string dir = argv[argc - 1];
  std::string verses = read_file(dir + "/iliad-1.txt");
  std::string homer_source = typed_homer(verses);
  const std::vector<text> texts = {
      {"Homer, Iliad 1", to_utf8(decode_references(convert(homer_source)))},
      {"Plato, Apology 17a-27d", read_file(dir + "/apology.txt")},
      {"SBLGNT, the Gospels", read_file(dir + "/sblgnt-gospels.txt")},
  };
  if (list) {
    for (const auto& t : texts) list_warnings(t);
    return 0;
  }
  if (missed) {
    planter plant = planter_of(argv[2]);
    for (const auto& t : texts) {
      std::printf("%s\n", t.name.c_str());
      std::mt19937 random(28);
      plant_and_find(t.utf8, argv[2], plant, random, true);
    }
    return 0;
  }

  std::printf("Warnings per 2,000 words on the editions' text\n\n| rule |");
  for (const auto& t : texts) std::printf(" %s |", t.name.c_str());
  std::printf(" all |\n| --- |");
  for (std::size_t i = 0; i <= texts.size(); ++i) std::printf(" --- |");
  std::printf("\n");
  std::vector<std::vector<diagnostic>> found;
  std::vector<std::size_t> words;
  std::size_t all_words = 0;
  for (const auto& t : texts) {
    found.push_back(check(t.utf8));
    words.push_back(count_words(t.utf8));
    all_words += words.back();
  }
  auto rate = [](std::size_t count, std::size_t words) { return 2000.0 * count / words; };
  std::size_t total = 0;
  for (const auto& [code, plant] : planters) {
    std::printf("| `%s` |", std::string(code).c_str());
    std::size_t all = 0;
    for (std::size_t t = 0; t < texts.size(); ++t) {
      std::size_t count = 0;
      for (const auto& d : found[t]) count += d.code == code;
      all += count;
      std::printf(" %.2f (%zu) |", rate(count, words[t]), count);
    }
    total += all;
    std::printf(" %.2f (%zu) |\n", rate(all, all_words), all);
  }
  std::printf("| all rules |");
  for (std::size_t t = 0; t < texts.size(); ++t)
    std::printf(" %.2f (%zu) |", rate(found[t].size(), words[t]), found[t].size());
  std::printf(" %.2f (%zu) |\n| words |", rate(total, all_words), total);
  for (std::size_t w : words) std::printf(" %zu |", w);
  std::printf(" %zu |\n", all_words);

  std::printf("\nPlanted mistakes found at their word\n\n| rule |");
  for (const auto& t : texts) std::printf(" %s |", t.name.c_str());
  std::printf(" all |\n| --- |");
  for (std::size_t i = 0; i <= texts.size(); ++i) std::printf(" --- |");
  std::printf("\n");
  for (const auto& [code, plant] : planters) {
    std::printf("| `%s` |", std::string(code).c_str());
    std::size_t planted_all = 0, found_all = 0;
    for (const auto& t : texts) {
      std::mt19937 random(28);
      auto [planted_count, hits] = plant_and_find(t.utf8, code, plant, random, false);
      planted_all += planted_count;
      found_all += hits;
      std::printf(" %.1f%% (%zu/%zu) |", planted_count ? 100.0 * hits / planted_count : 0.0, hits,
                  planted_count);
    }
    std::printf(" %.1f%% (%zu/%zu) |\n", planted_all ? 100.0 * found_all / planted_all : 0.0,
                found_all, planted_all);
  }

  // The same text, repeated to some megabytes: checked as Unicode, and
  // converted as typed, in turn.
  std::string unicode_homer, repeated_source;
  for (int i = 0; i < 64; ++i) {
    unicode_homer += texts[0].utf8;
    repeated_source += homer_source;
  }
  auto checking = seconds_of([&] { check(unicode_homer); }, 11);
  auto converting = seconds_of([&] { convert(repeated_source); }, 11);
  std::printf(
      "\nSpeed, fastest (median) of 11 runs: the check of %.1f MB of Homer in Unicode %.1f ms "
      "(%.1f), grapho's conversion of the same %.1f MB typed %.1f ms (%.1f): %.1f (%.1f) times "
      "as long\n",
      unicode_homer.size() / 1e6, checking.first * 1e3, checking.second * 1e3,
      repeated_source.size() / 1e6, converting.first * 1e3, converting.second * 1e3,
      checking.first / converting.first, checking.second / converting.second);
  return 0;
}

}  // namespace
}  // namespace grapho

int main(int argc, char** argv) {
  try {
    return grapho::run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "grapho_accent_quality: %s\n", e.what());
    return 1;
  }
}
