// The banner application: parses the command line, runs one banner window
// until it closes and ends the program.
#pragma once

class CLisketApp {
 public:
  CLisketApp();
  // The program's exit status: 0 after the banner closed, 1 when no window
  // could be shown, 2 for an unknown argument.
  int Run(int argc, char** argv);
};
