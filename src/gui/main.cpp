// Program entry of the kelvaro desktop application.
#include "app_start.h"

int main(int argc, char* argv[]) { return kelvaro::gui::runKelvaro(argc, argv); }
