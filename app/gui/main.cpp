// brindle: the desktop program. It takes no arguments of its own; Qt's standard options
// (-platform, -style and so on) still apply.
#include <QApplication>

#include "desktop_program.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  brindle::gui::DesktopProgram program(brindle::platform::ProgramDataFolder(argv[0]),
                                       brindle::DefaultServiceConfig());
  program.StartSoon();
  return QApplication::exec();
}
