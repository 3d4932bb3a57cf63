// brindle-backups: lists the kept versions of the address file that Brindle.conf names and
// restores one. It takes no arguments of its own and finds the program folder as `brindle`
// does; Qt's standard options (-platform, -style and so on) still apply.
#include <QApplication>

#include "backups_window.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  brindle::backups_view::BackupsWindow window(brindle::platform::ProgramDataFolder(argv[0]));
  window.show();
  return QApplication::exec();
}
