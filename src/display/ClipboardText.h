// What Copy writes to the clipboard and how Paste reads a number back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "core/Extended.h"
#include "display/DisplayOptions.h"
#include "display/EntryLine.h"

namespace nimbrel {

constexpr int kPasteBuffer = 31;  // characters of one number that Paste reads
// Characters of clipboard text read for a column of numbers: a longer text
// is read as one number, since its cut could fall inside the last one.
constexpr size_t kPasteTextLimit = 1 << 20;

// A display line as clipboard text: the label "X: " removed, and the
// exponent turned into the usual order ("1.5000+e20" becomes "1.5000e+20").
std::string CopyTextFromLine(const std::string& line);

// X formatted under the options, as clipboard text.
std::string CopyText(Extended x, const DisplayOptions& options);

// The text in a memory block of `size` bytes from the clipboard: up to its
// terminating zero, but never past the block (whose text may lack the zero)
// nor past `limit` characters.
std::string BoundedText(const char* block, size_t size, size_t limit);

// The number in a clipboard text: its first 31 characters, keeping only
// "0"-"9", ".", "-", "E" and "e", read as a decimal number (the longest
// leading part that forms one; 0 when there is none: "12 dogs, 34 cats" is
// 1234). Empty when the number lies beyond the extended range.
std::optional<Extended> PasteValue(const std::string& clipboardText);

// The numbers of a column or row: the text's pieces, split at line breaks,
// tabs and semicolons, each one number and nothing else (blanks around it,
// thousands commas in groups of three, a sign, an exponent with or without
// its sign), empty pieces skipped. Nothing unless there are at least two
// such pieces and no other, and all lie within the extended range.
std::optional<std::vector<Extended>> PastedNumbers(const std::string& clipboardText);

// Paste: pushes a column's numbers in order, the last ending in X, or else
// the clipboard's number, and ends the entry. A number beyond the extended
// range pushes nothing and returns false (the caller beeps).
bool PasteInto(const std::string& clipboardText, Engine& engine, EntryLine& entry);

// Copy Stack: the ten levels, level 10 first and X last, each as Copy
// writes X, one a line (CRLF after each).
std::string StackText(const Engine& engine, const DisplayOptions& options);

}  // namespace nimbrel
