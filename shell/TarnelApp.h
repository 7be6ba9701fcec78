// The application object: reads the command line, opens the window, runs the
// main dialog modally and returns the program's exit status.
#pragma once

class CTarnelApp {
 public:
  // 0 after a normal close, 1 after a failed start, 2 for bad arguments.
  int Run(int argc, char** argv);
};
