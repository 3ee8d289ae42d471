// The parts of a string-table text that every translation must keep as they are:
// placeholders and line breaks. Platform-free.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The placeholders of `text` in order of appearance: "[Name]" (ASCII letters between
// square brackets, such as "[ProductName]" and "[OS]") and "{n}" (decimal digits between
// braces, such as "{0}"). Anything else in brackets or braces is ordinary text.
std::vector<std::wstring> ListPlaceholders(std::wstring_view text);

// The lengths of the runs of consecutive line breaks ("\n") in `text`, in order:
// "a\nb\n\nc" gives {1, 2}.
std::vector<size_t> LineBreakRuns(std::wstring_view text);

// True when `translation` has the same placeholders as `original`, each as often, in
// any order (languages order the licence sentence differently), and the same runs of
// line breaks in the same order.
bool KeepsMarkersOf(std::wstring_view original, std::wstring_view translation);
