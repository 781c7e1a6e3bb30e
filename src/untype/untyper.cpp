#include "untype/untyper.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <utility>

#include "greek/tables.hpp"
#include "greek/unicode_data.hpp"
#include "io/look_ahead_reader.hpp"
#include "io/output_sink.hpp"
#include "io/utf8.hpp"
#include "untype/typing.hpp"

namespace grapho {
namespace {

// Room for the most bytes one piece of input is read from (a letter with four
// marks, or a reference) and for what reading it looks at after it.
constexpr std::size_t look_ahead = 32;
// Marks gathered after a letter: one more than any typed letter carries.
constexpr std::size_t most_gathered_marks = 4;
// The pieces between Greek words that wait to know whether a run goes on
// over them; a longer stretch closes the run.
constexpr std::size_t most_pending_pieces = 256;

// ---------------------------------------------------------------------------
// Pieces of input, and where they may stand.

enum class piece_kind : std::uint8_t {
  neutral,       // passes through a run unchanged: stands inside a run or outside
  single_pair,   // "-", "[", "]", "{", "}": neutral, unless what follows in the run starts with it
  outside,       // stands outside runs, as it came
  greek,         // typed in a run
  punctuation,   // typed in a Greek passage (in a run, or before the Greek that opens one),
                 // otherwise outside
  quote,         // punctuation, where the alternation gives its mark; otherwise outside
  medial_sigma,  // typed "s" where what follows keeps it medial, otherwise outside
  final_sigma,   // typed "s", or "j" where what follows would make "s" medial
};

struct piece {
  piece_kind kind;
  bool closes_quotation;
  std::uint8_t read_size;  // the bytes of input it stands for
  std::uint8_t raw_size;
  std::uint8_t typed_size;
  char raw[24];   // the bytes as they came, but "$$" for a "$"
  char typed[8];  // padded with zeros, to be copied whole

  std::string_view raw_text() const { return {raw, raw_size}; }
  std::string_view typed_text() const { return {typed, typed_size}; }
  bool is_sigma() const {
    return kind == piece_kind::medial_sigma || kind == piece_kind::final_sigma;
  }
  bool may_stand_in_run() const { return kind != piece_kind::outside; }
  // The first character this piece puts in a run.
  char first_in_run() const {
    return kind == piece_kind::neutral || kind == piece_kind::single_pair ? raw[0] : typed[0];
  }
};

piece raw_piece(piece_kind kind, const unsigned char* bytes, std::size_t size) {
  piece p;
  p.kind = kind;
  p.closes_quotation = false;
  p.read_size = p.raw_size = static_cast<std::uint8_t>(size);
  p.typed_size = 0;
  std::memset(p.typed, 0, sizeof p.typed);
  std::memcpy(p.raw, bytes, size);
  return p;
}

// ASCII characters, by what they do in a run.
enum class ascii_kind : std::uint8_t { neutral, single_pair, outside, ampersand, escape };

inline constexpr auto ascii_kinds = [] {
  std::array<ascii_kind, 128> kinds{};
  for (int c = 0; c < 128; ++c)
    if (is_letter(c)) kinds[static_cast<std::size_t>(c)] = ascii_kind::outside;
  auto mark_as = [&](char c, ascii_kind kind) { kinds[static_cast<unsigned char>(c)] = kind; };
  for (const auto& entry : letter_entries) mark_as(entry.key, ascii_kind::outside);
  for (const auto& entry : mark_table) mark_as(entry.key, ascii_kind::outside);
  for (const auto& pair : pair_entries) mark_as(pair.key, ascii_kind::single_pair);
  mark_as(quote_key, ascii_kind::outside);
  mark_as(sigma_key, ascii_kind::outside);
  mark_as('&', ascii_kind::ampersand);
  mark_as(static_cast<char>(escape_character), ascii_kind::escape);
  return kinds;
}();

// The piece of a character that grapho types as `how`, read from `raw`.
piece typed_piece(typing how, std::string_view raw) {
  piece p =
      raw_piece(piece_kind::greek, reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
  p.closes_quotation = how.role == typed_role::closing_quote;
  std::size_t size = 0;
  switch (how.role) {
    case typed_role::letter:
      for (const auto& mark : combining_marks)
        if (how.marks & mark.bit) p.typed[size++] = key_of_mark(mark.bit);
      [[fallthrough]];
    case typed_role::sign:
      break;
    case typed_role::stop:
      p.kind = piece_kind::punctuation;
      break;
    case typed_role::medial_sigma:
      p.kind = piece_kind::medial_sigma;
      break;
    case typed_role::final_sigma:
      p.kind = piece_kind::final_sigma;
      break;
    case typed_role::opening_quote:
    case typed_role::closing_quote:
      p.kind = piece_kind::quote;
      break;
    case typed_role::pair:
      p.kind = piece_kind::punctuation;
      p.typed[size++] = how.key;
      break;
    case typed_role::none:
      p.kind = piece_kind::outside;
      return p;
  }
  p.typed[size++] = how.key;
  p.typed_size = static_cast<std::uint8_t>(size);
  return p;
}

// The piece of each reference grapho writes.
const auto reference_pieces = [] {
  std::array<piece, typed_characters.size()> pieces;
  for (std::size_t i = 0; i < pieces.size(); ++i)
    pieces[i] = typed_piece(typed_characters[i].how, typed_characters[i].entity);
  return pieces;
}();

// What the plain way needs of the piece of each reference, by its slot in
// reference_index.
struct plain_reference {
  char typed[8];
  std::uint8_t typed_size;
  std::uint8_t size;
  piece_kind kind;
};

const auto plain_references = [] {
  std::array<plain_reference, reference_index.size()> plain{};
  for (std::size_t slot = 0; slot < plain.size(); ++slot) {
    if (reference_index[slot].value == 0) continue;
    const piece& p = reference_pieces[reference_index[slot].value - 1u];
    std::memcpy(plain[slot].typed, p.typed, sizeof p.typed);
    plain[slot].typed_size = p.typed_size;
    plain[slot].size = p.read_size;
    plain[slot].kind = p.kind;
  }
  return plain;
}();

// The place of a combining mark among the seven, or none.
constexpr std::size_t no_mark = std::size(combining_marks);
std::size_t mark_place(char32_t code_point) {
  for (std::size_t place = 0; place < std::size(combining_marks); ++place)
    if (combining_marks[place].code_point == code_point) return place;
  return no_mark;
}

// How a letter typed as `how` and followed by the combining marks at the
// places given is typed, if the whole is canonically equivalent to one letter
// that grapho writes. Canonical reordering sorts marks by their classes and
// keeps the order of marks of one class, so the whole is such a letter when,
// so sorted, its marks stand in the order of that letter's decomposition.
typing typing_with_marks(typing how, const std::size_t* places, std::size_t count) {
  if (how.role != typed_role::letter) return {};
  std::array<std::size_t, std::size(combining_marks) + most_gathered_marks> order{};
  std::size_t size = 0;
  for (std::size_t place = 0; place < std::size(combining_marks); ++place)
    if (how.marks & combining_marks[place].bit) order[size++] = place;
  for (std::size_t i = 0; i < count; ++i) {
    if (places[i] == no_mark) return {};
    order[size++] = places[i];
  }
  // Canonical reordering: an insertion sort by class, which keeps the order
  // within a class (and takes no memory, as std::stable_sort may).
  auto class_of = [&](std::size_t i) { return combining_marks[order[i]].combining_class; };
  for (std::size_t i = 1; i < size; ++i)
    for (std::size_t j = i; j > 0 && class_of(j - 1) > class_of(j); --j)
      std::swap(order[j - 1], order[j]);
  unsigned marks = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (i > 0 && order[i] <= order[i - 1]) return {};
    marks |= combining_marks[order[i]].bit;
  }
  if (!combination_exists[static_cast<unsigned char>(how.key)][marks]) return {};
  return {typed_role::letter, how.key, static_cast<std::uint8_t>(marks)};
}

// ---------------------------------------------------------------------------
// Reading pieces.

class piece_reader {
 public:
  piece_reader(byte_reader& reader, std::span<unsigned char> buffer)
      : input_(reader, buffer, look_ahead) {}

  // Makes sure that a piece of any length can be read; false at the end of
  // the input.
  bool fill() { return input_.fill(); }

  // The next piece, after fill().
  piece next() {
    at_ = input_.position();
    end_ = input_.end();
    piece p = *at_ < 0x80 ? ascii_piece() : utf8_piece();
    input_.position() += p.read_size;
    return p;
  }

  // The input not yet read, up to where a piece of any length fits.
  const unsigned char*& position() { return input_.position(); }
  const unsigned char* limit() const { return input_.limit(); }
  const unsigned char* end() const { return input_.end(); }

  bool read_failed() const { return input_.read_failed(); }

 private:
  piece ascii_piece() {
    switch (ascii_kinds[*at_]) {
      case ascii_kind::neutral:
        return raw_piece(piece_kind::neutral, at_, 1);
      case ascii_kind::single_pair:
        return raw_piece(piece_kind::single_pair, at_, 1);
      case ascii_kind::escape: {
        static constexpr unsigned char doubled[] = {'$', '$'};
        piece dollar = raw_piece(piece_kind::outside, doubled, 2);
        dollar.read_size = 1;
        return dollar;
      }
      case ascii_kind::ampersand:
        return reference_piece();
      case ascii_kind::outside:
        break;
    }
    return raw_piece(piece_kind::outside, at_, 1);
  }

  // A reference as grapho spells it, or a plain "&".
  piece reference_piece() {
    int slot = find_reference_slot(at_, static_cast<std::size_t>(end_ - at_));
    return slot < 0 ? raw_piece(piece_kind::outside, at_, 1)
                    : reference_pieces[reference_index[static_cast<std::size_t>(slot)].value - 1u];
  }

  piece utf8_piece() {
    char32_t code_point = 0;
    std::size_t size = decode_utf8(at_, end_, code_point);
    if (size == 0) return raw_piece(piece_kind::neutral, at_, 1);
    typing how = typing_of_character(code_point);
    if (how.role == typed_role::none && !in_greek_blocks(code_point)) {
      // A mark with no Greek letter before it stays as it came.
      return raw_piece(
          is_combining_diacritic(code_point) ? piece_kind::outside : piece_kind::neutral, at_,
          size);
    }
    std::size_t places[most_gathered_marks];
    std::size_t count = 0;
    const unsigned char* next = at_ + size;
    char32_t mark = 0;
    for (std::size_t mark_size;
         count < most_gathered_marks && (mark_size = decode_utf8(next, end_, mark)) != 0 &&
         is_combining_diacritic(mark);
         next += mark_size)
      places[count++] = mark_place(mark);
    if (count > 0) how = typing_with_marks(how, places, count);
    std::string_view raw(reinterpret_cast<const char*>(at_), static_cast<std::size_t>(next - at_));
    return typed_piece(how, raw);
  }

  look_ahead_reader input_;
  // The piece in hand and the end of what was read.
  const unsigned char* at_ = nullptr;
  const unsigned char* end_ = nullptr;
};

// ---------------------------------------------------------------------------
// Writing.

// The pieces that wait, in a room of their own: nothing is allocated while
// typing.
class waiting_pieces {
 public:
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  const piece& operator[](std::size_t i) const { return pieces_[i]; }
  const piece& back() const { return pieces_[size_ - 1]; }
  void push_back(const piece& p) { pieces_[size_++] = p; }
  void pop_back() { --size_; }
  void clear() { size_ = 0; }

 private:
  std::array<piece, most_pending_pieces> pieces_;
  std::size_t size_ = 0;
};

// Decides for each piece whether it stands in a run and how it is written.
// In a run, the pieces that may stand either way wait in `pending_` after the
// last Greek piece until what follows them decides: the next Greek piece takes
// them into the run, anything else leaves them outside. A sigma waits at their
// head, as "s" gives the medial or the final sigma by what follows it.
class typist {
 public:
  typist(output_sink& out, bool& quotation_open) : out_(out), quotation_open_(quotation_open) {}

  void take(const piece& p) {
    // A single "-" before what puts another "-" in the run would pair with it.
    if (!pending_.empty() && pending_.back().kind == piece_kind::single_pair &&
        p.may_stand_in_run() && p.first_in_run() == pending_.back().raw[0]) {
      piece single = pending_.back();
      pending_.pop_back();
      take_outside(single);
    }
    switch (p.kind) {
      case piece_kind::outside:
        take_outside(p);
        return;
      case piece_kind::greek:
      case piece_kind::medial_sigma:
      case piece_kind::final_sigma:
        take_greek(p);
        return;
      case piece_kind::punctuation:
        take_punctuation(p);
        return;
      case piece_kind::quote:
        take_quote(p);
        return;
      case piece_kind::neutral:
      case piece_kind::single_pair:
        take_neutral(p);
        return;
    }
  }

  // Everything written, the run closed.
  void finish() { settle_before_outside(); }

  bool nothing_waits() const { return pending_.empty(); }

  // Takes at once, from `at` up to `limit`, what it can decide without
  // waiting (the bulk of grapho's output: letters, the sigmas inside words and
  // at their ends, the text between the words and around the runs), and
  // leaves at the first piece it cannot for take(). Nothing may wait.
  void take_plain(const unsigned char*& at, const unsigned char* limit, const unsigned char* end) {
    while (at < limit) {
      // A part at a time, with room for all it can write: no typing is longer
      // than what it stands for, and each byte may come with a "$".
      const unsigned char* part_end = std::min(limit, at + plain_part);
      char* to = out_.reserve(2 * plain_part + 16).data();
      bool stopped = take_plain_part(at, part_end, end, to);
      out_.commit(to);
      if (stopped) return;
    }
  }

 private:
  static constexpr std::size_t plain_part = 4096;

  // take_plain() over one part, writing at `to`; true where it stopped at a
  // piece for take().
  bool take_plain_part(const unsigned char*& at, const unsigned char* part_end,
                       const unsigned char* end, char*& to) {
    constexpr char escape = static_cast<char>(escape_character);
    bool in_run = in_run_;
    bool typed_reference = false;
    bool stopped = true;
    while (at < part_end) {
      unsigned char c = *at;
      if (c == '&') {
        std::size_t length;
        int slot = find_reference_slot(at, static_cast<std::size_t>(end - at), length);
        if (slot < 0 || !take_plain_reference(slot, length, at, end, in_run, typed_reference, to))
          break;
        continue;
      }
      if (c >= 0x80) break;
      ascii_kind kind = ascii_kinds[c];
      if (kind == ascii_kind::outside || kind == ascii_kind::escape) {
        if (in_run) *to++ = escape;
        in_run = false;
        *to++ = static_cast<char>(c);
        if (kind == ascii_kind::escape) *to++ = escape;
        ++at;
        continue;
      }
      if (kind != ascii_kind::neutral) break;
      if (!in_run) {
        *to++ = static_cast<char>(c);
        ++at;
        continue;
      }
      // A stretch between words: in the run before Greek, after it before
      // what stands outside.
      const unsigned char* stretch_end = at;
      while (stretch_end < part_end && *stretch_end < 0x80 &&
             ascii_kinds[*stretch_end] == ascii_kind::neutral)
        ++stretch_end;
      if (stretch_end == part_end || *stretch_end >= 0x80) break;
      ascii_kind after = ascii_kinds[*stretch_end];
      if (after == ascii_kind::ampersand) {
        std::size_t length;
        int slot =
            find_reference_slot(stretch_end, static_cast<std::size_t>(end - stretch_end), length);
        if (slot < 0 || plain_references[static_cast<std::size_t>(slot)].kind == piece_kind::quote)
          break;
        copy_stretch(at, stretch_end, to);
        // The Greek after the stretch, taken now that it is found.
        if (!take_plain_reference(slot, length, at, end, in_run, typed_reference, to)) break;
        continue;
      }
      if (after != ascii_kind::outside && after != ascii_kind::escape) break;
      *to++ = escape;
      in_run = false;
      copy_stretch(at, stretch_end, to);
    }
    if (at == part_end) stopped = false;
    in_run_ = run_written_ = in_run;
    if (typed_reference) passage_as_characters_ = false;
    return stopped;
  }

  // Most stretches between words are a space or two: copied without a call.
  static void copy_stretch(const unsigned char*& at, const unsigned char* end, char*& to) {
    if (end - at > 8) {
      std::memcpy(to, at, static_cast<std::size_t>(end - at));
      to += end - at;
      at = end;
    }
    while (at < end) *to++ = static_cast<char>(*at++);
  }

  // Writes the reference in `slot`, of `length` bytes at `at`, where it can be
  // decided at once, and notes that one was. The length comes from the
  // key rather than the table, so that reading the next one need not wait for
  // the table.
  static bool take_plain_reference(int slot, std::size_t length, const unsigned char*& at,
                                   const unsigned char* end, bool& in_run, bool& typed_reference,
                                   char*& to) {
    const plain_reference& reference = plain_references[static_cast<std::size_t>(slot)];
    bool plain = reference.kind == piece_kind::greek ||
                 (reference.kind == piece_kind::punctuation && in_run) ||
                 plain_sigma(reference, at, end);
    if (!plain) return false;
    if (!in_run) *to++ = static_cast<char>(escape_character);
    in_run = true;
    typed_reference = true;
    std::memcpy(to, reference.typed, sizeof reference.typed);
    to += reference.typed_size;
    at += length;
    return true;
  }

  // Whether the sigma of `reference` at `at` can be typed "s" at once: a
  // final one before what cannot make "s" medial, a medial one before a letter
  // that stands in the run whatever follows it.
  static bool plain_sigma(const plain_reference& reference, const unsigned char* at,
                          const unsigned char* end) {
    const unsigned char* after = at + reference.size;
    if (end - after < static_cast<std::ptrdiff_t>(look_ahead)) return false;
    if (reference.kind == piece_kind::final_sigma) {
      ascii_kind kind = *after < 0x80 ? ascii_kinds[*after] : ascii_kind::ampersand;
      return kind == ascii_kind::neutral || kind == ascii_kind::outside ||
             kind == ascii_kind::escape;
    }
    if (reference.kind != piece_kind::medial_sigma) return false;
    int slot = find_reference_slot(after, static_cast<std::size_t>(end - after));
    if (slot < 0) return false;
    const plain_reference& next = plain_references[static_cast<std::size_t>(slot)];
    return next.kind == piece_kind::greek &&
           keeps_sigma_medial(static_cast<unsigned char>(next.typed[0]));
  }

  void take_outside(const piece& p) {
    settle_before_outside();
    out_.write(p.raw_text());
  }

  void take_neutral(const piece& p) {
    // A stretch too long to wait on closes the run; outside a run, what
    // waits for Greek right after it stays outside.
    if (pending_.size() == most_pending_pieces || !in_run_) settle_before_outside();
    if (in_run_)
      pending_.push_back(p);
    else
      out_.write(p.raw_text());
  }

  void take_greek(const piece& p) {
    passage_as_characters_ = is_read_as_character(p);
    // Sigmas in a row wait together: each depends on the next.
    bool joins_sigmas = p.is_sigma() && leading_sigmas() == pending_.size();
    if (pending_.size() == most_pending_pieces) settle_before_outside();
    if (!pending_.empty() && !joins_sigmas) settle_in_run(p);
    in_run_ = true;
    if (p.is_sigma())
      pending_.push_back(p);
    else
      write_in_run(p);
  }

  // Punctuation (a dash, a bracket, a quotation mark, the upper stop) is
  // typed only in a Greek passage, so that text without Greek comes back as
  // it was: in a run, or right before the Greek that opens one, for which it
  // waits. Anything else leaves it outside. An upper stop written as a
  // character is typed in a passage written as characters, Unicode text;
  // where what was typed before it is written as references, as grapho writes
  // them, the stop stands as it came, for grapho would have written the one it
  // types as a reference.
  void take_punctuation(const piece& p) {
    if (is_read_as_character(p) && !passage_as_characters_) {
      take_outside(p);
      return;
    }
    if (in_run_) {
      take_greek(p);
      return;
    }
    if (pending_.size() == most_pending_pieces) settle_before_outside();
    pending_.push_back(p);
  }

  // A quotation mark is typed where the alternation gives it, counting the
  // marks that wait to be typed before it.
  void take_quote(const piece& p) {
    if (p.closes_quotation == (quotation_open_ != (waiting_quotes() % 2 == 1)))
      take_punctuation(p);
    else
      take_outside(p);
  }

  std::size_t waiting_quotes() const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < pending_.size(); ++i)
      count += pending_[i].kind == piece_kind::quote;
    return count;
  }

  // Before what stands outside runs: the run closes after its last Greek
  // piece, or after a medial sigma's bracket, and what waits follows it.
  void settle_before_outside() {
    std::size_t sigmas = leading_sigmas();
    std::size_t first = sigmas;
    if (sigmas > 0) {
      char next = static_cast<char>(escape_character);
      bool bracket_next = pending_[sigmas - 1].kind == piece_kind::medial_sigma &&
                          pending_.size() > sigmas &&
                          keeps_sigma_medial(pending_[sigmas].first_in_run());
      if (bracket_next) next = pending_[sigmas].first_in_run();
      if (write_sigmas(sigmas, next) && bracket_next) write_in_run(pending_[first++]);
    }
    close_run();
    for (std::size_t i = first; i < pending_.size(); ++i) out_.write(pending_[i].raw_text());
    pending_.clear();
  }

  // Before the Greek piece `greek`: all that waits stands in the run.
  void settle_in_run(const piece& greek) {
    std::size_t sigmas = leading_sigmas();
    if (sigmas > 0) {
      char next = (pending_.size() > sigmas ? pending_[sigmas] : greek).first_in_run();
      if (!write_sigmas(sigmas, next)) {
        // The run closed before the last sigma: what waits follows it outside.
        for (std::size_t i = sigmas; i < pending_.size(); ++i) out_.write(pending_[i].raw_text());
        pending_.clear();
        return;
      }
    }
    for (std::size_t i = sigmas; i < pending_.size(); ++i) write_in_run(pending_[i]);
    pending_.clear();
  }

  std::size_t leading_sigmas() const {
    std::size_t count = 0;
    while (count < pending_.size() && pending_[count].is_sigma()) ++count;
    return count;
  }

  // The key that types `sigma` before `next` in a run, or 0 when there is none:
  // "s" before what keeps it medial would give the other sigma.
  static char sigma_typed_before(const piece& sigma, char next) {
    bool medial = keeps_sigma_medial(static_cast<unsigned char>(next));
    if (sigma.kind == piece_kind::final_sigma) return medial ? final_sigma_key : sigma_key;
    return medial ? sigma_key : 0;
  }

  // Writes the first `count` pieces waiting, all sigmas, before `next`. Each
  // depends on what follows it, so the last is decided first; one that cannot
  // be typed goes outside as it came, and the run closes before it. Returns
  // whether the last stands in the run.
  bool write_sigmas(std::size_t count, char next) {
    std::array<char, most_pending_pieces> keys;
    for (std::size_t i = count; i-- > 0;) {
      keys[i] = sigma_typed_before(pending_[i], next);
      next = keys[i] != 0 ? keys[i] : static_cast<char>(escape_character);
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (keys[i] != 0) {
        write_in_open_run({&keys[i], 1});
      } else {
        close_run();
        out_.write(pending_[i].raw_text());
      }
    }
    return keys[count - 1] != 0;
  }

  void write_in_run(const piece& p) {
    if (p.kind == piece_kind::neutral || p.kind == piece_kind::single_pair) {
      write_in_open_run(p.raw_text());
      return;
    }
    if (p.kind == piece_kind::quote) quotation_open_ = !quotation_open_;
    write_in_open_run(p.typed_text());
  }

  // The "$" that opens a run is written with the run's first text, so that a
  // run whose only sigma goes outside leaves nothing, rather than a "$$".
  void write_in_open_run(std::string_view text) {
    if (!run_written_) out_.put(static_cast<char>(escape_character));
    in_run_ = run_written_ = true;
    out_.write(text);
  }
  void close_run() {
    if (run_written_) out_.put(static_cast<char>(escape_character));
    in_run_ = run_written_ = false;
  }

  // Whether a piece was read as a UTF-8 character rather than as a reference
  // or as ASCII.
  static bool is_read_as_character(const piece& p) {
    return static_cast<unsigned char>(p.raw[0]) >= 0x80;
  }

  output_sink& out_;
  bool& quotation_open_;
  bool in_run_ = false;
  bool run_written_ = false;
  // The last piece typed in a run, Greek or punctuation, was read as a
  // character.
  bool passage_as_characters_ = false;
  waiting_pieces pending_;
};

}  // namespace

untyper::untyper(std::nothrow_t) noexcept
    : input_buffer_(allocate_buffer<unsigned char>(input_buffer_size)),
      output_buffer_(allocate_buffer<char>(output_buffer_size)) {}

untyper::untyper() : untyper(std::nothrow) {
  if (!has_buffers()) throw std::bad_alloc();
}

std::optional<untyper> untyper::make() noexcept {
  untyper made(std::nothrow);
  if (!made.has_buffers()) return std::nullopt;
  return made;
}

bool untyper::has_buffers() const noexcept {
  return input_buffer_ && output_buffer_;
}

void untyper::untype_stream(byte_reader& reader, byte_writer& writer) {
  output_sink out(writer, {output_buffer_.get(), output_buffer_size});
  typist typist(out, quotation_open_);
  piece_reader pieces(reader, {input_buffer_.get(), input_buffer_size});
  while (pieces.fill()) {
    if (typist.nothing_waits()) {
      typist.take_plain(pieces.position(), pieces.limit(), pieces.end());
      if (!pieces.fill()) break;
    }
    typist.take(pieces.next());
  }
  typist.finish();
  out.flush();
  if (pieces.read_failed()) throw read_failure{};
}

std::string untype(std::string_view text) {
  std::string typed;
  memory_reader reader(text);
  string_writer writer(typed);
  untyper().untype_stream(reader, writer);
  return typed;
}

}  // namespace grapho
