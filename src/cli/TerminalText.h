#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zka::cli {

// Text that a camera sent, made safe to print: any host on the segment controls it, and an escape
// sequence in it would otherwise act on the operator's terminal. Control characters (C0, DEL and
// the C1 range), and bytes that are not part of well-formed UTF-8, are written as "\xHH"; the
// characters in `keep` (say "\t\r\n" for a multi-line reply) pass unchanged.
std::string escapeControls(std::string_view text, std::string_view keep = {});

// Rows of cells as a table for the terminal: each column as wide as its widest cell plus two
// blanks, trailing blanks dropped, a line feed after each row. Cells are printed as given: escape
// a camera's texts first.
std::string alignedColumns(const std::vector<std::vector<std::string>>& rows);

// Whether standard output is a terminal (rather than a pipe or a file).
bool standardOutputIsTerminal();

} // namespace zka::cli
