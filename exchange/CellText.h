#pragma once

#include <string>
#include <string_view>

/// A member's or category's name from a file as it is matched against the lists: without
/// format characters (a byte order mark, zero-width spaces and joiners, direction marks:
/// Unicode's Cf), which nobody sees but which would make a second "爸爸", and without the
/// blanks around it.
std::string CleanName(std::string_view text);
/// The same, written into `clean` (whose buffer a caller reading many lines reuses).
void AssignCleanName(std::string& clean, std::string_view text);

/// A text cell as a CSV export writes it: one that a spreadsheet would take for a formula
/// (it begins with =, +, -, @, a tab or a carriage return) gets a leading ', and so does one
/// that begins with ' itself, so that StripFormulaGuard gives back exactly the text.
std::string GuardFormula(std::string_view text);
/// The text a GuardFormula cell stands for; any other text as it is.
std::string_view StripFormulaGuard(std::string_view text);
