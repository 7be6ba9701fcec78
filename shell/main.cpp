#include "shell/TarnelApp.h"

int main(int argc, char** argv) {
  CTarnelApp app;
  return app.Run(argc, argv);
}
