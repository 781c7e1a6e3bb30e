#include "check/json.hpp"

#include "io/terminal_text.hpp"

namespace grapho {
namespace {

void append_string(std::string& out, std::string_view text) {
  out += '"';
  for (char c : escape_control_characters(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

void append_place(std::string& out, text_place place) {
  out +=
      "\"line\": " + std::to_string(place.line) + ", \"column\": " + std::to_string(place.column);
}

void append_object(std::string& out, std::string_view file, const diagnostic& found) {
  out += "{\"file\": ";
  append_string(out, file);
  out += ", ";
  append_place(out, found.place);
  out +=
      found.level == severity::error ? ", \"severity\": \"error\"" : ", \"severity\": \"warning\"";
  out += ", \"code\": ";
  append_string(out, found.code);
  out += ", \"message\": ";
  append_string(out, found.message);
  out += ", \"notes\": [";
  for (const diagnostic_note& note : found.notes) {
    if (&note != &found.notes.front()) out += ", ";
    out += '{';
    append_place(out, note.place);
    out += ", \"message\": ";
    append_string(out, note.message);
    out += '}';
  }
  out += "]}";
}

}  // namespace

std::string json_objects(std::string_view file, const std::vector<diagnostic>& found) {
  std::string out;
  for (const diagnostic& each : found) {
    if (!out.empty()) out += ",\n";
    append_object(out, file, each);
  }
  return out;
}

}  // namespace grapho
