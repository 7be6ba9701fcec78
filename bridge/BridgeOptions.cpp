#include "bridge/BridgeOptions.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include <string>
#include <vector>

#include "common/CommandLine.h"
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

constexpr const char* kSummary =
    "Replicates the station's interface in the generic simulation area between two machines.";
constexpr const char* kFooter =
    "The segment prefix comes from TARNEL_SHM_PREFIX; CYCLONEDDS_URI is read first when set.\n"
    "SIGINT or SIGTERM end the bridge. Exit status 0 after a normal end, 1 when the segment\n"
    "or the network cannot be used, 2 for bad arguments, 3 when another program made the\n"
    "segment smaller under the bridge.";

// The options, declared once for parsing and for the usage text.
struct BridgeCommand {
  command_line::CommandLine command{"tarnel-bridge", nullptr, kSummary, kFooter};
  std::string role;
  uint32_t domain = BridgeOptions::kDefaultDomain;
  std::string networkInterface;
  std::vector<std::string> peers;

  BridgeCommand() {
    using command_line::Check;
    const auto address = Check([](const std::string& text) {
      return AddressUsable(text.c_str()) ? std::string() : "unusable address or name '" + text + "'";
    });
    CLI::App& app = command.App();
    app.add_option("--role", role,
                   "sim: on the simulation's machine, sends the fields the simulation\n"
                   "writes and writes the station's; station: the reverse")
        ->type_name("sim|station")
        ->required()
        ->check(Check([](const std::string& text) {
          return text == "sim" || text == "station" ? std::string() : "takes sim or station, not '" + text + "'";
        }));
    app.add_option("--domain", domain, "DDS domain id (default 0); both sides must use the same")
        ->type_name("0..232")
        ->check(Check([](const std::string& text) {
          char* end = nullptr;
          const long value = std::strtol(text.c_str(), &end, 10);
          return end != text.c_str() && *end == '\0' && value >= 0 && value <= long(BridgeOptions::kMaxDomain)
                     ? std::string()
                     : "takes 0 to " + std::to_string(BridgeOptions::kMaxDomain) + ", not '" + text + "'";
        }));
    app.add_option("--interface", networkInterface,
                   "network interface address or name (default: chosen automatically)")
        ->type_name("ADDR|NAME")
        ->check(address);
    app.add_option("--peer", peers,
                   "discover the other side by unicast at ADDR instead of\nmulticast (repeatable, up to 8)")
        ->type_name("ADDR")
        ->allow_extra_args(false)
        ->check(address);
  }
};

}  // namespace

const char* BridgeUsage() {
  static const std::string usage = BridgeCommand().command.Help();
  return usage.c_str();
}

bool ParseBridgeOptions(int argc, char** argv, BridgeOptions* options, char* report, std::size_t size) {
  BridgeCommand line;
  const int status = line.command.Parse(argc, argv, report, size);
  if (status == 0) {
    options->help = true;  // the help or version text is printed
    return true;
  }
  if (status != command_line::kGoOn) {
    return false;
  }
  if (static_cast<int>(line.peers.size()) > BridgeOptions::kMaxPeers) {
    FormatBounded(report, size, "at most %d peers", BridgeOptions::kMaxPeers);
    return false;
  }
  options->role = line.role == "sim" ? FieldWriter::kSimulation : FieldWriter::kStation;
  options->roleGiven = true;
  options->domain = line.domain;
  CopyBounded(options->networkInterface, line.networkInterface.c_str(), sizeof options->networkInterface);
  options->peerCount = 0;
  for (const std::string& peer : line.peers) {
    CopyBounded(options->peers[options->peerCount++], peer.c_str(), BridgeOptions::kAddressSize);
  }
  return true;
}
