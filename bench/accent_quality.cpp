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
#include "check/warnings.hpp"
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
// Each rule's own mistake, put into a correct word: the letters with the
// mistake, or nothing where the word cannot take it.

using planter = std::function<std::optional<std::vector<letter_in_text>>(
    const std::vector<word_in_text>&, std::size_t)>;

const accent* only_accent(const greek_word& word) {
  return word.accents().size() == 1 ? &word.accents().front() : nullptr;
}

void move_accent(std::vector<letter_in_text>& letters, const accent& from, std::size_t to_letter,
                 unsigned kind) {
  letters[from.letter].marks &= ~accents;
  letters[to_letter].marks |= kind;
}

std::optional<std::vector<letter_in_text>> grave_for_acute(const std::vector<word_in_text>& words,
                                                           std::size_t i) {
  // an acute before a word, where the grave stands
  const auto& w = words[i];
  greek_word word = analysed(w.letters);
  const accent* own = only_accent(word);
  if (!own || own->kind != grave || !w.next_in_clause) return {};
  auto letters = w.letters;
  move_accent(letters, *own, own->letter, acute);
  return letters;
}

std::map<std::string_view, planter> planters() {
  std::map<std::string_view, planter> all;
  all["acute-before-word"] = grave_for_acute;
  all["grave-before-stop"] = [](const auto& words,
                                std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    greek_word word = analysed(w.letters);
    const accent* own = only_accent(word);
    if (!own || own->kind != acute || own->from_end != 0 || !is_stop(w.after)) return {};
    auto letters = w.letters;
    move_accent(letters, *own, own->letter, grave);
    return letters;
  };
  all["grave-not-final"] = [](const auto& words,
                              std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    greek_word word = analysed(w.letters, is_elision_mark(w.after));
    const accent* own = only_accent(word);
    if (!own || own->kind != acute || own->from_end == 0) return {};
    auto letters = w.letters;
    move_accent(letters, *own, own->letter, grave);
    return letters;
  };
  all["accent-too-far"] = [](const auto& words,
                             std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    if (is_elision_mark(w.after)) return {};
    greek_word word = analysed(w.letters);
    const accent* own = only_accent(word);
    if (!own || own->kind == grave) return {};
    std::size_t to = own->from_end + 1;
    bool too_far = own->kind == acute ? to == 3 : to == 2;
    const syllable* target = word.syllable_from_end(to);
    if (!too_far || !target) return {};
    auto letters = w.letters;
    move_accent(letters, *own, target->nucleus, own->kind);
    return letters;
  };
  all["long-ultima"] = [](const auto& words,
                          std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    if (is_elision_mark(w.after)) return {};
    greek_word word = analysed(w.letters);
    const accent* own = only_accent(word);
    if (!own || own->kind != acute || own->from_end != 1 ||
        word.length_from_end(0) != vowel_length::certainly_long || word.ends_in_synizesis())
      return {};
    auto letters = w.letters;
    if (const syllable* antepenult = word.syllable_from_end(2))
      move_accent(letters, *own, antepenult->nucleus, acute);
    else if (word.length_from_end(1) == vowel_length::certainly_long)
      move_accent(letters, *own, own->letter, circumflex);
    else
      return {};
    return letters;
  };
  all["penult-circumflex"] = [](const auto& words,
                                std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    if (is_elision_mark(w.after)) return {};
    greek_word word = analysed(w.letters);
    const accent* own = only_accent(word);
    if (!own || own->kind != circumflex || own->from_end != 1 ||
        word.length_from_end(0) != vowel_length::certainly_short)
      return {};
    auto letters = w.letters;
    move_accent(letters, *own, own->letter, acute);
    // The rule knows the penult long by its letters alone, not by the circumflex taken away.
    if (analysed(letters).length_from_end(1) != vowel_length::certainly_long) return {};
    return letters;
  };
  all["two-accents"] = [](const auto& words,
                          std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    if (is_elision_mark(w.after) || !(is_stop(w.after) || w.next_in_clause)) return {};
    if (w.next_in_clause && has_enclitic_form(analysed(words[i + 1].letters))) return {};
    greek_word word = analysed(w.letters);
    const accent* own = only_accent(word);
    bool recessive = own && ((own->kind == acute && own->from_end == 2) ||
                             (own->kind == circumflex && own->from_end == 1));
    if (!recessive) return {};
    auto letters = w.letters;
    letters[word.syllable_from_end(0)->nucleus].marks |= acute;
    return letters;
  };
  all["enclitic-accent"] = [](const auto& words,
                              std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    if (!w.next_in_clause) return {};
    greek_word word = analysed(w.letters);
    greek_word next = analysed(words[i + 1].letters, is_elision_mark(words[i + 1].after));
    if (word.accents().size() != 2 || !next.accents().empty() || !has_enclitic_form_alone(next))
      return {};
    const accent& own = word.accents().front();
    if (!((own.kind == acute && own.from_end == 2) ||
          (own.kind == circumflex && own.from_end == 1)))
      return {};
    auto letters = w.letters;
    letters[word.accents()[1].letter].marks &= ~accents;
    return letters;
  };
  all["missing-accent"] = [](const auto& words,
                             std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    bool elided = is_elision_mark(w.after);
    greek_word word = analysed(w.letters, elided);
    if (elided || !only_accent(word) || word.in_capitals_alone()) return {};
    auto letters = w.letters;
    for (auto& letter : letters) letter.marks &= ~accents;
    greek_word bare = analysed(letters);
    if (is_proclitic(bare) || has_enclitic_form(bare)) return {};
    return letters;
  };
  all["missing-breathing"] = [](const auto& words,
                                std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    auto letters = w.letters;
    bool had = false;
    for (auto& letter : letters) {
      had = had || (letter.marks & breathings);
      letter.marks &= ~breathings;
    }
    char32_t first = small_letter(w.letters.front().letter);
    if (!had || !(is_vowel(first) || first == U'ρ')) return {};
    return letters;
  };
  all["misplaced-breathing"] = [](const auto& words,
                                  std::size_t i) -> std::optional<std::vector<letter_in_text>> {
    const auto& w = words[i];
    greek_word word = analysed(w.letters, is_elision_mark(w.after));
    if (word.syllables().empty() || !is_vowel(small_letter(w.letters.front().letter))) return {};
    const syllable& first = word.syllables().front();
    unsigned breathing = w.letters[first.nucleus].marks & breathings;
    if (!breathing) return {};
    auto letters = w.letters;
    letters[first.nucleus].marks &= ~breathings;
    if (first.first != first.nucleus)
      letters[first.first].marks |= breathing;
    else if (word.syllables().size() > 1)
      letters[word.syllables()[1].nucleus].marks |= breathing;
    else
      return {};
    return letters;
  };
  return all;
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
                                                   const planter& plant, std::mt19937& random,
                                                   bool print_missed) {
  auto words = words_of(source);
  std::vector<std::size_t> order(words.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), random);
  std::vector<bool> taken(words.size());
  std::map<std::size_t, std::vector<letter_in_text>> chosen;
  constexpr std::size_t most = 400, apart = 3;
  for (std::size_t i : order) {
    if (chosen.size() == most) break;
    bool near = false;
    for (std::size_t j = i >= apart ? i - apart : 0; j <= i + apart && j < words.size(); ++j)
      near = near || taken[j];
    if (near) continue;
    if (auto letters = plant(words, i)) {
      chosen[i] = *letters;
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
    auto plant = planters().at(argv[2]);
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
  for (const auto& kind : warning_kinds) {
    if (!planters().count(kind.code)) continue;
    std::printf("| `%s` |", std::string(kind.code).c_str());
    std::size_t all = 0;
    for (std::size_t t = 0; t < texts.size(); ++t) {
      std::size_t count = 0;
      for (const auto& d : found[t]) count += d.code == kind.code;
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
  auto all_planters = planters();
  for (const auto& kind : warning_kinds) {
    auto plant = all_planters.find(kind.code);
    if (plant == all_planters.end()) continue;
    std::printf("| `%s` |", std::string(kind.code).c_str());
    std::size_t planted_all = 0, found_all = 0;
    for (const auto& t : texts) {
      std::mt19937 random(28);
      auto [planted_count, hits] = plant_and_find(t.utf8, kind.code, plant->second, random, false);
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
