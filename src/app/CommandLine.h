#pragma once

// The program's command line is one song path, optionally in double quotes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm::app {

// The command line as one text: the arguments after the program name joined
// by single blanks. The shell has already removed its own quoting, so a path
// with blanks given as one argument comes through whole.
std::string CommandLineText(const std::vector<std::string>& arguments);

// The start song once the command line is taken into account. The command
// line is trimmed; when it is not empty it names the song: a leading double
// quote is dropped and the rest is cut before the next double quote (no
// closing quote gives no song). An empty command line keeps `startSong` when
// open-at-start is 2 and gives no song otherwise.
std::string StartSongFromCommandLine(std::string_view commandLine, int32_t openAtStart, const std::string& startSong);

} // namespace bm::app
