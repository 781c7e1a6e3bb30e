// The chart written out for the README (Markdown), the manual (roff) and the
// web page (HTML), and the place between two marker lines that it fills in
// each document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chart.hpp"

namespace grapho::chart {

enum class format { markdown, roff, html };

// Markdown for a ".md" file, HTML for a ".html" one, roff for any other (a
// manual page).
format format_of(std::string_view path);

std::string render(format kind, const std::vector<section>& sections);

// The text between the marker lines of `document`, or of the text `replacement`
// put there. Throws std::runtime_error when the markers are missing.
std::string_view chart_in(std::string_view document, format kind);
std::string with_chart(std::string_view document, format kind, std::string_view replacement);

}  // namespace grapho::chart
