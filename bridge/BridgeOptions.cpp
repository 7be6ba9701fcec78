#include "bridge/BridgeOptions.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"

namespace {

bool AddressUsable(const char* text) {
  const std::size_t length = std::strlen(text);
  if (length == 0 || length >= BridgeOptions::kAddressSize) return false;
  for (const char* p = text; *p != '\0'; p++) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (std::isalnum(c) == 0 && std::strchr(".:-_", c) == nullptr) return false;
  }
  return true;
}

}  // namespace

const char* BridgeUsage() {
  return "usage: tarnel-bridge --role sim|station [--domain N] [--interface ADDR|NAME] [--peer ADDR]...\n"
         "Replicates the station's interface in the generic simulation area between two machines.\n"
         "  --role sim        on the simulation's machine: sends the fields the simulation writes,\n"
         "                    writes the fields the station writes\n"
         "  --role station    on the station's machine: the reverse\n"
         "  --domain N        DDS domain id, 0 to 232 (default 0); both sides must use the same\n"
         "  --interface X     network interface address or name (default: chosen automatically)\n"
         "  --peer ADDR       discover the other side by unicast at ADDR instead of multicast\n"
         "                    (repeatable, up to 8)\n"
         "The segment prefix comes from TARNEL_SHM_PREFIX; CYCLONEDDS_URI is read first when set.\n"
         "SIGINT or SIGTERM end the bridge. Exit status 0 after a normal end, 1 when the segment\n"
         "or the network cannot be used, 2 for bad arguments, 3 when another program made the\n"
         "segment smaller under the bridge.\n";
}

bool ParseBridgeOptions(int argc, char** argv, BridgeOptions* options, char* report, std::size_t size) {
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options->help = true;
      return true;
    }
    const bool takesValue = std::strcmp(arg, "--role") == 0 || std::strcmp(arg, "--domain") == 0 ||
                            std::strcmp(arg, "--interface") == 0 || std::strcmp(arg, "--peer") == 0;
    if (!takesValue) {
      FormatBounded(report, size, "unknown argument '%s'", arg);
      return false;
    }
    if (value == nullptr) {
      FormatBounded(report, size, "%s needs a value", arg);
      return false;
    }
    i++;
    if (std::strcmp(arg, "--role") == 0) {
      if (std::strcmp(value, "sim") == 0) {
        options->role = FieldWriter::kSimulation;
      } else if (std::strcmp(value, "station") == 0) {
        options->role = FieldWriter::kStation;
      } else {
        FormatBounded(report, size, "--role takes sim or station, not '%s'", value);
        return false;
      }
      options->roleGiven = true;
    } else if (std::strcmp(arg, "--domain") == 0) {
      char* end = nullptr;
      const long domain = std::strtol(value, &end, 10);
      if (end == value || *end != '\0' || domain < 0 || domain > long(BridgeOptions::kMaxDomain)) {
        FormatBounded(report, size, "--domain takes 0 to %u, not '%s'", BridgeOptions::kMaxDomain, value);
        return false;
      }
      options->domain = static_cast<uint32_t>(domain);
    } else if (!AddressUsable(value)) {
      FormatBounded(report, size, "%s: unusable address or name '%s'", arg, value);
      return false;
    } else if (std::strcmp(arg, "--interface") == 0) {
      CopyBounded(options->networkInterface, value, sizeof options->networkInterface);
    } else if (options->peerCount >= BridgeOptions::kMaxPeers) {
      FormatBounded(report, size, "at most %d peers", BridgeOptions::kMaxPeers);
      return false;
    } else {
      CopyBounded(options->peers[options->peerCount++], value, BridgeOptions::kAddressSize);
    }
  }
  if (!options->roleGiven) {
    FormatBounded(report, size, "--role sim or --role station is needed");
    return false;
  }
  return true;
}
