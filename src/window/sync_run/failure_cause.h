// Failures the program foresees (its own error types, and what the system reports about
// files) against programming errors, which no window text may explain away as a lost
// connection or a bad file.
#pragma once

#include <exception>
#include <string>

namespace brindle {

bool Foreseen(const std::exception& error);
// The cause to report: a foreseen error's own words, otherwise "internal error (<type>): ...".
std::string CauseOf(const std::exception& error);

}  // namespace brindle
