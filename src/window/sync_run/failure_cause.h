// Failures the program foresees (its own error types, and what the system reports about
// files) against programming errors, which no window text may explain away as a lost
// connection or a bad file.
#pragma once

#include <exception>
#include <string>

namespace brindle {

bool Foreseen(const std::exception& error);
// The cause to report: a foreseen error's own words, otherwise "internal error (<type>): ...".
// A file that is not there is "<path> does not exist", whatever was being done to it (or its
// folder, when that is what is missing).
std::string CauseOf(const std::exception& error);
// What the user can do about a failure of the address file where the window offers nothing,
// as "; ..." to follow its cause, `button` being the one to press again: another run holds the
// file, the backups folder has no room for the file as it was, or the file cannot be read as
// an address file. "" for any other error.
std::string AdviceFor(const std::exception& error, const std::string& button);

}  // namespace brindle
