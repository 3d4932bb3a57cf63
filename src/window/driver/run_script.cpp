// A whole script through the driver, and how a line it cannot run ends the run.
#include <istream>
#include <ostream>

#include "window/driver/scenario_driver.h"

namespace brindle::drive {

int RunScript(ScenarioDriver& driver, std::istream& script, std::ostream& out, std::ostream& err) {
  std::string line;
  for (long number = 1; std::getline(script, line); ++number) {
    try {
      driver.RunLine(line);
    } catch (const std::exception& e) {
      out.flush();
      err << "line " << number << ": " << e.what() << '\n';
      return 2;
    }
    if (driver.ended()) break;
  }
  out.flush();
  return 0;
}

}  // namespace brindle::drive
