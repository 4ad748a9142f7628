// Program entry.
#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName("カヴィネル");
  // The main window is not built yet: the doll library and its tests are.
  std::puts("カヴィネル: the main window is not part of this build yet; run `make test`.");
  return 0;
}
