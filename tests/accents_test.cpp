// The rules of accentuation on their own mistakes and on correct near misses,
// as Smyth's Greek Grammar gives them, and the reading of Unicode text that
// feeds them: composed and decomposed letters, tonos and oxia, every elision
// mark, the Greek punctuation, markup and references between words.
#include "check/accents.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "check/unicode_text.hpp"

namespace grapho {
namespace {

// The warnings found in `text`, with those of the codes `disabled` (separated
// by commas) switched off.
std::string found_in(std::string_view text, std::string_view disabled = "") {
  warning_switches switches;
  EXPECT_EQ(switches.set(disabled, false), std::nullopt);
  diagnostic_list found(switches);
  check_unicode_text(text, found);
  std::string all;
  for (const auto& d : std::move(found).in_source_order())
    all += std::to_string(d.place.line) + ":" + std::to_string(d.place.column) + " " +
           std::string(d.code) + "\n";
  return all;
}

struct case_of_rule {
  std::string_view text;
  std::string_view code;  // empty: nothing is found
  // Where it is found: the first occurrence of this in the text, on line 1.
  std::string_view at = {};
};

std::string expected_for(const case_of_rule& c) {
  if (c.code.empty()) return "";
  std::size_t at = c.text.find(c.at);
  EXPECT_NE(at, std::string_view::npos) << c.text;
  return "1:" + std::to_string(at + 1) + " " + std::string(c.code) + "\n";
}

// Each rule's mistake, then what stays silent beside it.
TEST(AccentRules, FindEachMistakeAndPassItsNearMisses) {
  const case_of_rule cases[] = {
      // An oxytone before another word takes the grave (§154), but not before
      // an enclitic (§183 a), nor the interrogative (§154 a).
      {"ἀγαθός ἀνήρ", "acute-before-word", "ός"},
      {"ἀγαθὸς ἀνήρ", ""},
      {"ἀγαθός τις", ""},
      {"δός μοι τὸ βιβλίον", ""},
      {"καλόν ἐστι", ""},
      {"τίς οὗτος", ""},
      {"ἱνατί ἐνθυμεῖσθε", ""},
      {"ἀγαθός\nἀνήρ", "acute-before-word", "ός"},
      {"ἀγαθός — ἀνήρ", ""},
      // An oxytone keeps the acute before a stop (§154 a 4).
      {"καλὸς.", "grave-before-stop", "ὸ"},
      {"καλὸς, ἔφη", "grave-before-stop", "ὸ"},
      {"καλός.", ""},
      {"καλὸς\n", ""},
      // The grave stands on the ultima only (§149).
      {"λὸγος", "grave-not-final", "ὸ"},
      {"λόγος", ""},
      // No accent before the antepenult, no circumflex before the penult (§149).
      {"ἔλεγομεν", "accent-too-far", "ἔ"},
      {"ἐλέγομεν", ""},
      {"σῶματος", "accent-too-far", "ῶ"},
      {"σώματος", ""},
      {"ᾧτινι", ""},
      {"ὧντινων", ""},
      // A long ultima: no acute on the antepenult, no circumflex on the penult (§166).
      {"ἄνθρωπου", "long-ultima", "ἄ"},
      {"ἀνθρώπου", ""},
      {"δῶρου", "long-ultima", "ῶ"},
      {"δώρου", ""},
      {"πόλεως", ""},
      {"Πηληϊάδεω", ""},
      {"ἄνθρωποι", ""},
      // A long penult before a short ultima takes the circumflex (§164).
      {"δώρον", "penult-circumflex", "ώ"},
      {"δῶρον", ""},
      {"δούλοι", ""},
      {"ὥστε", ""},
      {"οὔτε", ""},
      {"ἥδε", ""},
      {"ὥσπερ", ""},
      {"καίτοι", ""},
      {"νῆσος", ""},
      {"χώρα", ""},
      // Two accents only before an enclitic (§183 c).
      {"ἄνθρωπός.", "two-accents", "ός"},
      {"ἄνθρωπός ἀγαθός.", "two-accents", "ός"},
      {"ἄνθρωπός τις.", ""},
      {"ἄνθρωποί τινες.", ""},
      {"σῶσόν με.", ""},
      {"εἴ πού τίς τινα ἴδοι ἐχθρόν.", ""},
      // Before an unaccented enclitic, a proparoxytone or properispomenon
      // takes a second acute (§183 c); a paroxytone does not (§183 d), nor a
      // properispomenon in ξ or ψ (§183 d N.).
      {"ἄνθρωπος τις", "enclitic-accent", "ος"},
      {"σῶσον με", "enclitic-accent", "ον"},
      {"ἄνθρωπος τινός", ""},
      {"φίλος μου", ""},
      {"χώρας τινός", ""},
      {"κῆρυξ τις", ""},
      {"ἔν τινι", ""},
      // Every word has an accent, but proclitics (§179), enclitics (§181) and
      // elided words.
      {"λογος", "missing-accent", "λογος"},
      {"ὁ λόγος", ""},
      {"ἐν οἴκῳ", ""},
      {"εἰ μή", ""},
      {"οὐκ ἔστιν", ""},
      {"φίλος γε", ""},
      {"ἀλλʼ ἐγώ", ""},
      // An initial vowel, diphthong or rho has a breathing (§§9-13).
      {"αγαθός", "missing-breathing", "αγαθός"},
      {"ἀγαθός", ""},
      {"αυτός", "missing-breathing", "αυτός"},
      {"ρήτωρ", "missing-breathing", "ρήτωρ"},
      {"ῥήτωρ", ""},
      {"ΚΑΤΑ ΜΑΘΘΑΙΟΝ", ""},
      // The breathing stands on the first vowel, the second of a diphthong
      // (§11), and may stand where two words were made one by crasis.
      {"ἀὐτός", "misplaced-breathing", "ἀ"},
      {"ἀυτός", "misplaced-breathing", "ἀ"},
      {"αὐτός", ""},
      {"λόγὁς", "misplaced-breathing", "ὁ"},
      {"κἀγώ", ""},
      {"τοὔνομα", ""},
      {"ἄῤῥητος", ""},
      {"Ἅιδης", ""},
      {"Ἀτρεΐδης", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(found_in(c.text), expected_for(c)) << c.text;
}

TEST(AccentRules, EachRuleCanBeSwitchedOff) {
  EXPECT_EQ(found_in("ἀγαθός ἀνήρ", {"acute-before-word"}), "");
  EXPECT_EQ(found_in("αγαθος", {"missing-breathing"}), "1:1 missing-accent\n");
  EXPECT_EQ(found_in("δώρον", {"penult-circumflex"}), "");
}

// The same Greek, written every way Unicode text writes it, gives the same
// findings at the place of the letter that carries the mark.
TEST(UnicodeText, ReadsGreekEveryWayItIsWritten) {
  const case_of_rule cases[] = {
      // Composed with the tonos (U+03CC) or the oxia (U+1F79); decomposed.
      {"ἀγαθ\u03cc\u03c2 ἀνήρ", "acute-before-word", "\u03cc"},
      {"ἀγαθ\u1f79\u03c2 ἀνήρ", "acute-before-word", "\u1f79"},
      {"ἀγαθο\u0301\u03c2 ἀνήρ", "acute-before-word", "ο\u0301"},
      {"\u03b1\u0313\u03b3\u03b1\u03b8\u03bf\u0301\u03c2 \u03b1\u0313\u03bd\u03b7\u0301\u03c1",
       "acute-before-word", "ο\u0301"},
      // The marks of a decomposed letter in any order; a mark of length.
      {"ἄνθρω\u0345\u0313πος", "misplaced-breathing", "ω"},
      {"δω\u0301ρον", "penult-circumflex", "ω"},
      {"κα\u0304\u0301λον", "penult-circumflex", "α"},
      {"κ\u1fb1\u0301λον", "penult-circumflex", "\u1fb1"},
      // Other forms of letters, as typefaces and papyri write them.
      {"ϑεὸϲ ἀγαθόϲ.", ""},
      {"ϰαλός ϵἰς ἀγοράν", "acute-before-word", "ός"},
      {"κα\u0301λον", ""},
      // Every elision mark ends a word that needs no accent of its own.
      {"ἀλλʼ ἐγώ", ""},
      {"ἀλλ’ ἐγώ", ""},
      {"ἀλλ᾽ ἐγώ", ""},
      {"ἀλλ᾿ ἐγώ", ""},
      {"ἀλλ' ἐγώ", ""},
      {"ταῦτʼ ἐστί.", ""},
      {"πολλοὶ δʼ εἰσίν.", ""},
      // A spacing breathing before a capital, the old way.
      {"᾿Αχιλλεύς.", ""},
      // The upper stop, and the question mark, Greek and Latin.
      {"καλὸς\u00b7", "grave-before-stop", "ὸ"},
      {"καλὸς\u0387", "grave-before-stop", "ὸ"},
      {"καλὸς\u037e", "grave-before-stop", "ὸ"},
      {"καλὸς;", "grave-before-stop", "ὸ"},
      {"καλὸς?", "grave-before-stop", "ὸ"},
      // Markup and references between words, and inside one.
      {"ἀγαθός <b>ἀνήρ</b>", "acute-before-word", "ός"},
      {"<i>ἀγαθός</i> ἀνήρ", "acute-before-word", "ός"},
      {"ἀγαθός&nbsp;ἀνήρ", "acute-before-word", "ός"},
      {"ἀγαθ&#x3cc;ς ἀνήρ", "acute-before-word", "&#x3cc;"},
      {"ἀγαθ&oacute;ς", "missing-accent", "ἀγαθ"},
      {"&alpha;γαθός", "missing-breathing", "&alpha;"},
      {"&lambda;&omicron;&gamma;&omicron;&sigmaf;", "missing-accent", "&lambda;"},
      {"ἀγαθό&Sigma; ἀνήρ", "acute-before-word", "ό"},
      {"&Omicronx;ἀγαθός ἀνήρ", "acute-before-word", "ός"},
      {"ἀγαθό&sigmafx; ἀνήρ", ""},
      {"λό<b>γ</b>ος", ""},
      {"<p>ἀγαθός</p><p>ἀνήρ</p>", ""},
      {"ἀγαθός<br>ἀνήρ", ""},
      {"ἀγαθός<BLOCKQUOTE>ἀνήρ", ""},
      {"λό<FigCaption>γος", "missing-accent", "γος"},
      {"λό<blockquotes>γος", ""},
      {"λό<h7>γος", ""},
      {"ἀγαθός <!-- ἀνήρ --> τις", ""},
      {"<p title=\"λογος\">λόγος</p>", ""},
      {"**ἀγαθός** ἀνήρ", "acute-before-word", "ός"},
      {"Matt 1:1\tΒίβλος γενέσεως ⸀Ἰησοῦ χριστοῦ.", ""},
      {"καὶ ⸀αὐτός ⸂ἐστιν⸃.", ""},
      {"ἀγαθός \"ἀνήρ\"", ""},
      {"ἀγαθός &amp; ἀνήρ", ""},
      {"a < b ἀγαθὸς & c", ""},
      // Numbers, and letters that an edition restores or adds within a word.
      {"κεφάλαιον αʹ.", ""},
      {"λό[γ]ος ἀ⟦γ⟧αθός.", ""},
      {"ἄνθρωπ(ος) [ἀγαθός] ἀνήρ", ""},
      {"λο[γ]ος", "missing-accent", "λο"},
  };
  for (const auto& c : cases) EXPECT_EQ(found_in(c.text), expected_for(c)) << c.text;
}

TEST(UnicodeText, CountsLinesAndColumnsInBytes) {
  EXPECT_EQ(found_in("καλός\r\n<p>\n  ἀγαθός ἀνήρ"), "3:12 acute-before-word\n");
  EXPECT_EQ(found_in("<a\nhref=\"x\">λογος</a> αγαθός"),
            "2:10 missing-accent\n2:25 missing-breathing\n");
  EXPECT_EQ(found_in("\xff\xfe λογος"), "1:4 missing-accent\n");
}

// Whatever the bytes, every finding stands on the first byte of a character
// of the text; a word longer than any Greek word is left alone.
TEST(UnicodeText, AnyBytesAreReadAndEveryPlaceIsACharacter) {
  // clang-format off
  const std::vector<std::string> pieces = {
      "α", "ε", "ι", "υ", "ρ", "Α", "λ", "ς", "ά", "ᾶ", "ἀ", "ὰ", "ῷ", "ϊ", "ᾱ",
      "\u0301", "\u0300", "\u0342", "\u0313", "\u0314", "\u0308", "\u0345", "\u0304", "\u0323",
      "’", "'", "᾿", "῾", "·", ";", ".", " ", "\n", "\r\n", "<p>", "</p>", "<b>", "<", ">", "&",
      "&#x1f71;", "&alpha;", "&nbsp;", "&#99999999;", "<!--", "-->", "<script>", "\xff",
      "\xe1\xbc", "*", "⸀", "1", "a", "—", "τις", "ἐν"};
  // clang-format on
  std::mt19937 random(28);
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text;
    for (int i = std::uniform_int_distribution<int>(0, 40)(random); i > 0; --i)
      text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    diagnostic_list found;
    check_unicode_text(text, found);
    for (const auto& d : std::move(found).in_source_order()) {
      std::size_t line_start = 0;
      for (std::uint64_t line = 1; line < d.place.line; ++line)
        line_start = text.find('\n', line_start) + 1;
      std::size_t at = line_start + d.place.column - 1;
      ASSERT_LT(at, text.size()) << text;
      EXPECT_NE(static_cast<unsigned char>(text[at]) & 0xC0, 0x80) << text;
    }
  }
  std::string long_word;
  for (int i = 0; i < 100; ++i) long_word += "λογ";
  EXPECT_EQ(found_in(long_word + " ἀγαθός ἀνήρ"),
            "1:" + std::to_string(long_word.size() + 11) + " acute-before-word\n");
}

// What grapho's sources give the rules: the end of a run is no punctuation.
TEST(AccentRules, TheEndOfARunDecidesNothing) {
  auto fed = [](word_break after) {
    diagnostic_list found;
    accent_rules rules(found);
    rules.letter({U'κ', 0, {1, 2}});
    rules.letter({U'α', 0, {1, 3}});
    rules.letter({U'λ', 0, {1, 4}});
    rules.letter({U'ο', grave, {1, 5}});
    rules.letter({U'ς', 0, {1, 6}});
    rules.end_word(after, {1, 7});
    rules.end_word(word_break::space, {1, 8});
    rules.letter({U'ε', smooth | acute, {1, 9}});
    rules.letter({U'ν', 0, {1, 10}});
    rules.finish();
    return std::move(found).in_source_order().size();
  };
  EXPECT_EQ(fed(word_break::end), 0u);
  EXPECT_EQ(fed(word_break::other), 0u);
  EXPECT_EQ(fed(word_break::stop), 1u);
}

}  // namespace
}  // namespace grapho
