// The bridge's command line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panels/PanelBlock.h"

struct BridgeOptions {
  static constexpr uint32_t kDefaultDomain = 0;
  static constexpr uint32_t kMaxDomain = 232;  // highest id with the standard port numbers
  static constexpr int kMaxPeers = 8;
  static constexpr std::size_t kAddressSize = 64;

  // The side this bridge runs on: kSimulation for --role sim.
  FieldWriter role = FieldWriter::kSimulation;
  bool roleGiven = false;
  uint32_t domain = kDefaultDomain;
  // Network interface (address or name); empty: the middleware's choice.
  char networkInterface[kAddressSize] = {};
  // Unicast discovery peers (addresses or host names); none: multicast.
  char peers[kMaxPeers][kAddressSize] = {};
  int peerCount = 0;
  bool help = false;  // --help or --version: the text is printed, nothing else to do
};

// False, with the reason in report, for an unknown option, a missing or bad
// value, or no --role. --help and --version print their text and set help. Addresses and names may hold letters, digits and
// ". : - _" only.
bool ParseBridgeOptions(int argc, char** argv, BridgeOptions* options, char* report, std::size_t size);
// The usage text.
const char* BridgeUsage();
