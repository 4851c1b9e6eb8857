#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The grammar of the wget 1.21 output lines we understand. Quotes around file names are
// U+2018/U+2019 under a UTF-8 locale, ASCII apostrophes under plain C, and a back-quote and an
// apostrophe in old versions; all three are accepted.
namespace WgetOutputLine {

// The first http://, https:// or ftp:// address in the line, up to the end of the line (a remark
// after it, such as " [following]", stays part of it). Empty when there is none.
std::string_view addressInLine(std::string_view line);

// A dot-progress line: blanks, a count with a K or M unit, a blank, dots ...
bool isDotProgressLine(std::string_view line);

// Size lines ("Length: ..."), rate lines ("KB/s") and dot-progress lines.
bool isProgressLine(std::string_view line);

// The size announced by a "Length: " line: the number after "Length: " up to " [", read with
// commas skipped; 0 for "unspecified". Empty for a line that is not a size line.
std::optional<uint64_t> announcedLength(std::string_view line);

// The percent done of a progress line: the number in the three columns before the first percent
// sign. Empty when the line has no percent sign.
std::optional<uint32_t> percentDone(std::string_view line);

// The path of a saved-file line, "... - ‘/path/file’ saved [164/164]": from the opening quote
// after " - " to the last closing quote before " saved [". Names may hold quotes themselves.
std::optional<std::string_view> savedPath(std::string_view line);

} // namespace WgetOutputLine
